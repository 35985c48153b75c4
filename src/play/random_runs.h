#pragma once
// What the money back-tests share: the tested periods their charts show, the random runs they are
// compared with (on several threads, each run its own stream of the seed, so the thread count
// changes nothing), and the band of those runs on the chart.

#include "history/progress.h"
#include "play/money.h"
#include "play/random_tickets.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace play {

// The tested periods (0 = the first) of `periods` a chart shows: at most about kCurvePoints,
// evenly, the last one always.
std::vector<size_t> shownPeriods(size_t periods);

// What one thread needs to buy random tickets among n selections (see randomHits).
struct TicketScratch {
    explicit TicketScratch(std::uint32_t n) : chosen(n, 0) {}
    std::vector<std::uint8_t> chosen;
    std::vector<std::uint32_t> picked;
};

// Plays the runs 0 .. options.runs - 1 (at least one) with play(run, random, scratch), random the
// run's own stream of options.seed, on up to `threads` threads (0: every core). Helpers take runs
// one by one while this thread takes its share too and tells progress between its runs. False
// when progress cancelled them; an exception of a run is thrown once every thread has stopped.
bool playRandomRuns(
    const RandomOptions& options, std::uint32_t n, unsigned threads, history::Progress& progress,
    const std::function<void(size_t run, Random& random, TicketScratch& scratch)>& play);

// Where a net stands among the runs' nets: the shares below, equal and above it, and the share
// it did better than with a tie counting half (the mid-rank). Ties are no wins: a rule that
// never hits, among runs that never hit either, stands at one half.
struct RankShares {
    double below = 0, equal = 0, above = 0;
    double midRank() const { return below + equal / 2; }
};
RankShares rankAmong(const std::vector<std::int64_t>& nets, std::int64_t net);
inline void setRank(RandomFigures& figures, const RankShares& rank) {
    figures.percentile = rank.midRank();
    figures.below = rank.below;
    figures.equal = rank.equal;
    figures.above = rank.above;
}

// Sets each chart point's low and high to 5 % and 95 % of the runs' net there; shownNet holds
// curve.size() nets for each run, one run after another.
void setRandomBand(std::vector<MoneyPoint>& curve, const std::vector<std::int64_t>& shownNet,
                   size_t runs);

} // namespace play
