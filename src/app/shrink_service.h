#pragma once
// Shrinking a bet (缩水) for the window and the command line: the tickets a filter keeps for the
// next period, how often each condition held, and the money of buying the shrunk bet in full
// every period, the filter re-evaluated each period on the draws before it.

#include "app/backtest_service.h"
#include "app/workspace.h"
#include "history/progress.h"
#include "play/money.h"
#include "play/shrink.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace app {

struct ShrinkRequest {
    play::Play play = play::Play::Any5;
    std::vector<play::Condition> conditions;
    int window = 200;
    int backtestSteps = 0; // 0: no back-test
    // The back-test's runs that buy as many tickets at random each period (0: none).
    int randomRuns = 1000;
    std::uint64_t seed = 1;
};

constexpr int kMaxShrinkWindow = 100000;

struct ShrinkResult {
    std::vector<play::Condition> conditions;
    play::ShrinkFigures figures;
    bool backtested = false;
    int prize = 0;
    std::vector<play::BetPeriod> periods; // the back-test's periods and their tickets
    play::MoneyResult money;
};

// The kept tickets as the text betting sites take: one a line, each line ending in CR LF.
std::string shrinkTicketsText(const play::ShrinkFigures& figures);

// The figures as the window and the command line show them: label and text.
std::vector<std::pair<std::string, std::string>> shrinkFigureLines(const ShrinkResult& result);

class ShrinkService {
  public:
    explicit ShrinkService(Workspace& workspace) : workspace_(workspace) {}

    // Refuses (with a message) a play that cannot be shrunk, a condition outside its kind's
    // values, a filter that keeps nothing, too short a history. A cancelled back-test fails with
    // no message and sets money.cancelled.
    Outcome run(const ShrinkRequest& request, history::Progress& progress, ShrinkResult& result);

  private:
    Workspace& workspace_;
};

} // namespace app
