#include "play/random_draws.h"

#include "play/random_runs.h"
#include "play/shrink_chance.h"

#include <algorithm>
#include <map>

namespace play {

namespace {

// The periods' distinct ticket sets, each with how many of the equally likely outcomes give each
// win count.
struct PeriodWins {
    std::vector<std::vector<std::uint32_t>> counts; // per set: outcomes by win count
    std::vector<size_t> of;                         // per period: its set
};

PeriodWins periodWins(const OutcomeCover& cover, const std::vector<BetPeriod>& periods) {
    auto less = [&](size_t a, size_t b) { return periods[a].tickets < periods[b].tickets; };
    std::map<size_t, size_t, decltype(less)> seen(less);
    PeriodWins w;
    w.of.resize(periods.size());
    for (size_t p = 0; p < periods.size(); ++p) {
        if (p > 0 && periods[p].tickets == periods[p - 1].tickets) {
            w.of[p] = w.of[p - 1];
            continue;
        }
        const auto [at, added] = seen.try_emplace(p, w.counts.size());
        if (added) w.counts.push_back(cover.winCounts(periods[p].tickets));
        w.of[p] = at->second;
    }
    return w;
}

// The least value whose cumulative chance exceeds share, as the runs' quantile takes it.
size_t quantileOf(const std::vector<double>& chances, double share) {
    double sum = 0;
    for (size_t k = 0; k < chances.size(); ++k) {
        sum += chances[k];
        if (sum > share + 1e-12) return k;
    }
    return chances.empty() ? 0 : chances.size() - 1;
}

// The sum of the periods' wins, one period's chances after another. False when cancelled.
bool exactFigures(const PeriodWins& w, double outcomes, int prize,
                  const std::vector<BetPeriod>& periods, MoneyResult& r,
                  history::Progress& progress) {
    std::vector<std::vector<std::pair<size_t, double>>> steps(w.counts.size());
    std::vector<double> meanWins(w.counts.size(), 0);
    for (size_t c = 0; c < w.counts.size(); ++c)
        for (size_t k = 0; k < w.counts[c].size(); ++k)
            if (w.counts[c][k]) {
                const double chance = w.counts[c][k] / outcomes;
                steps[c].push_back({k, chance});
                meanWins[c] += static_cast<double>(k) * chance;
            }

    std::vector<double> chances{1.0}, next;
    std::int64_t cost = 0;
    double mean = 0;
    size_t s = 0;
    progress.setTotal(periods.size());
    for (size_t p = 0; p < periods.size(); ++p) {
        const size_t c = w.of[p];
        next.assign(chances.size() + w.counts[c].size() - 1, 0.0);
        for (const auto& [wins, chance] : steps[c])
            for (size_t k = 0; k < chances.size(); ++k) next[k + wins] += chances[k] * chance;
        chances.swap(next);
        const auto bought = static_cast<std::int64_t>(periods[p].tickets.size());
        cost += bought * kTicketPrice;
        mean += meanWins[c] * prize - static_cast<double>(bought * kTicketPrice);
        if (s < r.curve.size() && r.curve[s].index == p) {
            r.curve[s].low = static_cast<double>(
                static_cast<std::int64_t>(quantileOf(chances, 0.05)) * prize - cost);
            r.curve[s].high = static_cast<double>(
                static_cast<std::int64_t>(quantileOf(chances, 0.95)) * prize - cost);
            ++s;
        }
        if ((p & 63) == 63 && !progress.advance(p + 1)) return false;
    }
    if (!progress.advance(periods.size())) return false;

    RandomFigures random;
    random.exact = true;
    random.netMean = mean;
    double below = 0, equal = 0, above = 0;
    for (size_t k = 0; k < chances.size(); ++k) {
        const auto hits = static_cast<std::int64_t>(k);
        (hits < r.hits ? below : hits == r.hits ? equal : above) += chances[k];
    }
    const double total = below + equal + above;
    setRank(random, {below / total, equal / total, above / total});
    r.random = random;
    return true;
}

} // namespace

bool compareWithRandomDraws(const SelectionSet& selections, int prize,
                            const std::vector<BetPeriod>& periods, const RandomOptions& options,
                            MoneyResult& r, history::Progress& progress, unsigned threads,
                            std::int64_t exactWork, size_t bandBudget) {
    r.random.reset();
    if (options.runs <= 0 || periods.empty()) return true;
    const OutcomeCover& cover = outcomeCoverOf(selections.play());
    const PeriodWins w = periodWins(cover, periods);
    const auto outcomes = static_cast<std::uint32_t>(cover.outcomes());

    // The exact sum takes, each period, every win count so far times the period's own.
    std::int64_t work = 0, support = 1;
    for (size_t p = 0; p < periods.size() && work <= exactWork; ++p) {
        const auto& counts = w.counts[w.of[p]];
        work += support * static_cast<std::int64_t>(std::count_if(
                              counts.begin(), counts.end(), [](std::uint32_t n) { return n > 0; }));
        support += static_cast<std::int64_t>(counts.size()) - 1;
    }
    work += support * static_cast<std::int64_t>(r.curve.size());
    if (work <= exactWork) return exactFigures(w, outcomes, prize, periods, r, progress);

    // Histories of random draws: each period's wins taken by where a random outcome falls among
    // the cumulative counts.
    std::vector<std::vector<std::uint32_t>> cumulative = w.counts;
    for (auto& counts : cumulative)
        for (size_t k = 1; k < counts.size(); ++k) counts[k] += counts[k - 1];
    std::vector<std::int64_t> costSoFar(periods.size());
    std::int64_t cost = 0;
    for (size_t p = 0; p < periods.size(); ++p) {
        cost += static_cast<std::int64_t>(periods[p].tickets.size()) * kTicketPrice;
        costSoFar[p] = cost;
    }
    const auto runs = static_cast<size_t>(options.runs);
    std::vector<std::int64_t> hitsOf(runs);
    RunBand band(runs, r.curve, periods.size(), bandBudget);
    const bool finished = playRandomRuns(
        options, 1, threads, progress, band.rounds(),
        [&](size_t run, size_t round, Random& random, TicketScratch&) {
            std::int64_t hits = hitsOf[run];
            std::int64_t* row = band.row(run);
            const size_t first = band.firstPoint(round);
            size_t s = first;
            for (size_t p = band.firstPeriod(round); p < band.endPeriod(round); ++p) {
                const auto& counts = cumulative[w.of[p]];
                const std::uint32_t u = random.below(outcomes);
                size_t wins = 0;
                while (counts[wins] <= u) ++wins;
                hits += static_cast<std::int64_t>(wins);
                if (s < band.endPoint(round) && r.curve[s].index == p)
                    row[s++ - first] = hits * prize - costSoFar[p];
            }
            hitsOf[run] = hits;
        },
        [&](size_t round) { band.setBand(round); });
    if (!finished) return false;
    RandomFigures random;
    random.runs = options.runs;
    double sum = 0;
    std::vector<std::int64_t>& finalNet = hitsOf;
    for (std::int64_t& net : finalNet) {
        net = net * prize - cost;
        sum += static_cast<double>(net);
    }
    random.netMean = sum / static_cast<double>(runs);
    setRank(random, rankAmong(finalNet, r.net));
    r.random = random;
    return true;
}

} // namespace play
