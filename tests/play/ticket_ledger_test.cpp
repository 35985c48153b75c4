// The recorded tickets: picks expanded into tickets, the periods of a chase, settling, the
// ledger's expected net worked by hand, and the chance of luck doing at least as well, which on
// uniformly random draws falls below 0.05 no more than 5 % of the time.

#include "play/ticket_ledger.h"
#include "support/random_history.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>

namespace {

using play::Play;

std::vector<std::string> texts(const std::vector<play::Selection>& tickets) {
    std::vector<std::string> out;
    for (const auto& s : tickets) out.push_back(play::selectionText(s));
    return out;
}

play::TicketRecord record(Play p, const std::vector<std::string>& tickets, std::vector<int> periods,
                          int multiplier = 1, std::int64_t priceFen = 200) {
    play::TicketRecord r;
    r.play = p;
    for (const auto& t : tickets) r.tickets.push_back(*play::parseSelection(p, t).selection);
    r.priceFen = priceFen;
    r.multipliers.assign(periods.size(), multiplier);
    r.periods = std::move(periods);
    return r;
}

play::DrawOfPeriod drawsFrom(const std::map<int, play::Draw>& draws) {
    return [draws](int period) -> std::optional<play::Draw> {
        const auto it = draws.find(period);
        if (it == draws.end()) return std::nullopt;
        return it->second;
    };
}

TEST(TicketPicks, SingleCompoundAndBankerPicksAndWhatIsRefused) {
    EXPECT_EQ(texts(play::expandPick(Play::Any5, "05,04 03|02 01").tickets),
              std::vector<std::string>{"01 02 03 04 05"});
    EXPECT_EQ(play::expandPick(Play::Any5, "01 02 03 04 05 06 07").tickets.size(), 21u);
    EXPECT_EQ(texts(play::expandPick(Play::Any3, "01#02 03 04").tickets),
              (std::vector<std::string>{"01 02 03", "01 02 04", "01 03 04"}));
    EXPECT_EQ(play::expandPick(Play::Any8, "01 02#03 04 05 06 07 08 09").tickets.size(), 7u);
    EXPECT_EQ(play::expandPick(Play::Front1, "01 02 03").tickets.size(), 3u);
    // 直选 keeps the drawn order and takes exactly its count.
    EXPECT_EQ(texts(play::expandPick(Play::Front3Direct, "03 01 02").tickets),
              std::vector<std::string>{"03 01 02"});
    for (const auto& [p, text] :
         std::vector<std::pair<Play, std::string>>{{Play::Front2Direct, "01 02 03"},
                                                   {Play::Front2Direct, "01#02 03"},
                                                   {Play::Any5, "01 02 03 04"},
                                                   {Play::Any5, "01 02 03 04 12"},
                                                   {Play::Any5, "01 02 03 04 04"},
                                                   {Play::Any3, "01 02 03#04 05"},
                                                   {Play::Any3, "01#02 03"},
                                                   {Play::Any3, "01#02#03 04"},
                                                   {Play::Any2, "1a 02"},
                                                   {Play::Any2, ""}}) {
        const auto expanded = play::expandPick(p, text);
        EXPECT_TRUE(expanded.tickets.empty()) << text;
        EXPECT_FALSE(expanded.error.empty()) << text;
    }
}

TEST(TicketPeriods, ChasesRollOverToTheNextDayAndOnlyRealPeriodsExist) {
    EXPECT_EQ(play::chasePeriods(16090883, 3, 84),
              (std::vector<int>{16090883, 16090884, 16090901}));
    EXPECT_EQ(play::chasePeriods(16093090, 2, 90), (std::vector<int>{16093090, 16100101}));
    EXPECT_EQ(play::chasePeriods(16022979, 2, 79), (std::vector<int>{16022979, 16030101}));
    EXPECT_TRUE(play::periodExists(16090884, 84));
    EXPECT_FALSE(play::periodExists(16090885, 84));
    EXPECT_FALSE(play::periodExists(16090800, 84));
    EXPECT_FALSE(play::periodExists(17022901, 84)); // no 29 February in 2017
    EXPECT_FALSE(play::periodExists(16133101, 84));
}

TEST(TicketSettling, PrizesTimesMultiplierAndAChaseStoppedByAWin) {
    const play::Prizes prizes;
    auto r = record(Play::Any2, {"01 02", "03 04", "09 10"}, {16090801, 16090802, 16090803}, 3);
    r.stopOnWin = true;
    // The first period wins twice, so the chase stops there.
    const std::map<int, play::Draw> draws = {{16090801, {1, 2, 3, 4, 5}},
                                             {16090802, {9, 10, 1, 2, 3}}};
    const auto s = play::settle(r, prizes, drawsFrom(draws));
    ASSERT_EQ(s.periods.size(), 3u);
    EXPECT_EQ(s.periods[0].state, play::PeriodState::Won);
    EXPECT_EQ(s.periods[0].winning, 2);
    EXPECT_EQ(s.periods[0].wonFen, 2 * 6 * 3 * 100);
    EXPECT_EQ(s.periods[0].stakeFen, 3 * 200 * 3);
    EXPECT_EQ(s.periods[1].state, play::PeriodState::Cancelled);
    EXPECT_EQ(s.periods[2].state, play::PeriodState::Cancelled);
    EXPECT_EQ(s.stakedFen, 1800);
    EXPECT_EQ(s.state, play::PeriodState::Won);
    // Without the stop every period counts; the third still waits for its draw.
    r.stopOnWin = false;
    const auto all = play::settle(r, prizes, drawsFrom(draws));
    EXPECT_EQ(all.periods[1].state, play::PeriodState::Won);
    EXPECT_EQ(all.periods[2].state, play::PeriodState::Waiting);
    EXPECT_EQ(all.state, play::PeriodState::Waiting);
    EXPECT_EQ(play::settledNotice(r, all.periods[0]), "第2016090801期 任二 中奖 36 元");
    // 直选 wins only in the drawn order.
    const auto direct = record(Play::Front2Direct, {"02 01"}, {16090801});
    EXPECT_EQ(play::settle(direct, prizes, drawsFrom(draws)).state, play::PeriodState::Lost);
    EXPECT_EQ(
        play::settledNotice(direct, play::settle(direct, prizes, drawsFrom(draws)).periods[0]),
        "第2016090801期 前二直选 未中奖");
}

TEST(TicketLedger, ExpectedNetAndLuckWorkedByHand) {
    const play::Prizes prizes;
    // 任五 at 2 元: 540/462 - 2 a ticket; 前一 at 1 元 three times: 3 x (13/11 - 1).
    const auto r5 = record(Play::Any5, {"01 02 03 04 05"}, {16090801});
    const auto q1 = record(Play::Front1, {"01"}, {16090801, 16090802}, 3, 100);
    EXPECT_NEAR(play::expectedNetFen(r5, 1, prizes), (540.0 / 462 - 2) * 100, 1e-9);
    EXPECT_NEAR(play::expectedNetFen(q1, 3, prizes), 3 * (13.0 / 11 - 1) * 100, 1e-9);
    EXPECT_NEAR(play::expectedNetFen(record(Play::Front3Direct, {"01 02 03"}, {1}), 2, prizes),
                2 * (1170.0 / 990 - 2) * 100, 1e-9);

    // 前一 won one of two periods: luck does at least as well with 1 - (10/11)^2.
    const std::map<int, play::Draw> draws = {{16090801, {1, 2, 3, 4, 5}},
                                             {16090802, {2, 1, 3, 4, 5}}};
    std::vector<play::LedgerItem> items;
    const auto s = play::settle(q1, prizes, drawsFrom(draws));
    for (const auto& p : s.periods) items.push_back({&q1, p});
    const auto line = play::ledgerLine("全部", items, prizes);
    EXPECT_EQ(line.periods, 2);
    EXPECT_EQ(line.tickets, 2);
    EXPECT_EQ(line.stakedFen, 600);
    EXPECT_EQ(line.wonFen, 3900);
    EXPECT_NEAR(line.expectedNetFen, 2 * 3 * (13.0 / 11 - 1) * 100, 1e-9);
    EXPECT_NEAR(line.luck.atLeast, 1 - (10.0 / 11) * (10.0 / 11), 1e-12);
    EXPECT_FALSE(line.luck.simulated);
    // Both on one period (前一 and 任五 on the same draw): they are counted over the same draws.
    const auto r5first = record(Play::Any5, {"01 02 03 04 05"}, {16090801});
    std::vector<play::LedgerItem> both = {
        {&q1, s.periods[0]},
        {&r5first, play::settle(r5first, prizes, drawsFrom(draws)).periods[0]}};
    // Won 13 x 3 and 540: luck needs the 任五 and 01 first, 1/462 x 1/5.
    EXPECT_NEAR(play::luckChance(both, prizes).atLeast, 1.0 / 462 / 5, 1e-12);
    // Lost everything: luck always does at least as well.
    const auto lost = record(Play::Any2, {"10 11"}, {16090801});
    EXPECT_NEAR(
        play::luckChance({{&lost, play::settle(lost, prizes, drawsFrom(draws)).periods[0]}}, prizes)
            .atLeast,
        1.0, 1e-12);

    const auto lines = play::ledgerLines(items, play::LedgerGrouping::Day, prizes);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].label, "2016-09-08");
    EXPECT_EQ(lines[1].label, "全部");
    const auto money = play::bankroll(items, prizes);
    ASSERT_EQ(money.size(), 2u);
    EXPECT_EQ(money[0].netFen, 3900 - 300);
    EXPECT_EQ(money[1].netFen, 3900 - 600);
}

// The most times an event of chance 5 % may come out in n trials: three standard deviations above.
int mostAtFivePercent(int n) {
    return static_cast<int>(std::ceil(0.05 * n + 3 * std::sqrt(n * 0.05 * 0.95)));
}

// Ledgers of tickets chosen at random, settled by random draws: how often luck's chance of doing
// at least as well is below 0.05.
int timesBelowFivePercent(int trials, const std::vector<std::pair<Play, int>>& bought, int periods,
                          unsigned seed, bool variedMultipliers = false, int* simulated = nullptr) {
    const play::Prizes prizes;
    std::mt19937 random(seed);
    int below = 0;
    for (int trial = 0; trial < trials; ++trial) {
        const auto rows =
            testing_support::randomHistory(static_cast<size_t>(periods), seed + trial);
        std::map<int, play::Draw> draws;
        std::vector<int> ids;
        for (const auto& row : rows) {
            draws[row.period] = row.numbers();
            ids.push_back(row.period);
        }
        std::vector<play::TicketRecord> records;
        for (const auto& [p, count] : bought) {
            const auto& set = play::selectionsOf(p);
            play::TicketRecord r;
            r.play = p;
            for (int k = 0; k < count; ++k) r.tickets.push_back(set[random() % set.size()]);
            r.periods = ids;
            for (size_t i = 0; i < ids.size(); ++i)
                r.multipliers.push_back(variedMultipliers ? 1 + static_cast<int>(random() % 9999)
                                                          : 1);
            records.push_back(std::move(r));
        }
        std::vector<play::LedgerItem> items;
        for (const auto& r : records)
            for (const auto& p : play::settle(r, prizes, drawsFrom(draws)).periods)
                items.push_back({&r, p});
        const auto luck = play::luckChance(items, prizes);
        below += luck.atLeast < 0.05;
        if (simulated) *simulated += luck.simulated;
    }
    return below;
}

TEST(TicketLedger, OnRandomDrawsLuckIsBelowFivePercentNoMoreThanFivePercentOfTheTime) {
    // A day of one 前一 ticket: a win has chance 1/11, so it may never say below 0.05.
    EXPECT_EQ(timesBelowFivePercent(200, {{Play::Front1, 1}}, 1, 11), 0);
    // Many wins spread out: near 5 %, not above.
    const int trials = 400;
    const int spread = timesBelowFivePercent(trials, {{Play::Any2, 3}}, 40, 101);
    EXPECT_LE(spread, mostAtFivePercent(trials));
    EXPECT_GE(spread, trials / 50);
    // Rare wins and plays mixed on the same draws.
    EXPECT_LE(timesBelowFivePercent(
                  300, {{Play::Any5, 2}, {Play::Front1, 1}, {Play::Front3Group, 1}}, 30, 202),
              mostAtFivePercent(300));
}

TEST(TicketLedger, OnRandomDrawsTheSimulatedLuckIsBelowFivePercentNoMoreOften) {
    // Multipliers that vary: the sums take too many values and are simulated.
    int simulated = 0;
    EXPECT_LE(timesBelowFivePercent(60, {{Play::Any3, 2}}, 80, 303, true, &simulated),
              mostAtFivePercent(60));
    EXPECT_EQ(simulated, 60);
}

TEST(TicketLedger, TooManySumsAreSimulatedWithTheStatedSeed) {
    const play::Prizes prizes;
    const auto rows = testing_support::randomHistory(400, 5);
    std::map<int, play::Draw> draws;
    play::TicketRecord r = record(Play::Any3, {"01 02 03", "04 05 06"}, {});
    for (size_t i = 0; i < rows.size(); ++i) {
        draws[rows[i].period] = rows[i].numbers();
        r.periods.push_back(rows[i].period);
        r.multipliers.push_back(1 + static_cast<int>(i * 7919 % 9999));
    }
    std::vector<play::LedgerItem> items;
    for (const auto& p : play::settle(r, prizes, drawsFrom(draws)).periods)
        items.push_back({&r, p});
    const auto luck = play::luckChance(items, prizes);
    EXPECT_TRUE(luck.simulated);
    EXPECT_EQ(luck.runs, play::kLuckRuns);
    EXPECT_EQ(luck.seed, play::kLuckSeed);
    EXPECT_GT(luck.atLeast, 0.0);
    EXPECT_LE(luck.atLeast, 1.0);
    EXPECT_EQ(play::luckChance(items, prizes).atLeast, luck.atLeast);
}

} // namespace
