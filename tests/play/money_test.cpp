// The money figures of each pick rule on a small history worked by hand, the binomial tail, and
// the random runs.

#include "play/money.h"
#include "play/pick_rules.h"
#include "search/chance.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using play::Play;

// 前一 over six periods whose first numbers are 01 02 01 03 01 02; the last four are tested.
std::vector<history::HistoryRow> smallHistory() {
    const int first[] = {1, 2, 1, 3, 1, 2};
    std::vector<history::HistoryRow> rows(6);
    for (int i = 0; i < 6; ++i) {
        rows[i].period = 16010101 + i;
        rows[i].values[history::Number] = {static_cast<std::int16_t>(first[i]), 5, 6, 7, 8};
    }
    return rows;
}

play::MoneyResult figures(const std::vector<play::BetPeriod>& periods, int runs = 0,
                          std::uint64_t seed = 1, unsigned threads = 0) {
    const play::SelectionSet set(Play::Front1);
    history::NoProgress progress;
    return play::moneyFigures(set, 13, periods, {runs, seed}, progress, threads);
}

TEST(MoneyFigures, EachPickRuleOnASmallHistoryByHand) {
    const auto rows = smallHistory();
    const play::SelectionSet set(Play::Front1);
    const size_t firstTested = play::firstTestedRow(rows.size(), 4);
    ASSERT_EQ(firstTested, 2u);
    EXPECT_EQ(play::firstTestedRow(rows.size(), 100), 1u); // each tested period has a draw before

    // The same ticket 01 every period: wins in the first and third tested periods.
    auto periods = play::testedPeriods(rows, firstTested);
    play::buyFixed(periods, {0});
    auto r = figures(periods);
    EXPECT_EQ(r.steps, 4);
    EXPECT_EQ(r.tickets, 4);
    EXPECT_EQ(r.cost, 8);
    EXPECT_EQ(r.hits, 2);
    EXPECT_EQ(r.won, 26);
    EXPECT_EQ(r.net, 18);
    EXPECT_DOUBLE_EQ(*r.returnRate, 3.25);
    EXPECT_DOUBLE_EQ(r.expectedReturnRate, 13.0 / 11 / 2);
    EXPECT_DOUBLE_EQ(r.expectedHits, 4.0 / 11);
    EXPECT_NEAR(*r.pValue, 641.0 / 14641, 1e-12);
    EXPECT_EQ(r.maxDrawdown, 2); // 11, 9, 20, 18
    EXPECT_EQ(r.longestLosingStreak, 1);
    EXPECT_EQ(r.hitsByPeriod, (std::vector<std::int32_t>{1, 0, 1, 0}));
    ASSERT_EQ(r.curve.size(), 4u);
    EXPECT_EQ(r.curve[3].net, 18);
    EXPECT_NEAR(r.curve[3].expectedNet, 4 * (13.0 / 11 - 2), 1e-12);
    EXPECT_FALSE(r.random);

    // Coldest: 03 (never drawn, first of the never drawn), 03 again (wins), then 04 twice.
    history::NoProgress progress;
    ASSERT_TRUE(play::buyByTemperature(periods, set, rows, play::Temperature::Coldest, progress));
    std::vector<std::uint32_t> bought;
    for (const auto& p : periods) bought.push_back(p.tickets.at(0));
    EXPECT_EQ(bought, (std::vector<std::uint32_t>{2, 2, 3, 3}));
    r = figures(periods);
    EXPECT_EQ(r.hits, 1);
    EXPECT_EQ(r.net, 5);
    EXPECT_EQ(r.maxDrawdown, 4); // -2, 9, 7, 5
    EXPECT_EQ(r.longestLosingStreak, 2);
    EXPECT_NEAR(*r.pValue, 4641.0 / 14641, 1e-12);

    // Hottest: the last number drawn first each time; it never repeats here.
    ASSERT_TRUE(play::buyByTemperature(periods, set, rows, play::Temperature::Hottest, progress));
    bought.clear();
    for (const auto& p : periods) bought.push_back(p.tickets.at(0));
    EXPECT_EQ(bought, (std::vector<std::uint32_t>{1, 0, 2, 0}));
    r = figures(periods);
    EXPECT_EQ(r.hits, 0);
    EXPECT_EQ(r.net, -8);
    EXPECT_EQ(r.maxDrawdown, 8);
    EXPECT_EQ(r.longestLosingStreak, 4);
    EXPECT_DOUBLE_EQ(*r.returnRate, 0.0);
    EXPECT_DOUBLE_EQ(*r.pValue, 1.0);

    // Two tickets a period: no binomial p-value.
    play::buyFixed(periods, {0, 1});
    r = figures(periods);
    EXPECT_EQ(r.tickets, 8);
    EXPECT_EQ(r.hits, 3);
    EXPECT_EQ(r.net, 39 - 16);
    EXPECT_FALSE(r.pValue);

    // Nothing bought: no rates.
    play::buyFixed(periods, {});
    r = figures(periods);
    EXPECT_FALSE(r.returnRate);
    EXPECT_FALSE(r.pValue);
    EXPECT_EQ(r.longestLosingStreak, 4);
}

TEST(MoneyFigures, TicketsFromASearchsTopNumbers) {
    const play::SelectionSet r3(Play::Any3), q1(Play::Front1), q3d(Play::Front3Direct);
    const auto text = [&](const play::SelectionSet& set, std::vector<int> top) {
        const auto t = play::ticketOfTopNumbers(set, top);
        return t ? play::selectionText(set[*t]) : std::string("none");
    };
    EXPECT_EQ(text(r3, {9, 2, 5, 1}), "02 05 09");
    EXPECT_EQ(text(q1, {7, 3}), "07");
    EXPECT_EQ(text(r3, {9, 2}), "none");
    EXPECT_EQ(text(q3d, {1, 2, 3}), "none");
    EXPECT_EQ(play::searchTicketSize(Play::Any8), 8);
    EXPECT_EQ(play::searchTicketSize(Play::Front3Group), 3);
}

TEST(MoneyFigures, BinomialTailIsExact) {
    for (auto [n, p] : {std::pair{50, 0.1}, std::pair{300, 1.0 / 462}, std::pair{40, 0.9}}) {
        const std::vector<double> chances(n, p);
        for (int k = 0; k <= n + 1; ++k)
            ASSERT_NEAR(play::binomialTail(n, p, k), search::poissonBinomialTail(chances, k),
                        1e-12 + 1e-9 * search::poissonBinomialTail(chances, k))
                << n << " " << p << " " << k;
    }
    EXPECT_DOUBLE_EQ(play::binomialTail(10, 0.5, 0), 1.0);
    EXPECT_DOUBLE_EQ(play::binomialTail(10, 0.5, 11), 0.0);
    EXPECT_NEAR(play::binomialTail(10, 0.5, 10), 1.0 / 1024, 1e-15);
    // Large counts stay finite and ordered.
    const double a = play::binomialTail(1000000, 1.0 / 11, 91000);
    const double b = play::binomialTail(1000000, 1.0 / 11, 92000);
    EXPECT_GT(a, b);
    EXPECT_GT(a, 0.0);
    EXPECT_LT(a, 1.0);
}

TEST(MoneyFigures, RandomRunsRepeatBySeedWhateverTheThreads) {
    const auto rows = smallHistory();
    auto periods = play::testedPeriods(rows, 1);
    play::buyFixed(periods, {0});
    const auto one = figures(periods, 500, 7, 1);
    const auto many = figures(periods, 500, 7, 3);
    ASSERT_TRUE(one.random && many.random);
    EXPECT_EQ(one.random->netMean, many.random->netMean);
    EXPECT_EQ(one.random->percentile, many.random->percentile);
    for (size_t i = 0; i < one.curve.size(); ++i) {
        EXPECT_EQ(one.curve[i].low, many.curve[i].low);
        EXPECT_EQ(one.curve[i].high, many.curve[i].high);
    }
    const auto other = figures(periods, 500, 8, 1);
    EXPECT_NE(one.random->netMean, other.random->netMean);
    // Over many runs the mean comes near the expected net (5 × (13/11 − 2) = −4.09; the mean's
    // spread is about 0.2).
    const auto large = figures(periods, 4000, 1);
    EXPECT_NEAR(large.random->netMean, 5 * (13.0 / 11 - 2), 1.0);
    EXPECT_LE(large.curve.back().low, large.curve.back().high);
    EXPECT_EQ(large.random->runs, 4000);

    // Buying every ticket each period, a random run buys them all too: one win a period.
    std::vector<std::uint32_t> all(11);
    for (std::uint32_t s = 0; s < 11; ++s) all[s] = s;
    play::buyFixed(periods, all);
    const auto everything = figures(periods, 50, 3);
    EXPECT_EQ(everything.net, 5 * (13 - 22));
    EXPECT_EQ(everything.random->netMean, 5 * (13 - 22));
    // Every run ties with the bets: they did better than half of them, not all.
    EXPECT_EQ(everything.random->equal, 1.0);
    EXPECT_EQ(everything.random->percentile, 0.5);
    // Ten of eleven: a run misses the winner in some periods, never wins twice.
    all.pop_back();
    play::buyFixed(periods, all);
    const auto tenOfEleven = figures(periods, 200, 3);
    EXPECT_LT(tenOfEleven.random->netMean, 5 * (13 - 20));
    EXPECT_GE(tenOfEleven.curve.back().low, 5 * (0 - 20));
}

TEST(MoneyFigures, RandomRunsOfSeveralTicketsMatchTheirExpectation) {
    // 任二 has ten winners of 55 each period: 3 tickets are drawn one by one, 30 by their
    // winners; either way a run's mean net comes near tickets × (6 × 10/55 − 2) a period.
    std::vector<history::HistoryRow> rows(41);
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i].values[history::Number] = {static_cast<std::int16_t>(1 + i % 7), 8, 9, 10, 11};
    const play::SelectionSet set(Play::Any2);
    history::NoProgress progress;
    for (std::uint32_t bought : {3u, 30u}) {
        auto periods = play::testedPeriods(rows, 1);
        std::vector<std::uint32_t> tickets(bought);
        for (std::uint32_t t = 0; t < bought; ++t) tickets[t] = t;
        play::buyFixed(periods, tickets);
        const auto r = play::moneyFigures(set, 6, periods, {3000, 2}, progress);
        const double expected = 40.0 * bought * (6.0 * 10 / 55 - 2);
        EXPECT_NEAR(r.random->netMean, expected, 0.05 * std::abs(expected)) << bought;
        EXPECT_NEAR(r.curve.back().expectedNet, expected, 1e-9);
    }
}

TEST(MoneyFigures, CancellingTheRandomRunsReportsIt) {
    struct StopAtOnce : history::Progress {
        void setTotal(std::size_t) override {}
        bool advance(std::size_t) override { return false; }
    } stop;
    const auto rows = smallHistory();
    auto periods = play::testedPeriods(rows, 1);
    play::buyFixed(periods, {0});
    const play::SelectionSet set(Play::Front1);
    const auto r = play::moneyFigures(set, 13, periods, {100, 1}, stop, 2);
    EXPECT_TRUE(r.cancelled);
}

} // namespace
