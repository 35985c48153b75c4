#include "history/period.h"

#include <gtest/gtest.h>

using namespace history;

TEST(Period, NextPeriodRollsOverOnlyAfterTheLastDrawOfTheDay) {
    EXPECT_EQ(nextPeriodText(16090884, 84), "2016090901");
    EXPECT_EQ(nextPeriodText(16090852, 84), "2016090853");
    EXPECT_EQ(nextPeriodText(16093084, 84), "2016100101");
    EXPECT_EQ(nextPeriodText(16123184, 84), "2017010101");
    EXPECT_EQ(nextPeriodText(16022884, 84), "2016022901"); // leap year
    EXPECT_EQ(nextPeriodText(16090890, 90), "2016090901");
    EXPECT_EQ(nextPeriodText(16090884, 90), "2016090885");
    // Today's 42 a day: after draw 42 the next day's 01; a draw of an older, longer schedule
    // (an imported 84-a-day history) ends its day as well.
    EXPECT_EQ(nextPeriodText(26120842, 42), "2026120901");
    EXPECT_EQ(nextPeriodText(26120841, 42), "2026120842");
    EXPECT_EQ(nextPeriodText(16090885, 84), "2016090901");
    EXPECT_EQ(nextPeriodText(25020984, 42), "2025021001");
    // Draw 99 has no successor that day: the next day's 01, never 00.
    EXPECT_EQ(nextPeriodText(16090899, 84), "2016090901");
    EXPECT_EQ(nextPeriodText(17013299, 84), "2017013301"); // an imported id that is no date
    EXPECT_EQ(nextPeriodText(9123179, 79), "2010010101");
}

TEST(Period, TextFormsPadToEightDigits) {
    EXPECT_EQ(eightDigit(9090852), "09090852");
    EXPECT_EQ(tenDigit(9090852), "2009090852");
    EXPECT_EQ(tenDigit(16090852), "2016090852");
    EXPECT_EQ(gridPeriodText(16090852, Game::Guangdong), "16090852");
    EXPECT_EQ(gridPeriodText(16090852, Game::Heilongjiang), "16090852");
    EXPECT_EQ(gridPeriodText(16090852, Game::Jiangxi), "2016090852");
    EXPECT_EQ(gridPeriodText(16090852, Game::Shanghai), "2016090852");
}

TEST(Period, TypedTenDigitIdsAreValidated) {
    EXPECT_EQ(parseTenDigitPeriod("2016090801"), 16090801);
    EXPECT_EQ(parseTenDigitPeriod("2009090852"), 9090852);
    EXPECT_EQ(parseTenDigitPeriod("2016022901"), 16022901);
    for (const char* bad : {"", "201609080", "20160908011", "1916090801", "2016130801",
                            "2017022901", "2016090800", "2016-09-08", "201609080a"})
        EXPECT_FALSE(parseTenDigitPeriod(bad).has_value()) << bad;
}

TEST(Period, SpanBoxesReadTheirLastEightCharacters) {
    EXPECT_EQ(lastEightAsNumber("2016090852"), 16090852);
    EXPECT_EQ(lastEightAsNumber("16090852"), 16090852);
    EXPECT_EQ(lastEightAsNumber("20160908x2"), std::nullopt);
    EXPECT_EQ(lastEightAsNumber(""), std::nullopt);
}
