// Runs of a shape (长龙): found in hand-built histories, and the chance of a run in a day against
// a count of every sequence of values and against simulated days of random draws.

#include "search/streak.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numeric>
#include <random>

namespace {

using search::StreakKind;
using search::StreakShape;

history::HistoryRow row(std::int32_t period, std::array<int, 5> numbers) {
    history::HistoryRow r;
    r.period = period;
    for (size_t i = 0; i < 5; ++i)
        r.values[history::Number][i] = static_cast<std::int16_t>(numbers[i]);
    return r;
}

TEST(StreakTest, ReadsKindsAndRefusesUnknownShapesAndPositions) {
    EXPECT_EQ(search::parseStreakKind("big:1").kind, (StreakKind{StreakShape::Big, 1}));
    EXPECT_EQ(search::parseStreakKind("odd").kind, (StreakKind{StreakShape::Odd, 0}));
    EXPECT_EQ(search::parseStreakKind("dragon").kind, (StreakKind{StreakShape::Dragon, 0}));
    for (const char* bad : {"tall:1", "big:6", "big:0", "big:", "sum5:2", "dragon:1", ""})
        EXPECT_FALSE(search::parseStreakKind(bad).kind) << bad;
    EXPECT_NE(search::parseStreakKind("tall").error.find("没有这个形态"), std::string::npos);
    for (const char* text : {"route012:5", "sum5", "span", "prime:3"})
        EXPECT_EQ(search::streakKindText(*search::parseStreakKind(text).kind), text);
}

TEST(StreakTest, FindsTheRunInProgressInDrawnOrderAndBreaksItAtAMissingDraw) {
    // First position: 07 big, 09 big, 06 big (across the day's end into draw 01), 11 big.
    const std::vector<history::HistoryRow> rows = {
        row(25020182, {2, 3, 4, 5, 6}),   // 02 small
        row(25020183, {7, 1, 2, 3, 4}),   // 龙, sum 17 small
        row(25020184, {9, 8, 1, 2, 3}),   // 龙, sum 23 small
        row(25020201, {6, 11, 10, 9, 8}), // 虎 (06 < 08), sum 44 big
        row(25020202, {11, 1, 2, 3, 10}), // 龙, sum 27 small
    };
    const StreakKind big1{StreakShape::Big, 1};
    auto run = search::currentRun(big1, rows, rows.size());
    EXPECT_EQ(run.value, 1);
    EXPECT_EQ(run.length, 4u);
    EXPECT_EQ(run.first, 1u);
    EXPECT_EQ(search::streakValueLabel(big1, run.value), "大");
    // The fifth number in drawn order, not the largest: 06 04 03 08 10.
    run = search::currentRun({StreakShape::Big, 5}, rows, rows.size());
    EXPECT_EQ(run.length, 2u);
    run = search::currentRun({StreakShape::Big, 5}, rows, 3);
    EXPECT_EQ(run.length, 2u); // 04 03 small, after 06 big
    run = search::currentRun({StreakShape::Dragon, 0}, rows, 3);
    EXPECT_EQ(search::streakValueLabel({StreakShape::Dragon, 0}, run.value), "龙");
    EXPECT_EQ(run.length, 2u);
    run = search::currentRun({StreakShape::Sum5, 0}, rows, 3);
    EXPECT_EQ(run.length, 3u);
    EXPECT_EQ(search::currentRun(big1, rows, 0).length, 0u);

    // Draw 83 missing: the run of big starts again after the gap.
    std::vector<history::HistoryRow> gap = {row(25020181, {7, 1, 2, 3, 4}),
                                            row(25020182, {8, 1, 2, 3, 4}),
                                            row(25020184, {9, 1, 2, 3, 4})};
    EXPECT_EQ(search::currentRun(big1, gap, gap.size()).length, 1u);
    gap[2].period = 25020183;
    EXPECT_EQ(search::currentRun(big1, gap, gap.size()).length, 3u);
    // A later day that starts at draw 02 has lost its first draw.
    gap[2].period = 25020202;
    EXPECT_EQ(search::currentRun(big1, gap, gap.size()).length, 1u);

    // The sum's middle value 30 and the span's 7 are values of their own.
    const std::array<int, 5> thirty = {1, 4, 6, 8, 11}; // sum 30, span 10
    const std::array<int, 5> seven = {2, 3, 4, 5, 9};   // sum 23, span 7
    EXPECT_EQ(search::streakValueLabel({StreakShape::Sum5, 0},
                                       search::streakValue({StreakShape::Sum5, 0}, thirty)),
              "和");
    EXPECT_EQ(search::streakValueLabel({StreakShape::Span, 0},
                                       search::streakValue({StreakShape::Span, 0}, seven)),
              "中");
    EXPECT_EQ(search::streakValueLabel({StreakShape::Odd, 0},
                                       search::streakValue({StreakShape::Odd, 0}, seven)),
              "3:2");
}

TEST(StreakTest, ValueChancesCountEveryOrderedDraw) {
    const auto big = search::streakValueChances({StreakShape::Big, 2});
    ASSERT_EQ(big.size(), 2u);
    EXPECT_NEAR(big[1].chance, 6.0 / 11, 1e-12);
    const auto route = search::streakValueChances({StreakShape::Route012, 4});
    ASSERT_EQ(route.size(), 3u);
    EXPECT_NEAR(route[0].chance, 3.0 / 11, 1e-12);
    EXPECT_NEAR(search::streakValueChances({StreakShape::Dragon, 0})[1].chance, 0.5, 1e-12);
    // Spans of five of 01..11: (11 - s) x C(s - 1, 3) sets each; 4..6 small, 7 middle.
    const auto span = search::streakValueChances({StreakShape::Span, 0});
    ASSERT_EQ(span.size(), 3u);
    EXPECT_NEAR(span[0].chance, 81.0 / 462, 1e-12);
    EXPECT_NEAR(span[1].chance, 301.0 / 462, 1e-12);
    EXPECT_NEAR(span[2].chance, 80.0 / 462, 1e-12);
    const auto sum = search::streakValueChances({StreakShape::Sum5, 0});
    EXPECT_NEAR(sum[0].chance, sum[1].chance, 1e-12); // symmetric about 30
}

// The chance of a run of at least `length` in `draws` draws, summed over every sequence of values.
double countedRunChance(const std::vector<double>& chances, int length, int draws) {
    double total = 0;
    std::vector<size_t> sequence(static_cast<size_t>(draws), 0);
    const std::function<void(size_t, double)> walk = [&](size_t at, double chance) {
        if (at == sequence.size()) {
            int longest = 0, run = 0;
            for (size_t i = 0; i < sequence.size(); ++i) {
                run = i > 0 && sequence[i] == sequence[i - 1] ? run + 1 : 1;
                longest = std::max(longest, run);
            }
            if (longest >= length) total += chance;
            return;
        }
        for (size_t v = 0; v < chances.size(); ++v) {
            sequence[at] = v;
            walk(at + 1, chance * chances[v]);
        }
    };
    walk(0, 1.0);
    return total;
}

TEST(StreakTest, RunChanceMatchesACountOfEverySequence) {
    for (const StreakKind kind : {StreakKind{StreakShape::Big, 1}, StreakKind{StreakShape::Sum5, 0},
                                  StreakKind{StreakShape::Odd, 0}}) {
        std::vector<double> chances;
        for (const auto& v : search::streakValueChances(kind)) chances.push_back(v.chance);
        const int most = chances.size() > 3 ? 6 : 9;
        for (int draws = 1; draws <= most; ++draws)
            for (int length = 1; length <= draws + 1; ++length)
                EXPECT_NEAR(search::runChance(chances, length, draws),
                            countedRunChance(chances, length, draws), 1e-12)
                    << search::streakKindText(kind) << " draws " << draws << " length " << length;
    }
}

TEST(StreakTest, RunChanceInADayHoldsOnSimulatedDays) {
    std::mt19937_64 random(20260912);
    struct Case {
        StreakKind kind;
        int length;
        int draws;
    };
    for (const Case c : {Case{{StreakShape::Big, 1}, 8, 84}, Case{{StreakShape::Sum5, 0}, 6, 90},
                         Case{{StreakShape::Route012, 3}, 5, 79}}) {
        const double chance = search::streakChanceInDay(c.kind, c.length, c.draws);
        constexpr int kDays = 4000;
        int withRun = 0;
        for (int day = 0; day < kDays; ++day) {
            int run = 0, previous = -1;
            bool found = false;
            for (int d = 0; d < c.draws; ++d) {
                std::array<int, 11> pool;
                std::iota(pool.begin(), pool.end(), 1);
                for (size_t i = 0; i < 5; ++i) std::swap(pool[i], pool[i + random() % (11 - i)]);
                const std::array<int, 5> draw = {pool[0], pool[1], pool[2], pool[3], pool[4]};
                const int value = search::streakValue(c.kind, draw);
                run = value == previous ? run + 1 : 1;
                previous = value;
                found = found || run >= c.length;
            }
            withRun += found;
        }
        const double sd = std::sqrt(kDays * chance * (1 - chance));
        EXPECT_NEAR(withRun, kDays * chance, 4.5 * sd) << search::streakKindText(c.kind);
        EXPECT_GT(chance, 0.05);
        EXPECT_LT(chance, 0.95);
    }
}

} // namespace
