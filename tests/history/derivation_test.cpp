// Deriving a draw's attributes and token strings, and storing draws with every derived column.

#include "history/attributes.h"
#include "history/draw_appender.h"
#include "history/history_table.h"
#include "history/zodiac.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace history;

namespace {

Zodiac zodiacOf(int year, bool inOrder, int zodiacBase) {
    Zodiac z;
    z.setYear(year);
    z.updateYearGroups();
    z.setValueOrder(inOrder, zodiacBase);
    return z;
}

std::vector<std::string> rowTexts(platform::Database& db, int period, bool previous) {
    std::string sql = "SELECT ";
    for (int kind = -1; kind < kKinds; ++kind)
        sql += (kind > -1 ? ", " : "") + textColumn(previous, kind);
    sql += " FROM Lishi WHERE SQQH = ?1";
    auto stmt = db.prepare(sql);
    stmt.bind(1, period);
    std::vector<std::string> texts;
    if (stmt.step())
        for (int c = 0; c < 7; ++c) texts.push_back(stmt.isNullAt(c) ? "<null>" : stmt.textAt(c));
    return texts;
}

std::vector<int> rowInts(platform::Database& db, int period, const char* suffix) {
    std::string sql = "SELECT QQH";
    for (int kind = 0; kind < kKinds; ++kind)
        for (int p = 1; p <= 5; ++p) sql += ", " + attributeColumn(p, kind, suffix);
    sql += " FROM Lishi WHERE SQQH = ?1";
    auto stmt = db.prepare(sql);
    stmt.bind(1, period);
    std::vector<int> values;
    if (stmt.step())
        for (int c = 0; c < 31; ++c) values.push_back(stmt.intAt(c));
    return values;
}

} // namespace

TEST(Derivation, AttributesOfNumbers) {
    const Zodiac z = zodiacOf(2016, true, 1);
    const auto v = deriveDraw({1, 4, 5, 10, 11}, z, 1);
    EXPECT_EQ(v[Segment], (PositionValues{1, 1, 2, 3, 3}));
    EXPECT_EQ(v[Head], (PositionValues{0, 0, 0, 1, 1}));
    EXPECT_EQ(v[Tail], (PositionValues{1, 4, 5, 0, 1}));
    EXPECT_EQ(v[Sum], (PositionValues{1, 4, 5, 1, 2}));
    EXPECT_EQ(deriveDraw({8, 9, 1, 2, 3}, z, 1)[Segment], (PositionValues{2, 3, 1, 1, 1}));
    EXPECT_EQ(deriveDraw({8, 9, 1, 2, 3}, z, 0)[Segment], (PositionValues{1, 2, 0, 0, 0}));
}

TEST(Derivation, TokensCountOccurrencesPerValue) {
    EXPECT_EQ(countedTokens({0, 0, 0, 1, 0}, Head), "1X0 2X0 3X0 1X1 4X0 ");
    EXPECT_EQ(countedTokens({3, 7, 1, 11, 5}, Number), "1X03 1X07 1X01 1X11 1X05 ");
    EXPECT_EQ(countedTokens({3, 7, 1, 1, 5}, Tail), "1X3 1X7 1X1 2X1 1X5 ");
    EXPECT_EQ(plainNumbers({3, 7, 1, 11, 5}), "03 07 01 11 05 ");
    EXPECT_EQ(countedToken(ZodiacKind, 2, 5), "2X05");
    EXPECT_EQ(countedToken(Segment, 1, 2), "1X2");
}

TEST(Zodiac, NumbersBelongToAnimalsOfTheYear) {
    const Zodiac inOrder = zodiacOf(2016, true, 1);
    EXPECT_EQ(Zodiac::nameOf(inOrder.valueOf(1), 1), "猴");
    EXPECT_EQ(inOrder.valueOf(1), 9);
    EXPECT_EQ(Zodiac::nameOf(inOrder.valueOf(2), 1), "羊");
    EXPECT_EQ(Zodiac::nameOf(inOrder.valueOf(3), 1), "马");
    EXPECT_EQ(Zodiac::nameOf(inOrder.valueOf(11), 1), "狗");
    EXPECT_EQ(inOrder.valueOf(11), 11);
    // By age the value of n is n - 1 + base, whatever the year.
    for (int year : {2016, 2026}) {
        const Zodiac byAge = zodiacOf(year, false, 1);
        for (int n = 1; n <= 11; ++n) EXPECT_EQ(byAge.valueOf(n), n) << year << " " << n;
    }
    // A number in no group falls back to the twelfth animal.
    EXPECT_EQ(inOrder.valueOf(0), inOrder.values()[11]);
    EXPECT_EQ(inOrder.valueOf(50), inOrder.values()[11]);
    EXPECT_EQ(Zodiac::nameOf(13, 1), "");
    EXPECT_EQ(Zodiac::nameOf(0, 0), "鼠");
}

TEST(Zodiac, YearTurnsAtTheLunarNewYear) {
    EXPECT_EQ(Zodiac::yearOfPeriod("2016020701"), 2015);
    EXPECT_EQ(Zodiac::yearOfPeriod("2016020801"), 2016);
    // Both January draws belong to the year of the goat; a draw number never moves the year.
    EXPECT_EQ(Zodiac::yearOfPeriod("2016011005"), 2015);
    EXPECT_EQ(Zodiac::yearOfPeriod("2016011105"), 2015);
    EXPECT_EQ(Zodiac::yearOfPeriod("2016090805"), 2016);
    EXPECT_EQ(Zodiac::yearOfPeriod("2026021601"), 2025);
    EXPECT_EQ(Zodiac::yearOfPeriod("2026021701"), 2026);
    EXPECT_EQ(Zodiac::yearOfPeriod("2009012501"), 2008);
    EXPECT_EQ(Zodiac::yearOfPeriod(" 2019010101 "), 2018);
    EXPECT_FALSE(Zodiac::yearOfPeriod("abc").has_value());
    EXPECT_EQ(Zodiac::yearOfDate(2026, 12, 8), 2026);
}

TEST(DrawAppender, StoresTheWorkedExampleByteForByte) {
    testing_support::TempDir dir;
    platform::Database db(dir.file("k.db"));
    createTables(db);
    Zodiac zodiac = zodiacOf(2016, true, 0);
    DrawAppender appender(db, zodiac, 0, false);
    appender.append(16090851, {1, 2, 3, 4, 5});
    appender.append(16090852, {3, 7, 1, 11, 5});
    appender.append(16090853, {2, 4, 6, 8, 10});
    const std::vector<std::string> expected = {
        "03 07 01 11 05 ",      "1X03 1X07 1X01 1X11 1X05 ", "1X06 1X02 1X08 1X10 1X04 ",
        "1X0 2X0 3X0 1X1 4X0 ", "1X3 1X7 1X1 2X1 1X5 ",      "1X03 1X07 1X01 1X02 1X05 ",
        "1X0 1X1 2X0 1X2 2X1 "};
    EXPECT_EQ(rowTexts(db, 16090853, false), expected);
    // Only the rebuild writes the strings of the draw two back.
    EXPECT_EQ(rowTexts(db, 16090853, true), std::vector<std::string>(7, "<null>"));
}

TEST(DrawAppender, PreviousDrawsFollowTheOrderOfStoring) {
    testing_support::TempDir dir;
    platform::Database db(dir.file("k.db"));
    createTables(db);
    Zodiac zodiac = zodiacOf(2016, true, 1);
    DrawAppender appender(db, zodiac, 1, true);
    const auto first = appender.append(16090884, {1, 2, 3, 4, 5});
    const auto second = appender.append(16090901, {6, 7, 8, 9, 10});
    appender.append(16090902, {11, 1, 2, 3, 4});

    EXPECT_EQ(first.nextPeriod, 16090885); // plain addition, no day roll-over
    EXPECT_EQ(rowTexts(db, 16090884, false), std::vector<std::string>(7, ""));
    const auto firstS = rowInts(db, 16090884, "S");
    EXPECT_TRUE(std::all_of(firstS.begin() + 1, firstS.end(), [](int v) { return v == 0; }));

    const auto secondS = rowInts(db, 16090901, "S");
    const auto firstOwn = rowInts(db, 16090884, "");
    EXPECT_TRUE(std::equal(secondS.begin() + 1, secondS.end(), firstOwn.begin() + 1));
    const auto secondP = rowInts(db, 16090901, "P");
    EXPECT_TRUE(std::all_of(secondP.begin() + 1, secondP.end(), [](int v) { return v == 0; }));

    const auto thirdP = rowInts(db, 16090902, "P");
    EXPECT_TRUE(std::equal(thirdP.begin() + 1, thirdP.end(), firstOwn.begin() + 1));
    EXPECT_EQ(rowTexts(db, 16090902, true)[0], "01 02 03 04 05 ");
    EXPECT_EQ(rowTexts(db, 16090902, false)[0], "06 07 08 09 10 ");
    EXPECT_EQ(rowTexts(db, 16090901, true), std::vector<std::string>(7, ""));

    const auto rows = loadHistory(db, true);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].period, second.period);
    EXPECT_EQ(rows[2].numbers(), (PositionValues{11, 1, 2, 3, 4}));
}

TEST(DrawAppender, ZodiacFollowsEachDrawsPeriod) {
    testing_support::TempDir dir;
    platform::Database db(dir.file("k.db"));
    createTables(db);
    Zodiac zodiac = zodiacOf(2016, true, 1);
    DrawAppender appender(db, zodiac, 1, false);
    const auto beforeNewYear = appender.append(16020701, {1, 2, 3, 4, 5});
    const auto afterNewYear = appender.append(16020801, {1, 2, 3, 4, 5});
    // In 2015 (goat) 01 is the goat, value 8; in 2016 (monkey), value 9.
    EXPECT_EQ(beforeNewYear.values[ZodiacKind][0], 8);
    EXPECT_EQ(afterNewYear.values[ZodiacKind][0], 9);
    EXPECT_EQ(zodiac.year(), 2016);
}
