#pragma once
// Shrinking a bet (缩水) for the window and the command line: the tickets a filter keeps for the
// next period, how often each condition held, and the money of buying the shrunk bet in full
// every period, the filter re-evaluated each period on the draws before it.

#include "history/progress.h"
#include "play/cover.h"
#include "play/money.h"
#include "play/shrink.h"
#include "workspace/backtest_service.h"
#include "workspace/workspace.h"

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
    int tolerance = 0;           // 容错: forgivable conditions a kept ticket may fail
    bool toleranceGiven = false; // the failure counts are shown
    // A 旋转矩阵 instead of the whole play; the conditions then thin its tickets.
    std::optional<play::CoverRequest> cover;
};

// How tickets are written out: "01 02 03", "01,02,03", or for 直选 "01|02|03".
enum class TicketFormat { Space, Comma, Pipe };

constexpr int kMaxShrinkWindow = 100000;

struct ShrinkResult {
    std::vector<play::Condition> conditions;
    play::ShrinkFigures figures;
    bool backtested = false;
    int prize = 0;
    std::vector<play::BetPeriod> periods; // the back-test's periods and their tickets
    play::MoneyResult money;
    bool figured = false; // figures were computed (not for a 旋转矩阵 without conditions)
    std::optional<play::CoverResult> cover;
    std::vector<std::uint32_t> coverTickets; // the matrix's tickets the conditions keep
};

// The kept tickets as the text betting sites take: one a line, each line ending in CR LF.
std::string shrinkTicketsText(const play::ShrinkFigures& figures,
                              TicketFormat format = TicketFormat::Space);
std::string ticketsText(play::Play play, const std::vector<std::uint32_t>& tickets,
                        TicketFormat format);
// The tickets a result hands out: the matrix's when there is one, else the filter's.
const std::vector<std::uint32_t>& resultTickets(const ShrinkResult& result);

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
