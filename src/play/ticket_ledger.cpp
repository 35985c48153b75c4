#include "play/ticket_ledger.h"

#include <algorithm>
#include <map>
#include <numeric>
#include <random>

namespace play {

const char* const kLedgerCaveat =
    "期望净额按每注的精确中奖概率算，对任何选号方法都一样是负的；“运气至少一样好的机会”是同样这些注"
    "在均匀随机开奖下赢得不少于实际的概率，它小只说明这段时间运气好，不说明选号方法有效，也不能预测"
    "以后的期（事后挑出的日子、很多人里总有人运气好）。";

namespace {

bool anyPlay(Play play) {
    return play >= Play::Any2 && play <= Play::Any8;
}

// A distribution of winnings in fen: values ascending with their chances.
using Distribution = std::vector<std::pair<std::int64_t, double>>;

// The bets of one draw period: per play, each ticket's index and what it wins.
struct PeriodBets {
    std::map<Play, std::map<std::uint32_t, std::int64_t>> amounts;
    bool operator<(const PeriodBets& o) const { return amounts < o.amounts; }
};

Draw drawOf(int a, int b, int c, int d, int e) {
    return {static_cast<std::int16_t>(a), static_cast<std::int16_t>(b),
            static_cast<std::int16_t>(c), static_cast<std::int16_t>(d),
            static_cast<std::int16_t>(e)};
}

// The distribution of a period's winnings over every draw, each equally likely. 任选 depend on
// the set of five only and the front plays on the first three in order only, so each part is
// worked out over its own outcomes (462 sets, 990 ordered threes) and the two are joined over the
// 990 threes with each pair of the other eight numbers.
Distribution periodDistribution(const PeriodBets& bets) {
    std::vector<std::uint32_t> winners;
    auto won = [&](const Draw& draw, bool any) {
        std::int64_t total = 0;
        for (const auto& [play, amounts] : bets.amounts) {
            if (anyPlay(play) != any) continue;
            selectionsOf(play).winners(draw, winners);
            for (const std::uint32_t w : winners)
                if (const auto it = amounts.find(w); it != amounts.end()) total += it->second;
        }
        return total;
    };
    bool front = false, any = false;
    for (const auto& [play, _] : bets.amounts) {
        front = front || !anyPlay(play);
        any = any || anyPlay(play);
    }
    // 任选 by the mask of the five numbers.
    std::vector<std::int64_t> bySet(1 << 11, 0);
    for (int a = any ? 1 : 8; a <= 7; ++a)
        for (int b = a + 1; b <= 8; ++b)
            for (int c = b + 1; c <= 9; ++c)
                for (int d = c + 1; d <= 10; ++d)
                    for (int e = d + 1; e <= 11; ++e)
                        bySet[(1 << (a - 1)) | (1 << (b - 1)) | (1 << (c - 1)) | (1 << (d - 1)) |
                              (1 << (e - 1))] = won(drawOf(a, b, c, d, e), true);
    std::vector<std::int64_t> totals;
    if (!front) {
        for (const std::int64_t v : bySet)
            if (v != 0) totals.push_back(v);
        totals.resize(462, 0);
    } else {
        for (int a = 1; a <= 11; ++a)
            for (int b = 1; b <= 11; ++b)
                for (int c = 1; c <= 11; ++c) {
                    if (a == b || a == c || b == c) continue;
                    const int three = (1 << (a - 1)) | (1 << (b - 1)) | (1 << (c - 1));
                    int fill[2], k = 0;
                    for (int n = 1; k < 2; ++n)
                        if (!(three & (1 << (n - 1)))) fill[k++] = n;
                    const std::int64_t first = won(drawOf(a, b, c, fill[0], fill[1]), false);
                    if (!any) {
                        totals.push_back(first); // the same for every pair of the rest
                        continue;
                    }
                    for (int d = 1; d <= 11; ++d)
                        for (int e = d + 1; e <= 11; ++e) {
                            if ((three >> (d - 1) & 1) || (three >> (e - 1) & 1)) continue;
                            totals.push_back(first +
                                             bySet[three | (1 << (d - 1)) | (1 << (e - 1))]);
                        }
                }
    }
    std::sort(totals.begin(), totals.end());
    Distribution dist;
    const double each = 1.0 / static_cast<double>(totals.size());
    for (const std::int64_t t : totals) {
        if (!dist.empty() && dist.back().first == t)
            dist.back().second += each;
        else
            dist.emplace_back(t, each);
    }
    return dist;
}

// The bets of each draw period of the items.
std::map<int, PeriodBets> betsByPeriod(const std::vector<LedgerItem>& items, const Prizes& prizes) {
    std::map<int, PeriodBets> byPeriod;
    for (const LedgerItem& item : items) {
        const TicketRecord& r = *item.record;
        const std::int64_t amount =
            static_cast<std::int64_t>(prizes.of(r.play)) * 100 * item.period.multiplier;
        auto& amounts = byPeriod[item.period.period].amounts[r.play];
        const SelectionSet& set = selectionsOf(r.play);
        for (const Selection& s : r.tickets)
            if (const auto index = set.indexOf(s)) amounts[*index] += amount;
    }
    return byPeriod;
}

constexpr std::int64_t kMostSteps = 4000000;
constexpr double kMostWork = 2e7;

} // namespace

std::string drawDayText(int period) {
    const int day = period / 100;
    char text[16];
    std::snprintf(text, sizeof text, "20%02d-%02d-%02d", day / 10000, day / 100 % 100, day % 100);
    return text;
}

std::string drawMonthText(int period) {
    return drawDayText(period).substr(0, 7);
}

double expectedNetFen(const TicketRecord& record, int multiplier, const Prizes& prizes) {
    const double perTicket =
        chance(record.play) * prizes.of(record.play) * 100.0 - static_cast<double>(record.priceFen);
    return perTicket * multiplier * static_cast<double>(record.tickets.size());
}

LuckChance luckChance(const std::vector<LedgerItem>& items, const Prizes& prizes) {
    std::int64_t won = 0;
    for (const LedgerItem& item : items) won += item.period.wonFen;
    LuckChance luck;
    if (items.empty()) return luck;
    // Periods that bet the same get the same distribution: worked out once.
    std::map<PeriodBets, Distribution> known;
    std::vector<const Distribution*> periods;
    for (const auto& [period, bets] : betsByPeriod(items, prizes)) {
        auto it = known.find(bets);
        if (it == known.end()) it = known.emplace(bets, periodDistribution(bets)).first;
        periods.push_back(&it->second);
    }
    // Exact: the winnings in steps of their greatest common divisor, convolved period by period
    // over a dense table, while the table and the work stay small.
    std::int64_t step = 0, most = 0;
    double work = 0;
    for (const Distribution* d : periods) {
        for (const auto& [value, _] : *d) step = std::gcd(step, value);
        most += d->back().first;
        work += static_cast<double>(most) * static_cast<double>(d->size());
    }
    if (step == 0) {
        luck.atLeast = won <= 0 ? 1.0 : 0.0;
        return luck;
    }
    if (most / step <= kMostSteps && work / static_cast<double>(step) <= kMostWork) {
        std::vector<double> sum(static_cast<size_t>(most / step) + 1, 0.0), next;
        sum[0] = 1.0;
        size_t reach = 0; // the highest index that can be reached so far
        for (const Distribution* d : periods) {
            next.assign(sum.size(), 0.0);
            for (size_t a = 0; a <= reach; ++a) {
                if (sum[a] == 0) continue;
                for (const auto& [value, p] : *d)
                    next[a + static_cast<size_t>(value / step)] += sum[a] * p;
            }
            reach += static_cast<size_t>(d->back().first / step);
            sum.swap(next);
        }
        // P(X >= won), summed from the top down; won is a sum of these steps.
        double atLeast = 0;
        const std::int64_t from = (won + step - 1) / step;
        for (size_t k = sum.size(); k-- > static_cast<size_t>(std::max<std::int64_t>(from, 0));)
            atLeast += sum[k];
        luck.atLeast = std::clamp(atLeast, 0.0, 1.0);
        return luck;
    }
    // Too many sums: simulated, each period's winnings drawn from its exact distribution.
    std::vector<std::vector<double>> cumulative;
    for (const Distribution* d : periods) {
        std::vector<double> c;
        double total = 0;
        for (const auto& [_, p] : *d) c.push_back(total += p);
        cumulative.push_back(std::move(c));
    }
    std::mt19937_64 random(kLuckSeed);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    int atLeast = 0;
    for (int run = 0; run < kLuckRuns; ++run) {
        std::int64_t total = 0;
        for (size_t k = 0; k < periods.size(); ++k) {
            const auto& c = cumulative[k];
            size_t at = static_cast<size_t>(std::upper_bound(c.begin(), c.end(), uniform(random)) -
                                            c.begin());
            at = std::min(at, c.size() - 1);
            total += (*periods[k])[at].first;
        }
        if (total >= won) ++atLeast;
    }
    luck.simulated = true;
    luck.runs = kLuckRuns;
    luck.seed = kLuckSeed;
    luck.atLeast = (atLeast + 1.0) / (kLuckRuns + 1.0);
    return luck;
}

LedgerLine ledgerLine(const std::string& label, const std::vector<LedgerItem>& items,
                      const Prizes& prizes) {
    LedgerLine line;
    line.label = label;
    std::vector<int> periods;
    for (const LedgerItem& item : items) {
        periods.push_back(item.period.period);
        line.tickets += static_cast<std::int64_t>(item.record->tickets.size());
        line.stakedFen += item.period.stakeFen;
        line.wonFen += item.period.wonFen;
        line.expectedNetFen += expectedNetFen(*item.record, item.period.multiplier, prizes);
    }
    std::sort(periods.begin(), periods.end());
    line.periods = static_cast<int>(std::unique(periods.begin(), periods.end()) - periods.begin());
    line.luck = luckChance(items, prizes);
    return line;
}

std::vector<LedgerLine> ledgerLines(const std::vector<LedgerItem>& items, LedgerGrouping by,
                                    const Prizes& prizes) {
    std::map<std::string, std::vector<LedgerItem>> groups;
    for (const LedgerItem& item : items)
        groups[by == LedgerGrouping::Day ? drawDayText(item.period.period)
                                         : drawMonthText(item.period.period)]
            .push_back(item);
    std::vector<LedgerLine> lines;
    for (const auto& [label, group] : groups) lines.push_back(ledgerLine(label, group, prizes));
    lines.push_back(ledgerLine("全部", items, prizes));
    return lines;
}

std::vector<BankrollPoint> bankroll(const std::vector<LedgerItem>& items, const Prizes& prizes) {
    std::map<int, std::pair<std::int64_t, double>> byPeriod;
    for (const LedgerItem& item : items) {
        auto& [net, expected] = byPeriod[item.period.period];
        net += item.period.wonFen - item.period.stakeFen;
        expected += expectedNetFen(*item.record, item.period.multiplier, prizes);
    }
    std::vector<BankrollPoint> points;
    BankrollPoint point;
    for (const auto& [period, change] : byPeriod) {
        point.period = period;
        point.netFen += change.first;
        point.expectedFen += change.second;
        points.push_back(point);
    }
    return points;
}

} // namespace play
