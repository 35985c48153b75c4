// Chase plans: every schedule's multipliers and the calculator table by hand, the cap, the exact
// chances against sums over every outcome, the back-test on hand-made periods, and the plan on
// uniformly random draws, where no schedule can change the return.

#include "play/chase_backtest.h"
#include "play/chase_plan.h"
#include "play/random_tickets.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using play::Play;
using play::Schedule;

Schedule schedule(const std::string& text) {
    const auto parsed = play::parseSchedule(text);
    EXPECT_TRUE(parsed.schedule) << text << ": " << parsed.error;
    return parsed.schedule.value_or(Schedule{});
}

std::vector<std::int64_t> multipliers(const std::string& text, int length, int tickets = 1,
                                      int prize = 13, std::int64_t cap = 10000) {
    const auto m = play::chaseMultipliers(schedule(text), length, tickets, prize, cap);
    EXPECT_FALSE(m.failedAt) << text;
    return m.values;
}

using Values = std::vector<std::int64_t>;

TEST(ChaseSchedule, EachScheduleByHandAndTheCap) {
    EXPECT_EQ(multipliers("fixed:3", 3), (Values{3, 3, 3}));
    EXPECT_EQ(multipliers("double", 5), (Values{1, 2, 4, 8, 16}));
    EXPECT_EQ(multipliers("double:3", 3), (Values{3, 6, 12}));
    EXPECT_EQ(multipliers("double:1", 6, 1, 13, 5), (Values{1, 2, 4, 5, 5, 5}));
    EXPECT_EQ(multipliers("list:1,1,2,3", 6), (Values{1, 1, 2, 3, 3, 3}));
    EXPECT_EQ(multipliers("list:1,1,2,3", 6, 1, 13, 2), (Values{1, 1, 2, 2, 2, 2}));

    // 前一 at 13 yuan, 30 % on every win: period i needs m × 13 ≥ 1.3 × (staked + 2m).
    EXPECT_EQ(multipliers("profit:30", 10), (Values{1, 1, 1, 1, 1, 2, 2, 3, 3, 4}));
    EXPECT_EQ(multipliers("profit:30:2", 3), (Values{2, 2, 2}));
    // Two tickets a period: m × 13 ≥ 1.3 × (staked + 4m), so m × 7.8 ≥ 1.3 × staked; the sixth
    // period needs 1.3 × 48 ÷ 7.8 = 8 exactly.
    EXPECT_EQ(multipliers("profit:30", 8, 2), (Values{1, 1, 2, 3, 5, 8, 14, 23}));

    // The rate must hold for a win in every period of the chase.
    const auto long_ = multipliers("profit:30", 30);
    std::int64_t staked = 0;
    for (std::int64_t m : long_) {
        staked += 2 * m;
        EXPECT_GE(m * 13 * 100, 130 * staked);
        if (m > 1) { // and the least that does
            EXPECT_LT((m - 1) * 13 * 100, 130 * (staked - 2));
        }
    }

    // The cap: a profit schedule that would need more says where; the others are cut.
    auto capped = play::chaseMultipliers(schedule("profit:30"), 10, 1, 13, 2);
    EXPECT_EQ(capped.failedAt, 8);
    EXPECT_FALSE(capped.unreachable);
    capped = play::chaseMultipliers(schedule("profit:30"), 7, 1, 13, 2);
    EXPECT_FALSE(capped.failedAt);
    // 600 %: even one period cannot, whatever the multiplier (13 < 7 × 2).
    const auto never = play::chaseMultipliers(schedule("profit:600"), 3, 1, 13, 10000);
    EXPECT_EQ(never.failedAt, 1);
    EXPECT_TRUE(never.unreachable);
}

TEST(ChaseSchedule, ReadsAndRefusesTheTexts) {
    EXPECT_EQ(play::scheduleText(schedule("double")), "double:1");
    EXPECT_EQ(play::scheduleText(schedule("profit:30")), "profit:30:1");
    EXPECT_EQ(play::scheduleText(schedule("list:1,2,2")), "list:1,2,2");
    for (const char* bad : {"", "fixed", "fixed:0", "fixed:x", "double:", "list:", "list:1,,2",
                            "list:1,0", "profit:", "profit:-5", "profit:30:0", "profit:30:1:2",
                            "triple:2", "fixed:99999999999999999999"})
        EXPECT_FALSE(play::parseSchedule(bad).schedule) << bad;
}

TEST(ChaseTable, FiguresByHandAndAgainstEveryOutcome) {
    const double p = 1.0 / 11, ticketReturn = 13 * p / 2;
    const auto m = multipliers("profit:30", 10);
    const auto t = play::chaseTable(m, 1, 13, p, ticketReturn, true);
    ASSERT_EQ(t.rows.size(), 10u);
    const auto& eighth = t.rows[7];
    EXPECT_EQ(eighth.multiplier, 3);
    EXPECT_EQ(eighth.stake, 6);
    EXPECT_EQ(eighth.staked, 24);
    EXPECT_EQ(eighth.prize, 39);
    EXPECT_EQ(eighth.profit, 15);
    EXPECT_DOUBLE_EQ(eighth.profitRate, 15.0 / 24);
    EXPECT_DOUBLE_EQ(t.rows[9].noWinYet, std::pow(10.0 / 11, 10));
    for (const auto& row : t.rows) EXPECT_GE(row.profitRate, 0.3);

    // The chase's net summed over how it ends: won at i, or lost after all L periods.
    double sum = 0;
    for (size_t i = 0; i < t.rows.size(); ++i)
        sum += p * std::pow(1 - p, static_cast<double>(i)) * static_cast<double>(t.rows[i].profit);
    sum -= std::pow(1 - p, 10) * static_cast<double>(t.rows.back().staked);
    EXPECT_NEAR(t.expectedNet, sum, 1e-12);
    EXPECT_LT(t.expectedNet, 0);

    // Every schedule loses the same share of what it is expected to stake.
    for (const char* text : {"fixed:1", "double", "list:1,1,2,3,5,8", "profit:50:2"}) {
        const auto other = play::chaseTable(multipliers(text, 12), 1, 13, p, ticketReturn, true);
        EXPECT_NEAR(other.expectedNet / other.expectedStaked, ticketReturn - 1, 1e-12) << text;
    }

    // Without stopping every period is bought, won or not.
    const auto all = play::chaseTable(m, 1, 13, p, ticketReturn, false);
    EXPECT_DOUBLE_EQ(all.expectedStaked, 38);
    EXPECT_NEAR(all.expectedNet, 38 * (ticketReturn - 1), 1e-12);
}

TEST(ChaseTable, ChanceOfAnyWinOfSeveralTicketsOverEveryDraw) {
    const auto& front1 = play::selectionsOf(Play::Front1);
    EXPECT_NEAR(play::chanceOfAnyWin(front1, {0, 1}), 2.0 / 11, 1e-12);

    // 任二 01 02 and 01 03 may win together; count the 462 sets of five straight from the rule.
    const auto& any2 = play::selectionsOf(Play::Any2);
    const auto a = *any2.indexOf(*play::parseSelection(Play::Any2, "01 02").selection);
    const auto b = *any2.indexOf(*play::parseSelection(Play::Any2, "01 03").selection);
    int sets = 0, won = 0;
    for (int mask = 0; mask < (1 << 11); ++mask) {
        if (__builtin_popcount(static_cast<unsigned>(mask)) != 5) continue;
        play::Draw draw{};
        int k = 0;
        for (int v = 1; v <= 11; ++v)
            if (mask & (1 << (v - 1))) draw[k++] = static_cast<std::int16_t>(v);
        ++sets;
        won += play::wins(Play::Any2, any2[a], draw) || play::wins(Play::Any2, any2[b], draw);
    }
    EXPECT_NEAR(play::chanceOfAnyWin(any2, {a, b}), static_cast<double>(won) / sets, 1e-12);
}

// Tested periods of 前一 whose first numbers are given; each buys the ticket 01.
std::vector<play::BetPeriod> front1Periods(const std::vector<int>& first) {
    std::vector<play::BetPeriod> periods(first.size());
    for (size_t k = 0; k < first.size(); ++k) {
        periods[k].period = 16010101 + static_cast<int>(k);
        periods[k].row = k + 1;
        // n1 decides 前一; the other four are the smallest numbers left.
        periods[k].draw[0] = static_cast<std::int16_t>(first[k]);
        int at = 1;
        for (int v = 1; at < 5; ++v)
            if (v != first[k]) periods[k].draw[at++] = static_cast<std::int16_t>(v);
        periods[k].tickets = {0};
    }
    return periods;
}

play::ChaseBacktest backtest(const std::vector<play::BetPeriod>& periods, const std::string& text,
                             int length, std::optional<std::int64_t> bankroll = {},
                             bool stop = true, int runs = 0, std::uint64_t seed = 1,
                             unsigned threads = 0) {
    play::ChasePlan plan;
    plan.schedule = schedule(text);
    plan.length = length;
    plan.bankroll = bankroll;
    plan.stopOnWin = stop;
    history::NoProgress progress;
    return play::chaseBacktest(play::selectionsOf(Play::Front1), 13, plan, periods, {runs, seed},
                               progress, threads);
}

TEST(ChaseBacktest, ChasesWonLostOpenAndRuinByHand) {
    // Won at the third period of the first chase, the second lost after three, the third open.
    const auto periods = front1Periods({2, 3, 1, 4, 5, 6, 7});
    auto r = backtest(periods, "double", 3);
    EXPECT_EQ(r.steps, 7);
    EXPECT_EQ(r.played, 7);
    EXPECT_EQ(r.chases, 3);
    EXPECT_EQ(r.chasesWon, 1);
    EXPECT_EQ(r.chasesLost, 1);
    EXPECT_EQ(r.chasesOpen, 1);
    EXPECT_FALSE(r.ruinedAt);
    EXPECT_EQ(r.staked, 14 + 14 + 2);
    EXPECT_EQ(r.won, 4 * 13);
    EXPECT_EQ(r.net, 22);
    EXPECT_DOUBLE_EQ(*r.returnRate, 52.0 / 30);
    EXPECT_DOUBLE_EQ(r.expectedReturnRate, 13.0 / 22);
    EXPECT_EQ(r.maxDrawdown, 16); // -2 -6 38 36 32 24 22
    EXPECT_EQ(r.maxStake, 8);
    EXPECT_EQ(r.longestChase, 3);
    ASSERT_EQ(r.curve.size(), 7u);
    EXPECT_EQ(r.curve[2].net, 38);
    EXPECT_NEAR(r.curve[6].expectedNet, 30 * (13.0 / 22 - 1), 1e-12);

    // A bankroll that pays the third stake exactly is not ruined; one yuan less is, there.
    EXPECT_FALSE(backtest(periods, "double", 3, 14).ruinedAt);
    r = backtest(periods, "double", 3, 13);
    EXPECT_EQ(r.ruinedAt, 16010103);
    EXPECT_EQ(r.ruinedIndex, 2u);
    EXPECT_EQ(r.played, 2);
    EXPECT_EQ(r.staked, 6);
    EXPECT_EQ(r.net, -6);
    EXPECT_EQ(r.chases, 1);
    EXPECT_EQ(r.chasesCutShort, 1); // the chase the bankroll stopped is counted as such
    EXPECT_EQ(r.chasesWon + r.chasesLost + r.chasesOpen, 0);
    EXPECT_EQ(r.curve.back().net, -6); // the chart stays where the ruin left it

    // A bankroll below the first stake cannot even start.
    r = backtest(periods, "fixed:1", 3, 1);
    EXPECT_EQ(r.played, 0);
    EXPECT_EQ(r.chases, 0);
    EXPECT_EQ(r.ruinedAt, 16010101);

    // Without stopping a won chase runs on to its length; doubling waits for a loss.
    const auto early = front1Periods({1, 2, 3, 4});
    r = backtest(early, "double", 3, {}, false);
    EXPECT_EQ(r.chases, 2);
    EXPECT_EQ(r.chasesWon, 1);
    EXPECT_EQ(r.chasesOpen, 1);
    EXPECT_EQ(r.staked, 2 + 2 + 4 + 2);
    r = backtest(early, "double", 3, {}, true);
    EXPECT_EQ(r.chases, 2);
    EXPECT_EQ(r.staked, 2 + 2 + 4 + 8);
    EXPECT_EQ(r.chasesLost, 1);

    // A period without tickets starts no chase; one inside a chase keeps the chase's tickets.
    auto gaps = front1Periods({2, 1, 3, 1});
    gaps[0].tickets.clear();
    gaps[1].tickets.clear();
    gaps[3].tickets.clear();
    r = backtest(gaps, "fixed:1", 3);
    EXPECT_EQ(r.played, 2);
    EXPECT_EQ(r.chasesWon, 1);
}

TEST(ChaseBacktest, GoingOnAfterAWinDoublesAfterLossesOnly) {
    // Won, lost, won, lost, lost, won, then lost twice: the multiplier doubles after each loss
    // and stays after each win (1 1 2 2 4 8 | 1 2 for chases of six), where the calculator's
    // column would have read 1 2 4 8 16 32.
    const auto periods = front1Periods({1, 2, 1, 3, 4, 1, 5, 6});
    auto r = backtest(periods, "double", 6, {}, false);
    EXPECT_EQ(r.chases, 2);
    EXPECT_EQ(r.chasesWon, 1);
    EXPECT_EQ(r.chasesOpen, 1);
    EXPECT_EQ(r.staked, 2 * (1 + 1 + 2 + 2 + 4 + 8) + 2 * (1 + 2));
    EXPECT_EQ(r.won, 13 * (1 + 2 + 8));
    EXPECT_EQ(r.maxStake, 16);
    // Capped at 4: 1 1 2 2 4 4.
    play::ChasePlan capped;
    capped.schedule = schedule("double");
    capped.length = 6;
    capped.maxMultiplier = 4;
    capped.stopOnWin = false;
    history::NoProgress progress;
    r = play::chaseBacktest(play::selectionsOf(Play::Front1), 13, capped,
                            front1Periods({1, 2, 1, 3, 4, 1}), {0, 1}, progress);
    EXPECT_EQ(r.staked, 2 * (1 + 1 + 2 + 2 + 4 + 4));
    // Fixed and list multipliers go by the period of the chase, won or not.
    EXPECT_EQ(backtest(periods, "list:1,2,3", 6, {}, false).staked,
              2 * (1 + 2 + 3 + 3 + 3 + 3) + 2 * (1 + 2));
    // Stopping at a win, doubling is the same either way: 1 | 1 2 | 1 2 4 | 1 2.
    EXPECT_EQ(backtest(periods, "double", 6).staked, 2 * (1 + 3 + 7 + 3));

    // The table's expected stake going on after wins: period i stakes 2 × 2^(losses before it),
    // on average 2 × (q + 2(1 − q))^(i − 1) = 2 × (2 − q)^(i − 1).
    const double q = 1.0 / 11;
    const auto t = play::chaseTable(multipliers("double", 6), 1, 13, q, 13 * q / 2, false, true);
    double expected = 0;
    for (int i = 0; i < 6; ++i) expected += 2 * std::pow(2 - q, i);
    EXPECT_NEAR(t.expectedStaked, expected, 1e-9);
    EXPECT_NEAR(t.expectedNet, expected * (13 * q / 2 - 1), 1e-9);
    // The same plan played over many random draws stakes that much a chase on average.
    play::Random random(11, 0);
    std::vector<int> first;
    for (int k = 0; k < 6 * 3000; ++k) first.push_back(1 + static_cast<int>(random.below(11)));
    r = backtest(front1Periods(first), "double", 6, {}, false);
    EXPECT_EQ(r.chases, 3000);
    EXPECT_NEAR(static_cast<double>(r.staked) / 3000, expected, 0.03 * expected);
}

TEST(ChaseBacktest, RandomRunsReproducibleAndRuinShared) {
    std::vector<int> first;
    for (int k = 0; k < 60; ++k) first.push_back(1 + (k * 7) % 11);
    const auto periods = front1Periods(first);
    const auto a = backtest(periods, "double", 4, 40, true, 200, 42, 1);
    const auto b = backtest(periods, "double", 4, 40, true, 200, 42, 2);
    const auto c = backtest(periods, "double", 4, 40, true, 200, 43, 2);
    ASSERT_TRUE(a.random && b.random && c.random);
    EXPECT_EQ(a.random->netMean, b.random->netMean);
    EXPECT_EQ(a.random->ruinShare, b.random->ruinShare);
    EXPECT_EQ(a.curve.back().low, b.curve.back().low);
    EXPECT_NE(a.random->netMean, c.random->netMean);
    // Doubling over four periods stakes 30 when it loses: with 40 yuan some runs are ruined,
    // none without a bankroll.
    EXPECT_GT(a.random->ruinShare, 0);
    EXPECT_LT(a.random->ruinShare, 1);
    EXPECT_EQ(backtest(periods, "double", 4, {}, true, 50, 42).random->ruinShare, 0);
    for (const auto& point : a.curve) EXPECT_LE(point.low, point.high);
}

TEST(ChaseBacktest, UniformDrawsReturnWhatChanceGives) {
    // 20,000 uniformly random 前一 draws: the 30 % plan's return stays near 13 / 22 and its
    // chases are lost as often as (10/11)^10 says.
    play::Random random(7, 0);
    std::vector<int> first;
    for (int k = 0; k < 20000; ++k) first.push_back(1 + static_cast<int>(random.below(11)));
    const auto periods = front1Periods(first);
    const auto r = backtest(periods, "profit:30", 10);
    ASSERT_TRUE(r.returnRate);
    EXPECT_NEAR(*r.returnRate, 13.0 / 22, 0.06);
    const double lostShare =
        static_cast<double>(r.chasesLost) / static_cast<double>(r.chasesWon + r.chasesLost);
    EXPECT_NEAR(lostShare, std::pow(10.0 / 11, 10), 0.04);
    // The random runs, on the same draws, average what the stakes are expected to lose.
    const auto runs = backtest(periods, "profit:30", 10, {}, true, 100, 3);
    EXPECT_NEAR(runs.random->netMean / static_cast<double>(r.staked), 13.0 / 22 - 1, 0.05);
}

} // namespace
