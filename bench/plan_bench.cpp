// Chase plans at 300,000 draws: the back-test of a 前一 plan over 10,000 periods with 1,000
// random runs, for a fixed ticket and for the coldest ticket, with and without a bankroll.

#include "benchmarks.h"

#include "workspace/plan_service.h"
#include "workspace/workspace.h"

#include <ostream>

namespace bench {

void runPlanBenchmarks(std::ostream& out) {
    const size_t draws = 300000;
    const std::string folder = folderWithHistory(draws);
    app::WorkspaceOptions options = workspaceOptions(folder);
    app::Workspace workspace(options);
    app::SearchService searches(workspace);
    app::PlanService plans(workspace, searches);

    struct Case {
        app::PickRule rule;
        const char* schedule;
        std::optional<std::int64_t> bankroll;
    };
    for (const Case& c : {Case{app::PickRule::Fixed, "profit:30", std::nullopt},
                          Case{app::PickRule::Fixed, "double", 5000},
                          Case{app::PickRule::Coldest, "profit:30", 5000}}) {
        app::PlanRequest request;
        request.bet.play = play::Play::Front1;
        request.bet.rule = c.rule;
        request.bet.tickets = {"01"};
        request.bet.steps = 10000;
        request.bet.randomRuns = 1000;
        request.plan.schedule = *play::parseSchedule(c.schedule).schedule;
        request.plan.length = 10;
        request.plan.bankroll = c.bankroll;
        history::NoProgress progress;
        app::PlanResult result;
        const double seconds = medianSeconds(3, [&] { plans.backtest(request, progress, result); });
        out << draws << " draws, plan 前一 " << app::pickRuleName(c.rule) << " " << c.schedule
            << (c.bankroll ? " bankroll " + std::to_string(*c.bankroll) : std::string())
            << ", 10000 periods, 1000 random runs: " << seconds * 1000 << " ms (goal 2000 ms)"
            << (result.backtest ? "" : " !") << "\n";
    }
}

} // namespace bench
