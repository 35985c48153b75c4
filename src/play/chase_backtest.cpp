#include "play/chase_backtest.h"

#include "play/random_runs.h"

#include <algorithm>

namespace play {

namespace {

// The running figures of one play of the plan, the real one or a random run.
struct RunFigures {
    std::int64_t played = 0;
    std::int64_t chases = 0, chasesWon = 0, chasesLost = 0, chasesOpen = 0, chasesCutShort = 0;
    std::int64_t staked = 0, won = 0, net = 0, peak = 0, maxDrawdown = 0, maxStake = 0;
    std::int64_t longestChase = 0;
    double expectedNet = 0; // what the stakes so far lose on average
    std::optional<size_t> ruinedIndex;
};

// What stays the same over every play of the plan. bought[k] is the ticket count a chase
// starting at k buys, multipliersOf[t] the chase's multipliers for t tickets. Each yuan staked
// returns ticketReturn on average.
struct PlanRules {
    const ChasePlan& plan;
    int prize;
    double ticketReturn;
    const std::vector<std::uint32_t>& bought;
    const std::vector<std::vector<std::int64_t>>& multipliersOf;
};

// One play of the plan over the tested periods, the real one or a random run, played a stretch
// of periods at a time.
class PlanPlay {
  public:
    // Plays the periods from where the play stands to end (stopping at a ruin): hits(k, start,
    // tickets) gives the winning tickets at k of a chase begun at start; atShown(k, net,
    // expected) is told the net after each period played.
    template <class Hits, class Shown>
    void playTo(const PlanRules& rules, size_t end, Hits&& hits, Shown&& atShown) {
        const ChasePlan& plan = rules.plan;
        const bool byLosses = raisedOnLossOnly(plan.schedule);
        for (; next_ < end && !f_.ruinedIndex; ++next_) {
            const size_t k = next_;
            if (!active_ && rules.bought[k] > 0) {
                active_ = true;
                wonInChase_ = false;
                start_ = k;
                tickets_ = rules.bought[k];
                i_ = 0;
                level_ = 0;
            }
            if (active_) {
                const std::int64_t multiplier =
                    rules.multipliersOf[tickets_][static_cast<size_t>(level_)];
                const std::int64_t stake = multiplier * tickets_ * kTicketPrice;
                if (plan.bankroll && stake > *plan.bankroll + f_.net) {
                    f_.ruinedIndex = k;
                    // A chase under way ends here: won if it already was, else cut short.
                    if (i_ > 0) ++(wonInChase_ ? f_.chasesWon : f_.chasesCutShort);
                    return;
                }
                if (i_ == 0) ++f_.chases;
                ++f_.played;
                f_.staked += stake;
                f_.expectedNet += static_cast<double>(stake) * (rules.ticketReturn - 1);
                f_.maxStake = std::max(f_.maxStake, stake);
                const std::int64_t h = hits(k, start_, tickets_);
                const std::int64_t win = multiplier * h * rules.prize;
                f_.won += win;
                f_.net += win - stake;
                f_.peak = std::max(f_.peak, f_.net);
                f_.maxDrawdown = std::max(f_.maxDrawdown, f_.peak - f_.net);
                ++i_;
                if (!byLosses || h == 0) ++level_;
                f_.longestChase = std::max<std::int64_t>(f_.longestChase, i_);
                wonInChase_ = wonInChase_ || h > 0;
                if ((h > 0 && plan.stopOnWin) || i_ == plan.length) {
                    ++(wonInChase_ ? f_.chasesWon : f_.chasesLost);
                    active_ = false;
                }
            }
            atShown(k, f_.net, f_.expectedNet);
        }
    }
    // The figures once every period is played: a chase still under way is counted, won or open.
    RunFigures finish() {
        if (active_ && !f_.ruinedIndex) {
            if (wonInChase_)
                ++f_.chasesWon;
            else
                ++f_.chasesOpen;
            active_ = false;
        }
        return f_;
    }
    const RunFigures& figures() const { return f_; }

  private:
    RunFigures f_;
    size_t next_ = 0;  // the next period to play
    size_t start_ = 0; // where the current chase began
    bool active_ = false, wonInChase_ = false;
    std::uint32_t tickets_ = 0;
    int i_ = 0;     // periods of the current chase bought
    int level_ = 0; // the multiplier of the chase's period: i, or its losses so far
};

} // namespace

ChaseBacktest chaseBacktest(const SelectionSet& selections, int prize, const ChasePlan& plan,
                            const std::vector<BetPeriod>& periods, const RandomOptions& options,
                            history::Progress& progress, unsigned threads, size_t bandBudget) {
    ChaseBacktest r;
    r.steps = static_cast<std::int64_t>(periods.size());
    r.expectedReturnRate = prize * chance(selections.play()) / kTicketPrice;
    const auto n = static_cast<std::uint32_t>(selections.size());

    // The multipliers of a chase for every ticket count a chase can start with.
    std::vector<std::uint32_t> bought(periods.size());
    std::uint32_t most = 0;
    for (size_t k = 0; k < periods.size(); ++k) {
        bought[k] = static_cast<std::uint32_t>(periods[k].tickets.size());
        most = std::max(most, bought[k]);
    }
    std::vector<std::vector<std::int64_t>> multipliersOf(most + 1);
    for (size_t k = 0; k < periods.size(); ++k) {
        auto& m = multipliersOf[bought[k]];
        if (bought[k] == 0 || !m.empty()) continue;
        Multipliers made = chaseMultipliers(plan.schedule, plan.length, static_cast<int>(bought[k]),
                                            prize, plan.maxMultiplier);
        if (made.failedAt) {
            r.failedAt = made.failedAt;
            r.unreachable = made.unreachable;
            r.failedTickets = static_cast<int>(bought[k]);
            return r;
        }
        m = std::move(made.values);
    }

    const std::vector<size_t> shown = shownPeriods(periods.size());

    std::vector<std::vector<std::uint32_t>> winners(periods.size());
    for (size_t k = 0; k < periods.size(); ++k) selections.winners(periods[k].draw, winners[k]);

    // The plan itself, on the tickets each chase began with.
    const PlanRules rules{plan, prize, r.expectedReturnRate, bought, multipliersOf};
    size_t s = 0;
    PlanPlay realPlay;
    realPlay.playTo(
        rules, periods.size(),
        [&](size_t k, size_t start, std::uint32_t) {
            std::int64_t h = 0;
            for (std::uint32_t t : periods[start].tickets)
                h += std::binary_search(winners[k].begin(), winners[k].end(), t) ? 1 : 0;
            return h;
        },
        [&](size_t k, std::int64_t net, double expected) {
            if (s < shown.size() && shown[s] == k) {
                r.curve.push_back({k, net, expected, expected, expected});
                ++s;
            }
        });
    const RunFigures real = realPlay.finish();
    for (; s < shown.size(); ++s)
        r.curve.push_back(
            {shown[s], real.net, real.expectedNet, real.expectedNet, real.expectedNet});
    r.played = real.played;
    r.chases = real.chases;
    r.chasesWon = real.chasesWon;
    r.chasesLost = real.chasesLost;
    r.chasesOpen = real.chasesOpen;
    r.chasesCutShort = real.chasesCutShort;
    r.ruinedIndex = real.ruinedIndex;
    if (real.ruinedIndex) r.ruinedAt = periods[*real.ruinedIndex].period;
    r.staked = real.staked;
    r.won = real.won;
    r.net = real.net;
    if (r.staked > 0) r.returnRate = static_cast<double>(r.won) / static_cast<double>(r.staked);
    r.maxDrawdown = real.maxDrawdown;
    r.maxStake = real.maxStake;
    r.longestChase = real.longestChase;
    if (options.runs <= 0) return r;

    // Every period of a run buys fresh random tickets, as many as the chase began with.
    const auto runs = static_cast<size_t>(options.runs);
    std::vector<PlanPlay> plays(runs);
    RunBand band(runs, r.curve, periods.size(), bandBudget);
    const bool finished = playRandomRuns(
        options, n, threads, progress, band.rounds(),
        [&](size_t run, size_t round, Random& random, TicketScratch& scratch) {
            PlanPlay& play = plays[run];
            std::int64_t* row = band.row(run);
            const size_t first = band.firstPoint(round);
            size_t at = first;
            play.playTo(
                rules, band.endPeriod(round),
                [&](size_t k, size_t, std::uint32_t tickets) {
                    return randomHits(random, n, tickets, winners[k], scratch.chosen,
                                      scratch.picked);
                },
                [&](size_t k, std::int64_t net, double) {
                    if (at < band.endPoint(round) && shown[at] == k) row[at++ - first] = net;
                });
            // After a ruin the net stays where it was.
            for (; at < band.endPoint(round); ++at) row[at - first] = play.figures().net;
        },
        [&](size_t round) { band.setBand(round); });
    if (!finished) {
        r.cancelled = true;
        return r;
    }

    ChaseRandomFigures random;
    random.runs = options.runs;
    double sum = 0;
    std::int64_t ruinedRuns = 0;
    std::vector<std::int64_t> finalNet(runs);
    for (size_t run = 0; run < runs; ++run) {
        const RunFigures& f = plays[run].figures();
        finalNet[run] = f.net;
        sum += static_cast<double>(f.net);
        ruinedRuns += f.ruinedIndex.has_value();
    }
    const auto count = static_cast<double>(runs);
    random.netMean = sum / count;
    const RankShares rank = rankAmong(finalNet, r.net);
    random.percentile = rank.midRank();
    random.below = rank.below;
    random.equal = rank.equal;
    random.above = rank.above;
    random.ruinShare = static_cast<double>(ruinedRuns) / count;
    r.random = random;
    return r;
}

} // namespace play
