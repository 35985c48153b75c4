#pragma once
// The back-test of the search the settings describe (回测): the pattern search over the chosen
// positions or the combination search, run for each of the last periods on the history before
// it, without changing anything stored.

#include "history/progress.h"
#include "search/backtest.h"
#include "search/search_request.h"
#include "workspace/search_service.h"
#include "workspace/workspace.h"

#include <array>
#include <string>
#include <vector>

namespace app {

struct BacktestOptions {
    int steps = 100; // the last periods tested (M)
    int top = 3;     // the top values of the result grid taken (T)
};

// The limits the window and the command line accept.
constexpr int kMaxBacktestSteps = 100000;
constexpr int kMaxBacktestTop = 12;

// The verdict in plain words on a p-value adjusted for the values of k tested together.
std::string backtestVerdict(double pAdjusted);

// The back-test's table as the window and the command line show it: one row per entry of
// result.top (k, tested, successes, rate, chance rate, p-value, adjusted p-value, verdict).
std::vector<std::string> backtestTableHeader();
std::string backtestTableCell(const search::BacktestResult& result, size_t row, int column);

class BacktestService {
  public:
    BacktestService(Workspace& workspace, SearchService& searches)
        : workspace_(workspace), searches_(searches) {}

    // positions: the chosen positions of a pattern search; type Combination takes the
    // combination size of the settings. A cancelled run fails with no message and sets
    // result.cancelled.
    Outcome run(search::SearchType type, const std::array<bool, 5>& positions,
                const BacktestOptions& options, history::Progress& progress,
                search::BacktestResult& result);

  private:
    Workspace& workspace_;
    SearchService& searches_;
};

} // namespace app
