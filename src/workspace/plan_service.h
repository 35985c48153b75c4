#pragma once
// Chase plans (追号/倍投) for the window and the command line: the calculator table of a plan with
// its exact chances, and what the plan would have done over the last periods of the history
// against the same plan on random tickets. Nothing stored changes.

#include "play/chase_backtest.h"
#include "play/chase_plan.h"
#include "workspace/play_service.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace app {

constexpr std::int64_t kMaxBankroll = 1000000000000; // yuan
constexpr std::int64_t kMaxMultiplierCap = 1000000;

struct PlanRequest {
    BetRequest bet; // the play, the pick rule, the steps and the random runs
    play::ChasePlan plan;
};

struct PlanResult {
    play::Play play = play::Play::Front1;
    PickRule rule = PickRule::Fixed;
    int prize = 0;
    int tickets = 1; // bought each period of the table's chase
    play::ChaseTable table;
    std::optional<play::ChaseBacktest> backtest;
    BetResult bought; // the tested periods and their tickets
};

// The table's columns and the cells of a row as the window and the command line show them.
std::vector<std::string> planTableHeader();
std::vector<std::string> planTableCells(const play::ChaseRow& row);
// The table's exact figures, and the back-test's, as label and text.
std::vector<std::pair<std::string, std::string>> planTableLines(const PlanResult& result);
std::vector<std::pair<std::string, std::string>> planBacktestLines(const Workspace& workspace,
                                                                   const PlanResult& result);

class PlanService {
  public:
    PlanService(Workspace& workspace, SearchService& searches)
        : workspace_(workspace), plays_(workspace, searches) {}

    // The calculator table alone; needs no history.
    Outcome table(const PlanRequest& request, PlanResult& result);
    // The table and the back-test. A cancelled run fails with no message and sets
    // backtest->cancelled.
    Outcome backtest(const PlanRequest& request, history::Progress& progress, PlanResult& result);

  private:
    Workspace& workspace_;
    PlayService plays_;
};

} // namespace app
