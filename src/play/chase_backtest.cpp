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

// Plays the plan over the tested periods. bought[k] is the ticket count a chase starting at k
// buys, multipliersOf[t] the chase's multipliers for t tickets, hits(k, start) the winning
// tickets at k of a chase begun at start; atShown(k, net, expected) is told the net after each
// tested period until a ruin. Each yuan staked returns ticketReturn on average.
template <class Hits, class Shown>
RunFigures playPlan(const ChasePlan& plan, int prize, double ticketReturn,
                    const std::vector<std::uint32_t>& bought,
                    const std::vector<std::vector<std::int64_t>>& multipliersOf, Hits&& hits,
                    Shown&& atShown) {
    RunFigures f;
    const std::optional<std::int64_t>& bankroll = plan.bankroll;
    bool active = false, wonInChase = false;
    size_t start = 0;
    std::uint32_t tickets = 0;
    int i = 0;     // periods of the current chase bought
    int level = 0; // the multiplier of the chase's period: i, or its losses so far
    const bool byLosses = raisedOnLossOnly(plan.schedule);
    const std::vector<std::int64_t>* multipliers = nullptr;
    for (size_t k = 0; k < bought.size(); ++k) {
        if (!active && bought[k] > 0) {
            active = true;
            wonInChase = false;
            start = k;
            tickets = bought[k];
            i = 0;
            level = 0;
            multipliers = &multipliersOf[tickets];
        }
        if (active) {
            const std::int64_t multiplier = (*multipliers)[static_cast<size_t>(level)];
            const std::int64_t stake = multiplier * tickets * kTicketPrice;
            if (bankroll && stake > *bankroll + f.net) {
                f.ruinedIndex = k;
                // A chase under way ends here: won if it already was, else cut short.
                if (i > 0) ++(wonInChase ? f.chasesWon : f.chasesCutShort);
                return f;
            }
            if (i == 0) ++f.chases;
            ++f.played;
            f.staked += stake;
            f.expectedNet += static_cast<double>(stake) * (ticketReturn - 1);
            f.maxStake = std::max(f.maxStake, stake);
            const std::int64_t h = hits(k, start, tickets);
            const std::int64_t win = multiplier * h * prize;
            f.won += win;
            f.net += win - stake;
            f.peak = std::max(f.peak, f.net);
            f.maxDrawdown = std::max(f.maxDrawdown, f.peak - f.net);
            ++i;
            if (!byLosses || h == 0) ++level;
            f.longestChase = std::max<std::int64_t>(f.longestChase, i);
            wonInChase = wonInChase || h > 0;
            if ((h > 0 && plan.stopOnWin) || i == plan.length) {
                ++(wonInChase ? f.chasesWon : f.chasesLost);
                active = false;
            }
        }
        atShown(k, f.net, f.expectedNet);
    }
    if (active) {
        if (wonInChase)
            ++f.chasesWon;
        else
            ++f.chasesOpen;
    }
    return f;
}

} // namespace

ChaseBacktest chaseBacktest(const SelectionSet& selections, int prize, const ChasePlan& plan,
                            const std::vector<BetPeriod>& periods, const RandomOptions& options,
                            history::Progress& progress, unsigned threads) {
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
    size_t s = 0;
    const RunFigures real = playPlan(
        plan, prize, r.expectedReturnRate, bought, multipliersOf,
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
    std::vector<std::int64_t> finalNet(runs);
    std::vector<std::uint8_t> ruined(runs);
    std::vector<std::int64_t> shownNet(runs * shown.size());
    const bool finished = playRandomRuns(
        options, n, threads, progress, [&](size_t run, Random& random, TicketScratch& scratch) {
            std::int64_t* row = shownNet.data() + run * shown.size();
            size_t at = 0;
            const RunFigures f = playPlan(
                plan, prize, r.expectedReturnRate, bought, multipliersOf,
                [&](size_t k, size_t, std::uint32_t tickets) {
                    return randomHits(random, n, tickets, winners[k], scratch.chosen,
                                      scratch.picked);
                },
                [&](size_t k, std::int64_t net, double) {
                    if (at < shown.size() && shown[at] == k) row[at++] = net;
                });
            for (; at < shown.size(); ++at) row[at] = f.net;
            finalNet[run] = f.net;
            ruined[run] = f.ruinedIndex.has_value();
        });
    if (!finished) {
        r.cancelled = true;
        return r;
    }

    ChaseRandomFigures random;
    random.runs = options.runs;
    double sum = 0;
    std::int64_t ruinedRuns = 0;
    for (size_t run = 0; run < runs; ++run) {
        sum += static_cast<double>(finalNet[run]);
        ruinedRuns += ruined[run];
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
    setRandomBand(r.curve, shownNet, runs);
    return r;
}

} // namespace play
