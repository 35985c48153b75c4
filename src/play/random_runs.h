#pragma once
// What the money back-tests share: the tested periods their charts show, the random runs they are
// compared with (on several threads, each run its own stream of the seed, so the thread count
// changes nothing), and the band of those runs on the chart.

#include "history/progress.h"
#include "play/money.h"
#include "play/random_tickets.h"

#include <algorithm>
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

// The runs' nets at a chart's points, taken a few points at a time: many runs over a long test
// would not fit in memory as runs × points. The runs are played in rounds, each round as far as
// its last point, and the band of each round's points is set before the next round begins.
class RunBand {
  public:
    // periods: the tested periods the runs play; budget: the most nets held at once (the
    // points of one round for every run, at least one point).
    RunBand(size_t runs, std::vector<MoneyPoint>& curve, size_t periods,
            size_t budget = kBandBudget);
    size_t rounds() const { return rounds_; }
    // The round's points, [firstPoint, endPoint) of the curve.
    size_t firstPoint(size_t round) const { return round * perRound_; }
    size_t endPoint(size_t round) const { return std::min(points_, (round + 1) * perRound_); }
    // The tested periods the round plays, [firstPeriod, endPeriod): up to its last point, the
    // last round to the end.
    size_t firstPeriod(size_t round) const { return round == 0 ? 0 : endPeriod(round - 1); }
    size_t endPeriod(size_t round) const;
    // Where the run's nets at the round's points go, one after another.
    std::int64_t* row(size_t run) { return nets_.data() + run * perRound_; }
    // Sets the low and high of each of the round's points of the curve to 5 % and 95 % of the
    // runs' nets there.
    void setBand(size_t round);

  private:
    std::vector<MoneyPoint>& curve_;
    size_t runs_, points_, periods_, perRound_, rounds_;
    std::vector<std::int64_t> nets_, column_;
};

// Plays the runs 0 .. options.runs - 1 (at least one) with play(run, round, random, scratch),
// round after round (rounds at least one), random the run's own stream of options.seed going on
// from one round to the next, on up to `threads` threads (0: every core); afterRound(round) is
// called once every run has played the round. Helpers take runs one by one while this thread
// takes its share too and tells progress (counting runs, a round a share of each) between its
// runs. False when progress cancelled them; an exception of a run is thrown once every thread
// has stopped.
bool playRandomRuns(const RandomOptions& options, std::uint32_t n, unsigned threads,
                    history::Progress& progress, size_t rounds,
                    const std::function<void(size_t run, size_t round, Random& random,
                                             TicketScratch& scratch)>& play,
                    const std::function<void(size_t round)>& afterRound);

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

} // namespace play
