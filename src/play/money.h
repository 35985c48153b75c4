#pragma once
// What buying tickets would have won or lost: given the tickets bought in each tested period, the
// money figures of those bets, the exact expectation and chance of doing as well, and the same
// number of tickets bought at random again and again with a seed, to see where the bets stand.
// Any way of choosing tickets comes here with its tickets period by period.

#include "history/progress.h"
#include "play/plays.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace play {

// One tested period: its draw and the distinct selections (indexes into the play's
// SelectionSet) bought for it.
struct BetPeriod {
    std::int32_t period = 0; // stored id
    size_t row = 0;          // its row in the ordered history
    Draw draw{};
    std::vector<std::uint32_t> tickets;
};

struct RandomOptions {
    int runs = 1000; // 0: none
    std::uint64_t seed = 1;
};

struct RandomFigures {
    int runs = 0; // 0 with exact figures
    double netMean = 0;
    // The share of runs the bets did better than, a tie counting half: below + equal / 2. On
    // uniformly random draws it is above 0.95 at most about 5 % of the time.
    double percentile = 0;
    // The shares of runs whose net is below, equal to and above the bets' net.
    double below = 0, equal = 0, above = 0;
    // Worked out from the exact distribution instead of runs.
    bool exact = false;
};

// The running figures after a tested period, for the chart.
struct MoneyPoint {
    size_t index = 0;         // the tested period (0 = the first)
    std::int64_t net = 0;     // the bets' net so far
    double expectedNet = 0;   // the net chance alone would give on average so far
    double low = 0, high = 0; // 5% and 95% of the random runs' net so far (expected without runs)
};

struct MoneyResult {
    bool cancelled = false;
    std::int64_t steps = 0;
    std::int64_t tickets = 0;
    std::int64_t cost = 0;
    std::int64_t won = 0;
    std::int64_t net = 0;
    std::optional<double> returnRate; // won ÷ cost; nothing when nothing was bought
    double expectedReturnRate = 0;    // prize × p ÷ price
    std::int64_t hits = 0;
    double expectedHits = 0;
    // P[X >= hits] for X binomial(periods, p) when at most one ticket was bought per period
    // (and some were); nothing otherwise.
    std::optional<double> pValue;
    std::int64_t maxDrawdown = 0;
    std::int64_t longestLosingStreak = 0;
    std::optional<RandomFigures> random;
    // At most about kCurvePoints points, evenly over the tested periods, the last one always.
    std::vector<MoneyPoint> curve;
    // The winning tickets of each tested period.
    std::vector<std::int32_t> hitsByPeriod;
};

constexpr size_t kCurvePoints = 2000;
// The most random runs' nets at chart points held at once (32 MB): past it the runs are played
// a few chart points at a time, so memory grows with runs plus periods, not their product.
constexpr size_t kBandBudget = size_t{1} << 22;

// The figures of buying periods[i].tickets in each tested period, each ticket at kTicketPrice and
// paying prize when it wins. Random runs go on up to `threads` threads (0: every core); the same
// seed gives the same runs whatever the thread count and band budget. Progress counts random runs.
MoneyResult moneyFigures(const SelectionSet& selections, int prize,
                         const std::vector<BetPeriod>& periods, const RandomOptions& random,
                         history::Progress& progress, unsigned threads = 0,
                         size_t bandBudget = kBandBudget);

// P[X >= k] for X binomial(n, p).
double binomialTail(std::int64_t n, double p, std::int64_t k);

} // namespace play
