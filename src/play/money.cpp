#include "play/money.h"

#include "play/random_runs.h"

#include <algorithm>
#include <cmath>

namespace play {

double binomialTail(std::int64_t n, double p, std::int64_t k) {
    if (k <= 0) return 1.0;
    if (k > n) return 0.0;
    if (p <= 0) return 0.0;
    if (p >= 1) return 1.0;
    const double logP = std::log(p), logQ = std::log1p(-p);
    const double logN = std::lgamma(static_cast<double>(n) + 1);
    auto term = [&](std::int64_t j) {
        const auto dj = static_cast<double>(j);
        return std::exp(logN - std::lgamma(dj + 1) - std::lgamma(static_cast<double>(n - j) + 1) +
                        dj * logP + static_cast<double>(n - j) * logQ);
    };
    // Sum the side of k away from the mean, where the terms fall off, until they are negligible.
    double sum = 0;
    if (static_cast<double>(k) > static_cast<double>(n) * p) {
        for (std::int64_t j = k; j <= n; ++j) {
            const double t = term(j);
            sum += t;
            if (t < sum * 1e-17) break;
        }
        return std::min(1.0, sum);
    }
    for (std::int64_t j = k - 1; j >= 0; --j) {
        const double t = term(j);
        sum += t;
        if (t < sum * 1e-17) break;
    }
    return std::clamp(1.0 - sum, 0.0, 1.0);
}

MoneyResult moneyFigures(const SelectionSet& selections, int prize,
                         const std::vector<BetPeriod>& periods, const RandomOptions& options,
                         history::Progress& progress, unsigned threads, size_t bandBudget) {
    MoneyResult r;
    const double p = chance(selections.play());
    const auto n = static_cast<std::uint32_t>(selections.size());
    r.steps = static_cast<std::int64_t>(periods.size());
    r.expectedReturnRate = prize * p / kTicketPrice;

    const std::vector<size_t> shown = shownPeriods(periods.size());

    std::vector<RandomPeriod> plain(periods.size());
    std::vector<std::uint32_t> winners;
    std::int64_t peak = 0, losing = 0, periodsWithTicket = 0;
    bool atMostOne = true;
    double expectedNet = 0;
    size_t nextShown = 0;
    r.hitsByPeriod.reserve(periods.size());
    for (size_t i = 0; i < periods.size(); ++i) {
        const BetPeriod& bet = periods[i];
        selections.winners(bet.draw, winners);
        std::int64_t hits = 0;
        for (std::uint32_t t : bet.tickets)
            hits += std::binary_search(winners.begin(), winners.end(), t) ? 1 : 0;
        const auto bought = static_cast<std::int64_t>(bet.tickets.size());
        r.tickets += bought;
        r.hits += hits;
        r.net += hits * prize - bought * kTicketPrice;
        expectedNet += static_cast<double>(bought) * (prize * p - kTicketPrice);
        peak = std::max(peak, r.net);
        r.maxDrawdown = std::max(r.maxDrawdown, peak - r.net);
        losing = hits ? 0 : losing + 1;
        r.longestLosingStreak = std::max(r.longestLosingStreak, losing);
        atMostOne = atMostOne && bought <= 1;
        periodsWithTicket += bought > 0;
        r.hitsByPeriod.push_back(static_cast<std::int32_t>(hits));
        plain[i] = {static_cast<std::uint32_t>(bought), winners};
        if (nextShown < shown.size() && shown[nextShown] == i) {
            r.curve.push_back({i, r.net, expectedNet, expectedNet, expectedNet});
            ++nextShown;
        }
    }
    r.cost = r.tickets * kTicketPrice;
    r.won = r.hits * prize;
    if (r.cost > 0) r.returnRate = static_cast<double>(r.won) / static_cast<double>(r.cost);
    r.expectedHits = static_cast<double>(r.tickets) * p;
    if (atMostOne && periodsWithTicket > 0) r.pValue = binomialTail(periodsWithTicket, p, r.hits);
    if (options.runs <= 0) return r;

    // The random runs buy as many tickets as the bets did, period by period.
    const auto runs = static_cast<size_t>(options.runs);
    std::vector<std::int64_t> nets(runs);
    RunBand band(runs, r.curve, plain.size(), bandBudget);
    const bool finished = playRandomRuns(
        options, n, threads, progress, band.rounds(),
        [&](size_t run, size_t round, Random& random, TicketScratch& scratch) {
            std::int64_t net = nets[run];
            std::int64_t* row = band.row(run);
            const size_t first = band.firstPoint(round);
            size_t s = first;
            for (size_t i = band.firstPeriod(round); i < band.endPeriod(round); ++i) {
                net += randomHits(random, n, plain[i], scratch.chosen, scratch.picked) * prize -
                       static_cast<std::int64_t>(plain[i].bought) * kTicketPrice;
                if (s < band.endPoint(round) && shown[s] == i) row[s++ - first] = net;
            }
            nets[run] = net;
        },
        [&](size_t round) { band.setBand(round); });
    if (!finished) {
        r.cancelled = true;
        return r;
    }

    RandomFigures random;
    random.runs = options.runs;
    double sum = 0;
    for (std::int64_t net : nets) sum += static_cast<double>(net);
    random.netMean = sum / static_cast<double>(runs);
    setRank(random, rankAmong(nets, r.net));
    r.random = random;
    return r;
}

} // namespace play
