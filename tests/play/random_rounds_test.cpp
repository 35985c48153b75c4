// Many random runs over a long test are played a few chart points at a time, so that memory
// holds runs plus periods, not their product: every figure and every point of the band are the
// same whatever the number of rounds, for each kind of back-test that plays random runs.

#include "play/chase_backtest.h"
#include "play/chase_plan.h"
#include "play/money.h"
#include "play/random_draws.h"
#include "play/random_tickets.h"

#include <gtest/gtest.h>

namespace {

using play::Play;

// 前一 periods over random draws, buying the tickets each period (none every fifth period).
std::vector<play::BetPeriod> front1Periods(size_t count, std::vector<std::uint32_t> tickets) {
    play::Random random(99, 0);
    std::vector<play::BetPeriod> periods(count);
    for (size_t k = 0; k < count; ++k) {
        periods[k].period = 16010101 + static_cast<int>(k);
        periods[k].row = k + 1;
        std::vector<std::int16_t> numbers{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
        for (size_t i = 0; i < 5; ++i) {
            std::swap(numbers[i], numbers[i + random.below(static_cast<std::uint32_t>(11 - i))]);
            periods[k].draw[i] = numbers[i];
        }
        if (k % 5 != 4) periods[k].tickets = tickets;
    }
    return periods;
}

void expectSameBand(const std::vector<play::MoneyPoint>& a, const std::vector<play::MoneyPoint>& b,
                    const char* what) {
    ASSERT_EQ(a.size(), b.size()) << what;
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].low, b[i].low) << what << " at " << i;
        EXPECT_EQ(a[i].high, b[i].high) << what << " at " << i;
    }
}

TEST(RandomRunRounds, EveryFigureAndTheBandAreTheSameWhateverTheRounds) {
    const int runs = 300;
    // 2,500 periods show kCurvePoints points, not every period; budgets of one point a round,
    // seven points a round (the last round short), and all at once.
    const auto periods = front1Periods(2500, {0, 3});
    const size_t budgets[] = {static_cast<size_t>(runs), 7 * static_cast<size_t>(runs),
                              play::kBandBudget};
    history::NoProgress progress;
    const play::SelectionSet& set = play::selectionsOf(Play::Front1);

    std::vector<play::MoneyResult> money;
    for (const size_t budget : budgets)
        money.push_back(play::moneyFigures(set, 13, periods, {runs, 5}, progress, 2, budget));
    ASSERT_TRUE(money[0].random);
    EXPECT_LT(money[0].curve.size(), periods.size());
    EXPECT_EQ(money[0].curve.back().index, periods.size() - 1);
    for (size_t i = 1; i < money.size(); ++i) {
        ASSERT_TRUE(money[i].random);
        EXPECT_EQ(money[i].random->netMean, money[0].random->netMean);
        EXPECT_EQ(money[i].random->percentile, money[0].random->percentile);
        EXPECT_EQ(money[i].random->equal, money[0].random->equal);
        expectSameBand(money[i].curve, money[0].curve, "bets");
    }
    // The band is a real spread of the runs, not left at the expectation.
    EXPECT_LT(money[0].curve.back().low, money[0].curve.back().high);

    // The same tickets on random draws, simulated rather than worked out exactly.
    std::vector<play::MoneyResult> draws;
    for (const size_t budget : budgets) {
        auto r = play::moneyFigures(set, 13, periods, {0, 5}, progress);
        EXPECT_TRUE(
            play::compareWithRandomDraws(set, 13, periods, {runs, 5}, r, progress, 2, 0, budget));
        draws.push_back(std::move(r));
    }
    for (size_t i = 1; i < draws.size(); ++i) {
        ASSERT_TRUE(draws[i].random && !draws[i].random->exact);
        EXPECT_EQ(draws[i].random->netMean, draws[0].random->netMean);
        EXPECT_EQ(draws[i].random->percentile, draws[0].random->percentile);
        expectSameBand(draws[i].curve, draws[0].curve, "random draws");
    }

    // A chase with a bankroll that ruins about half the runs near the end: a run ruined in one
    // round keeps its net through the rounds after.
    play::ChasePlan plan;
    plan.schedule = *play::parseSchedule("fixed:1").schedule;
    plan.length = 3;
    plan.bankroll = 3350;
    std::vector<play::ChaseBacktest> chases;
    for (const size_t budget : budgets)
        chases.push_back(
            play::chaseBacktest(set, 13, plan, periods, {runs, 5}, progress, 2, budget));
    ASSERT_TRUE(chases[0].random);
    EXPECT_GT(chases[0].random->ruinShare, 0);
    EXPECT_LT(chases[0].random->ruinShare, 1);
    for (size_t i = 1; i < chases.size(); ++i) {
        ASSERT_TRUE(chases[i].random);
        EXPECT_EQ(chases[i].random->netMean, chases[0].random->netMean);
        EXPECT_EQ(chases[i].random->ruinShare, chases[0].random->ruinShare);
        EXPECT_EQ(chases[i].random->percentile, chases[0].random->percentile);
        expectSameBand(chases[i].curve, chases[0].curve, "chase");
    }
}

} // namespace
