#pragma once
// The walk-forward back-test of a search: for each of the last periods of the history, the search
// run on the history before that period alone, exactly as the program would run it then, and
// whether the period's draw then held one of the top values of the result grid. The chance of
// each such success is known exactly, so the number of successes can be set against chance.

#include "history/history_table.h"
#include "history/progress.h"
#include "history/zodiac.h"
#include "search/hit_finder.h"
#include "search/search_request.h"

#include <cstdint>
#include <vector>

namespace search {

struct BacktestRequest {
    // Every rule of the search. The span is the whole history before each tested period (as at
    // start-up); the targets come from that history's reference draw unless typed.
    SearchRequest search;
    bool typedTargets = false;
    int steps = 100; // the last periods tested
    int top = 3;     // the top k = 1..top values of the result grid
};

// A tested period whose search found hits.
struct BacktestStep {
    std::int32_t period = 0;
    std::vector<std::uint8_t> success; // per k: the draw held one of the top k values
    std::vector<double> chance;        // per k: the chance of that for a random draw
    std::vector<int> top;              // the top values of the result grid, first row first
};

// The figures of the top k values over the tested periods.
struct BacktestFigures {
    int k = 0;
    std::int64_t successes = 0;
    double expected = 0;  // the sum of the chances
    double pValue = 1;    // the chance of at least as many successes by chance alone
    double pAdjusted = 1; // pValue adjusted (Holm) for the T values of k tested together
};

struct BacktestResult {
    bool cancelled = false;
    std::int64_t skipped = 0;        // tested periods whose search found nothing
    std::vector<BacktestStep> steps; // the other tested periods, oldest first
    std::vector<BacktestFigures> top;

    std::int64_t tested() const { return static_cast<std::int64_t>(steps.size()); }
};

// input holds the whole history (and, for free-position searches, its token texts); zodiac gives
// the zodiac values of each period's own zodiac year with the current value order. Runs on up to
// `threads` threads (0: as many as the machine has); progress is told from the calling thread.
BacktestResult runBacktest(const SearchInput& input, const BacktestRequest& request,
                           const history::Zodiac& zodiac, history::Progress& progress,
                           unsigned threads = 0);

} // namespace search
