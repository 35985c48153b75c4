// The back-test: 1,000 tested periods over 300,000 draws (goal under 10 s on 2 cores) and 100
// over 1,400 draws (goal under 100 ms), for a pattern and a combination search in both position
// modes, on one thread and on all of them.

#include "benchmarks.h"

#include "workspace/backtest_service.h"
#include "workspace/search_service.h"
#include "workspace/workspace.h"

#include <ostream>
#include <thread>

namespace bench {

namespace {

struct Case {
    const char* name;
    search::SearchType type;
    search::PositionMode position;
    search::PeriodMode period;
    history::Kind kind;
    std::array<bool, 5> positions;
    const char* size;
};

const Case kCases[] = {
    {"fixed 上期 pattern, number at 1,2",
     search::SearchType::Pattern,
     search::PositionMode::Fixed,
     search::PeriodMode::Last,
     history::Number,
     {true, true, false, false, false},
     "2"},
    {"free 前期3 pattern, head at 1,2,3",
     search::SearchType::Pattern,
     search::PositionMode::Free,
     search::PeriodMode::Back,
     history::Head,
     {true, true, true, false, false},
     "2"},
    {"fixed 前期3 combination k=3, number",
     search::SearchType::Combination,
     search::PositionMode::Fixed,
     search::PeriodMode::Back,
     history::Number,
     {},
     "3"},
    {"free 上期 combination k=2, number",
     search::SearchType::Combination,
     search::PositionMode::Free,
     search::PeriodMode::Last,
     history::Number,
     {},
     "2"},
};

void runSize(std::ostream& out, size_t draws, int steps, double goalMs) {
    const std::string folder = folderWithHistory(draws);
    app::Workspace workspace(workspaceOptions(folder));
    app::SearchService searches(workspace);
    app::BacktestService backtests(workspace, searches);
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    for (const Case& c : kCases) {
        workspace.setSearchKind(c.kind);
        workspace.setResultKind(history::Number);
        workspace.setPositionMode(c.position);
        workspace.setPeriodMode(c.period);
        (void)workspace.setBackDistance("3");
        (void)workspace.setCombinationSize(c.size);
        search::BacktestResult result;
        history::NoProgress quiet;
        // The first run reads the columns a free-position search needs.
        (void)backtests.run(c.type, c.positions, {steps, 3}, quiet, result);
        const double all = medianSeconds(3, [&] {
            (void)backtests.run(c.type, c.positions, {steps, 3}, quiet, result);
        });
        out << draws << " draws, " << steps << " periods, " << c.name << ": " << all * 1000
            << " ms on " << cores << " cores (goal " << goalMs << " ms); " << result.tested()
            << " tested, " << result.skipped << " skipped, top 1 p=" << result.top[0].pValue
            << "\n";
    }
}

} // namespace

void runBacktestBenchmarks(std::ostream& out) {
    runSize(out, 1400, 100, 100);
    runSize(out, 300000, 1000, 10000);
}

} // namespace bench
