// The plays' tickets, win rules and chances, checked against every ordered draw of five of the
// eleven numbers; reading tickets and prizes from text.

#include "play/plays.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

namespace {

using play::Play;

std::vector<play::Draw> everyOrderedDraw() {
    std::vector<play::Draw> draws;
    for (int a = 1; a <= 11; ++a)
        for (int b = 1; b <= 11; ++b)
            for (int c = 1; c <= 11; ++c)
                for (int d = 1; d <= 11; ++d)
                    for (int e = 1; e <= 11; ++e) {
                        const std::set<int> distinct{a, b, c, d, e};
                        if (distinct.size() == 5)
                            draws.push_back(
                                {static_cast<std::int16_t>(a), static_cast<std::int16_t>(b),
                                 static_cast<std::int16_t>(c), static_cast<std::int16_t>(d),
                                 static_cast<std::int16_t>(e)});
                    }
    return draws;
}

TEST(Plays, SelectionsAreEveryTicketInTextOrder) {
    const std::map<std::string, size_t> expectedCounts = {
        {"q1", 11},  {"r2", 55},  {"r3", 165},  {"r4", 330}, {"r5", 462},  {"r6", 462},
        {"r7", 330}, {"r8", 165}, {"q2d", 110}, {"q2g", 55}, {"q3d", 990}, {"q3g", 165}};
    for (const auto& p : play::plays()) {
        const play::SelectionSet set(p.play);
        EXPECT_EQ(set.size(), expectedCounts.at(p.code)) << p.code;
        std::set<std::string> seen;
        for (size_t i = 0; i < set.size(); ++i) {
            const std::string text = play::selectionText(set[i]);
            if (i) {
                EXPECT_LT(play::selectionText(set[i - 1]), text) << p.code;
            }
            seen.insert(text);
            EXPECT_EQ(set.indexOf(set[i]), i) << p.code << " " << text;
        }
        EXPECT_EQ(seen.size(), set.size());
    }
    const play::SelectionSet direct(Play::Front2Direct);
    EXPECT_EQ(play::selectionText(direct[0]), "01 02");
    EXPECT_EQ(play::selectionText(direct[10]), "02 01");
}

TEST(Plays, WinnersAndChancesAgreeWithTheRulesOverEveryOrderedDraw) {
    const auto draws = everyOrderedDraw();
    ASSERT_EQ(draws.size(), 55440u);
    std::vector<std::uint32_t> winners;
    for (const auto& p : play::plays()) {
        const play::SelectionSet set(p.play);
        std::vector<std::int64_t> wins(set.size(), 0);
        for (size_t d = 0; d < draws.size(); ++d) {
            set.winners(draws[d], winners);
            ASSERT_TRUE(std::is_sorted(winners.begin(), winners.end()));
            for (auto s : winners) ++wins[s];
            // The rule itself, ticket by ticket, on a share of the draws.
            if (d % 97 == 0) {
                std::vector<std::uint32_t> byRule;
                for (std::uint32_t s = 0; s < set.size(); ++s)
                    if (play::wins(p.play, set[s], draws[d])) byRule.push_back(s);
                ASSERT_EQ(winners, byRule) << p.code;
            }
        }
        // Every ticket of a play wins in the same share of the draws: its chance.
        const double expected = play::chance(p.play) * static_cast<double>(draws.size());
        for (size_t s = 0; s < set.size(); ++s)
            ASSERT_NEAR(static_cast<double>(wins[s]), expected, 1e-6) << p.code;
    }
    EXPECT_DOUBLE_EQ(play::chance(Play::Any5), 1.0 / 462);
    EXPECT_DOUBLE_EQ(play::chance(Play::Any8), 56.0 / 462);
    EXPECT_DOUBLE_EQ(play::chance(Play::Any2), 10.0 / 55);
}

TEST(Plays, ARowThatIsNoDrawWinsNothingWhateverItsNumbers) {
    std::vector<std::uint32_t> winners{1, 2, 3};
    for (const auto& p : play::plays()) {
        const play::SelectionSet set(p.play);
        for (const play::Draw& draw :
             {play::Draw{0, 2, 3, 4, 5}, play::Draw{1, 2, 3, 4, 12}, play::Draw{-7, 2, 3, 4, 5},
              play::Draw{1, 2, 3, 4, -31073}}) {
            set.winners(draw, winners);
            EXPECT_TRUE(winners.empty()) << p.code;
        }
    }
}

TEST(Plays, ReadingTicketsChecksSizeRepeatsAndRange) {
    auto text = [](Play p, const std::string& t) {
        const auto parsed = play::parseSelection(p, t);
        return parsed.selection ? play::selectionText(*parsed.selection) : "error: " + parsed.error;
    };
    EXPECT_EQ(text(Play::Any3, "03 1,2"), "01 02 03");
    EXPECT_EQ(text(Play::Front3Direct, "3 1 2"), "03 01 02");
    EXPECT_EQ(text(Play::Front1, "11"), "11");
    for (const char* bad : {"01 02", "01 02 03 04", "01 01 02", "00 01 02", "01 02 12", "1 2 x",
                            "001 2 3", "", "1-2-3"})
        EXPECT_EQ(text(Play::Any3, bad).rfind("error: ", 0), 0u) << bad;
}

TEST(Plays, PrizesFromTextKeepTheDefaultsOfPlaysLeftOut) {
    const play::Prizes defaults;
    EXPECT_EQ(play::prizesText(defaults),
              "q1=13,r2=6,r3=19,r4=78,r5=540,r6=90,r7=26,r8=9,q2d=130,q2g=65,q3d=1170,q3g=195");
    const auto parsed = play::parsePrizes(" r2 = 7, q3d=1000 ,");
    ASSERT_TRUE(parsed.prizes) << parsed.error;
    EXPECT_EQ(parsed.prizes->of(Play::Any2), 7);
    EXPECT_EQ(parsed.prizes->of(Play::Front3Direct), 1000);
    EXPECT_EQ(parsed.prizes->of(Play::Any3), 19);
    EXPECT_EQ(play::parsePrizes(play::prizesText(*parsed.prizes)).prizes, parsed.prizes);
    EXPECT_EQ(play::parsePrizes("").prizes, defaults);
    for (const char* bad : {"r9=5", "r2", "r2=0", "r2=-3", "r2=5x", "r2=", "q1=13;r2=6"})
        EXPECT_FALSE(play::parsePrizes(bad).prizes) << bad;
}

} // namespace
