// Where a bet stands against luck, on uniformly random draws: a tie with the random runs counts
// half, and a shrunk bet is set against its own tickets on random draws, exactly or by simulated
// draws. On random draws neither says "better than 95 % of luck" more often than 5 % of the time.

#include "play/money.h"
#include "play/pick_rules.h"
#include "play/random_draws.h"
#include "play/random_runs.h"
#include "play/shrink.h"
#include "support/random_history.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using play::Play;
using testing_support::randomHistory;

// The most and the least times an event of chance 5 % may come out in n trials: three standard
// deviations either side.
int mostAtFivePercent(int n) {
    return static_cast<int>(std::ceil(0.05 * n + 3 * std::sqrt(n * 0.05 * 0.95)));
}
int leastAtFivePercent(int n) {
    return static_cast<int>(std::floor(0.05 * n - 3 * std::sqrt(n * 0.05 * 0.95)));
}

void expectShares(const play::RandomFigures& r) {
    EXPECT_NEAR(r.below + r.equal + r.above, 1.0, 1e-9);
    EXPECT_NEAR(r.percentile, r.below + r.equal / 2, 1e-12);
}

TEST(RandomRuns, TiesCountHalf) {
    const std::vector<std::int64_t> nets = {-4, -2, -2, 0, 0, 0, 5, 9};
    const auto rank = play::rankAmong(nets, 0);
    EXPECT_DOUBLE_EQ(rank.below, 3.0 / 8);
    EXPECT_DOUBLE_EQ(rank.equal, 3.0 / 8);
    EXPECT_DOUBLE_EQ(rank.above, 2.0 / 8);
    EXPECT_DOUBLE_EQ(rank.midRank(), 4.5 / 8);
    // Every run tied: the bet did better than half of them, not all.
    EXPECT_DOUBLE_EQ(play::rankAmong({-6, -6, -6}, -6).midRank(), 0.5);
}

// A ticket bought every period of random draws, against random tickets: 任五 (one win in 462, so
// most runs tie at no win) and 任二 (about 18 wins in 100 periods).
TEST(RandomRuns, OnRandomDrawsTheShareAbove95PercentStaysNearFivePercent) {
    const int trials = 300;
    for (const auto& [game, prize] : {std::pair{Play::Any5, 540}, std::pair{Play::Any2, 6}}) {
        const play::SelectionSet selections(game);
        history::NoProgress progress;
        int above = 0;
        for (int trial = 0; trial < trials; ++trial) {
            const auto rows = randomHistory(100, 1000 + static_cast<unsigned>(trial));
            auto periods = play::testedPeriods(rows, 1);
            play::buyFixed(periods, {7});
            const auto r = play::moneyFigures(selections, prize, periods,
                                              {200, static_cast<std::uint64_t>(trial)}, progress);
            ASSERT_TRUE(r.random);
            expectShares(*r.random);
            above += r.random->percentile > 0.95;
        }
        EXPECT_LE(above, mostAtFivePercent(trials)) << play::info(game).code;
        // With wins enough to spread the runs out, the share is near 5 %, not far below.
        if (game == Play::Any2) {
            EXPECT_GE(above, leastAtFivePercent(trials));
        }
    }
}

// The kept tickets of a filter in each of the last `steps` periods.
std::vector<play::BetPeriod> shrunkPeriods(Play game,
                                           const std::vector<play::Condition>& conditions,
                                           const std::vector<history::HistoryRow>& rows,
                                           int steps) {
    auto periods = play::testedPeriods(rows, play::firstTestedRow(rows.size(), steps));
    play::ShrinkFilter filter(play::selectionsOf(game), conditions, rows);
    for (auto& p : periods) {
        filter.moveTo(p.row);
        p.tickets = filter.kept();
    }
    return periods;
}

play::MoneyResult againstRandomDraws(Play game, int prize,
                                     const std::vector<play::BetPeriod>& periods, int runs,
                                     std::uint64_t seed, std::int64_t exactWork,
                                     unsigned threads = 0) {
    history::NoProgress progress;
    const auto& selections = play::selectionsOf(game);
    auto r = play::moneyFigures(selections, prize, periods, {0, seed}, progress);
    EXPECT_TRUE(play::compareWithRandomDraws(selections, prize, periods, {runs, seed}, r, progress,
                                             threads, exactWork));
    return r;
}

std::vector<play::Condition> danAndSpan() {
    play::Condition dan;
    dan.kind = play::ConditionKind::Dan;
    dan.numbers = 1; // 01
    dan.atLeast = 1;
    play::Condition span;
    span.kind = play::ConditionKind::Span;
    span.low = 5;
    span.high = 9;
    return {dan, span};
}

// 任三 holding 01 with a span of 5..9: the kept tickets all hold 01, so they win together or not
// at all, and random tickets bought in their place win far more steadily.
TEST(ShrinkAgainstRandomDraws, OnRandomDrawsTheShareAbove95PercentStaysNearFivePercent) {
    const int trials = 300;
    int above = 0;
    for (int trial = 0; trial < trials; ++trial) {
        const auto rows = randomHistory(160, 7000 + static_cast<unsigned>(trial));
        const auto periods = shrunkPeriods(Play::Any3, danAndSpan(), rows, 150);
        const auto r = againstRandomDraws(Play::Any3, 19, periods, 100, 1, play::kExactDrawWork);
        ASSERT_TRUE(r.random);
        ASSERT_TRUE(r.random->exact);
        expectShares(*r.random);
        above += r.random->percentile >= 0.95;
    }
    EXPECT_LE(above, mostAtFivePercent(trials));
}

TEST(ShrinkAgainstRandomDraws, ExactByHandAndSimulatedAlike) {
    // 前一 01 over three periods: wins binomial(3, 1/11); won in two of them.
    std::vector<history::HistoryRow> rows(4);
    const int first[] = {5, 1, 2, 1};
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i].values[history::Number] = {static_cast<std::int16_t>(first[i]), 6, 7, 8, 9};
    auto periods = play::testedPeriods(rows, 1);
    play::buyFixed(periods, {0});
    const auto r = againstRandomDraws(Play::Front1, 13, periods, 10, 1, play::kExactDrawWork);
    ASSERT_TRUE(r.random && r.random->exact);
    EXPECT_EQ(r.random->runs, 0);
    const double p = 1.0 / 11, q = 1 - p;
    EXPECT_NEAR(r.random->below, q * q * q + 3 * p * q * q, 1e-12);
    EXPECT_NEAR(r.random->equal, 3 * p * p * q, 1e-12);
    EXPECT_NEAR(r.random->above, p * p * p, 1e-12);
    EXPECT_NEAR(r.random->netMean, 3 * (13 * p - 2), 1e-12);
    EXPECT_FALSE(againstRandomDraws(Play::Front1, 13, periods, 0, 1, 0).random);

    // A kept set that changes every period (dropping what was drawn in the last two): the exact
    // figures and a few thousand simulated histories of draws agree, the band too.
    auto conditions = danAndSpan();
    play::Condition drawn;
    drawn.kind = play::ConditionKind::ExcludeDrawn;
    drawn.low = 2;
    conditions.push_back(drawn);
    const auto history = randomHistory(120, 11);
    const auto changing = shrunkPeriods(Play::Any3, conditions, history, 100);
    const auto exact = againstRandomDraws(Play::Any3, 19, changing, 4000, 3, play::kExactDrawWork);
    const auto simulated = againstRandomDraws(Play::Any3, 19, changing, 4000, 3, 0);
    ASSERT_TRUE(exact.random && simulated.random);
    EXPECT_TRUE(exact.random->exact);
    EXPECT_FALSE(simulated.random->exact);
    EXPECT_EQ(simulated.random->runs, 4000);
    expectShares(*simulated.random);
    EXPECT_NEAR(simulated.random->below, exact.random->below, 0.025);
    EXPECT_NEAR(simulated.random->equal, exact.random->equal, 0.025);
    EXPECT_NEAR(simulated.random->netMean, exact.random->netMean,
                0.02 * std::abs(exact.random->netMean));
    EXPECT_NEAR(exact.random->netMean, exact.curve.back().expectedNet, 1e-6);
    ASSERT_EQ(exact.curve.size(), simulated.curve.size());
    const auto& a = exact.curve.back();
    const auto& b = simulated.curve.back();
    EXPECT_LT(a.low, a.high);
    EXPECT_NEAR(a.low, b.low, 2 * 19);
    EXPECT_NEAR(a.high, b.high, 2 * 19);
    // The simulated draws follow the seed, whatever the thread count.
    const auto again = againstRandomDraws(Play::Any3, 19, changing, 4000, 3, 0, 1);
    EXPECT_EQ(again.random->percentile, simulated.random->percentile);
    EXPECT_EQ(again.curve.back().low, b.low);
}

} // namespace
