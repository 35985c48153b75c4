// What chance gives: the band beside a tally, the chance of a set of values, and the exact tail
// of a sum of unequal chances, each set against a direct count.

#include "history/attributes.h"
#include "history/period.h"
#include "history/zodiac.h"
#include "search/chance.h"
#include "search/tally.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>

namespace {

// A history of two draws a day from 2024-01-20 to 2024-03-05, across the Lunar New Year of
// 2024-02-10, with each draw's zodiac values taken in its own zodiac year.
std::vector<history::HistoryRow> historyAcrossNewYear(std::mt19937& random, bool animalOrder,
                                                      int zodiacBase, int segmentBase) {
    std::vector<history::HistoryRow> rows;
    history::Zodiac zodiac;
    zodiac.setValueOrder(animalOrder, zodiacBase);
    const int days[][2] = {{1, 20}, {1, 31}, {2, 9}, {2, 10}, {2, 11}, {2, 29}, {3, 5}};
    for (const auto& [month, day] : days) {
        for (int draw = 1; draw <= 2; ++draw) {
            history::HistoryRow row;
            row.period = 24000000 + month * 10000 + day * 100 + draw;
            row.id = static_cast<std::int64_t>(rows.size()) + 1;
            zodiac.setYearOfPeriod(history::tenDigit(row.period));
            zodiac.updateYearGroups();
            std::vector<int> all(11);
            std::iota(all.begin(), all.end(), 1);
            std::shuffle(all.begin(), all.end(), random);
            history::Numbers numbers{all[0], all[1], all[2], all[3], all[4]};
            row.values = history::deriveDraw(numbers, zodiac, segmentBase);
            rows.push_back(row);
        }
    }
    return rows;
}

// The value of kind that number n carries at period, found without the class under test.
int valueAt(history::Kind kind, int n, int period, bool animalOrder, int zodiacBase,
            int segmentBase) {
    history::Zodiac zodiac;
    zodiac.setValueOrder(animalOrder, zodiacBase);
    zodiac.setYearOfPeriod(history::tenDigit(period));
    zodiac.updateYearGroups();
    history::Numbers numbers{n, n, n, n, n};
    return history::deriveDraw(numbers, zodiac, segmentBase)[kind][0];
}

double choose(int n, int k) {
    if (k < 0 || k > n) return 0;
    double c = 1;
    for (int i = 0; i < k; ++i) c = c * (n - i) / (i + 1);
    return c;
}

} // namespace

TEST(Chance, BandsSumEachHitPeriodsOwnChances) {
    std::mt19937 random(11);
    for (int zodiacBase : {0, 1}) {
        const int segmentBase = 1 - zodiacBase;
        const history::Zodiac zodiac = [&] {
            history::Zodiac z;
            z.setValueOrder(true, zodiacBase);
            return z;
        }();
        const auto rows = historyAcrossNewYear(random, true, zodiacBase, segmentBase);
        std::vector<std::uint32_t> hits;
        for (std::uint32_t r = 0; r < rows.size(); ++r)
            if (random() % 3) hits.push_back(r);
        for (int kind = 0; kind < history::kKinds; ++kind) {
            const auto k = static_cast<history::Kind>(kind);
            const auto tally = search::tallyHits(rows, hits, k, zodiacBase, segmentBase);
            const auto bands = search::chanceBands(rows, hits, tally, zodiac, segmentBase);
            ASSERT_EQ(bands.size(), tally.byValue.size());
            for (size_t v = 0; v < bands.size(); ++v) {
                double expected = 0, variance = 0;
                for (std::uint32_t r : hits) {
                    int carriers = 0;
                    for (int n = 1; n <= 11; ++n)
                        carriers += valueAt(k, n, rows[r].period, true, zodiacBase, segmentBase) ==
                                    tally.byValue[v].value;
                    const double p = carriers / 11.0;
                    expected += 5 * p;
                    variance += 5 * p * (1 - p) * 6 / 10;
                }
                const std::string what =
                    "kind " + std::to_string(kind) + " value " + std::to_string(v);
                EXPECT_NEAR(bands[v].expected, expected, 1e-9) << what;
                EXPECT_NEAR(bands[v].high, expected + 1.96 * std::sqrt(variance), 1e-9) << what;
                EXPECT_NEAR(bands[v].low, std::max(0.0, expected - 1.96 * std::sqrt(variance)),
                            1e-9)
                    << what;
            }
        }
    }

    // Every zodiac sign drawn in the history has a chance of being drawn: the reference follows
    // each period's year, not the year of today.
    const history::Zodiac today;
    const auto rows = historyAcrossNewYear(random, true, 1, 1);
    std::vector<std::uint32_t> all(rows.size());
    std::iota(all.begin(), all.end(), 0u);
    const auto tally = search::tallyHits(rows, all, history::ZodiacKind, 1, 1);
    const auto bands = search::chanceBands(rows, all, tally, today, 1);
    for (size_t v = 0; v < bands.size(); ++v) {
        if (tally.byValue[v].count > 0) {
            EXPECT_GT(bands[v].expected, 0) << v;
        }
    }

    // Without hits nothing is expected; a head of 1 is carried by 10 and 11 alone.
    const auto heads = search::tallyHits(rows, {0}, history::Head, 1, 1);
    const auto headBands = search::chanceBands(rows, {0}, heads, today, 1);
    EXPECT_DOUBLE_EQ(headBands[0].expected, 5 * 9 / 11.0);
    EXPECT_DOUBLE_EQ(headBands[1].expected, 5 * 2 / 11.0);
    const auto none = search::chanceBands(rows, {}, heads, today, 1);
    EXPECT_EQ(none[1].expected, 0);
    EXPECT_EQ(none[1].high, 0);
}

TEST(Chance, ChanceOfAnyCountsTheDrawsHoldingOneOfTheNumbers) {
    for (int m = 0; m <= 11; ++m) {
        // Of the C(11, 5) draws, those holding none of m numbers take all five from the rest.
        int holding = 0, draws = 0;
        for (int mask = 0; mask < (1 << 11); ++mask) {
            if (__builtin_popcount(mask) != 5) continue;
            ++draws;
            holding += (mask & ((1 << m) - 1)) != 0;
        }
        EXPECT_NEAR(search::chanceOfAny(m), static_cast<double>(holding) / draws, 1e-12) << m;
    }
    EXPECT_NEAR(search::chanceOfAny(1), 5 / 11.0, 1e-12);
    EXPECT_EQ(choose(11, 5), 462);
}

TEST(Chance, PoissonBinomialTailMatchesEnumeration) {
    std::mt19937 random(5);
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    for (int round = 0; round < 40; ++round) {
        const int n = 1 + round % 12;
        std::vector<double> q(static_cast<size_t>(n));
        for (auto& x : q) x = round % 5 == 0 ? 0.5 : chance(random);
        if (round % 7 == 3) q[0] = 1.0, q[n - 1] = 0.0; // certain and impossible trials
        std::vector<double> exact(static_cast<size_t>(n) + 1, 0.0);
        for (int outcome = 0; outcome < (1 << n); ++outcome) {
            double p = 1;
            for (int t = 0; t < n; ++t) p *= (outcome >> t & 1) ? q[t] : 1 - q[t];
            exact[static_cast<size_t>(__builtin_popcount(outcome))] += p;
        }
        for (int s = 0; s <= n + 1; ++s) {
            double tail = 0;
            for (int j = std::max(s, 0); j <= n; ++j) tail += exact[static_cast<size_t>(j)];
            EXPECT_NEAR(search::poissonBinomialTail(q, s), tail, 1e-12)
                << "round " << round << " s " << s;
        }
    }
    // Equal chances give the binomial tail; a very unlikely count stays a tiny positive number.
    const std::vector<double> halves(40, 0.5);
    double tail = 0;
    for (int j = 30; j <= 40; ++j) tail += choose(40, j) / std::pow(2.0, 40);
    EXPECT_NEAR(search::poissonBinomialTail(halves, 30) / tail, 1.0, 1e-9);
    const std::vector<double> small(1000, 0.01);
    const double far = search::poissonBinomialTail(small, 200);
    EXPECT_GT(far, 0.0);
    EXPECT_LT(far, 1e-100);
    EXPECT_EQ(search::poissonBinomialTail(small, 0), 1.0);
    EXPECT_EQ(search::poissonBinomialTail(small, 1001), 0.0);
}
