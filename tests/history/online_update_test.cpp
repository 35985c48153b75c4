// Reading results pages for the online update: the days to fetch, which listed draws are new
// and sound, and which stored draws the retention removes.

#include "history/online_update.h"

#include <gtest/gtest.h>

using namespace history;
using std::chrono::day;
using std::chrono::month;
using std::chrono::year;

namespace {

Date date(int y, unsigned m, unsigned d) {
    return Date{year{y}, month{m}, day{d}};
}

std::vector<HistoryRow> rowsOf(std::initializer_list<int> periods) {
    std::vector<HistoryRow> rows;
    for (int p : periods)
        rows.push_back({static_cast<std::int64_t>(rows.size() + 1), p, p + 1, {}});
    return rows;
}

std::vector<std::string> days(const std::vector<Date>& dates) {
    std::vector<std::string> out;
    for (const auto& d : dates) out.push_back(isoDay(d));
    return out;
}

using Rows = std::vector<std::vector<std::string>>;
const std::vector<std::string> kHeading = {"序号", "期号", "开奖号码", "详情"};

} // namespace

TEST(UpdateDays, FromTheNewestDrawOrTheKeptDaysUpToToday) {
    const Date today = date(2016, 9, 8);
    EXPECT_EQ(days(updateDays(rowsOf({16090852}), today, 6, Game::Jiangxi)),
              std::vector<std::string>{"2016-09-08"});
    EXPECT_EQ(days(updateDays(rowsOf({16090601, 16090684}), today, 6, Game::Jiangxi)),
              (std::vector<std::string>{"2016-09-06", "2016-09-07", "2016-09-08"}));
    // An empty history, and one whose newest draw is months old: the kept days only.
    EXPECT_EQ(updateDays({}, today, 6, Game::Jiangxi).size(), 7u);
    EXPECT_EQ(isoDay(updateDays({}, today, 6, Game::Jiangxi).front()), "2016-09-02");
    EXPECT_EQ(isoDay(updateDays(rowsOf({16050101}), today, 16, Game::Jiangxi).front()),
              "2016-08-23");
    // An update that keeps the older draws leaves no hole after them.
    const auto keeping = updateDays(rowsOf({16050101}), today, 16, Game::Jiangxi, {}, true);
    EXPECT_EQ(isoDay(keeping.front()), "2016-05-01");
    EXPECT_EQ(keeping.size(), 131u);
    // Across a new year.
    EXPECT_EQ(days(updateDays(rowsOf({16123184}), date(2017, 1, 1), 6, Game::Jiangxi)),
              (std::vector<std::string>{"2016-12-31", "2017-01-01"}));
}

TEST(UpdateDays, DrawsAPageLeftOutAreReadAgainAndDaysWithoutDrawsPassed) {
    const Date today = date(2016, 9, 8);
    // 09-06 lacks its first draws, 09-07 its last ones (over), 09-08 (today) is going on.
    const auto rows = rowsOf({16090603, 16090684, 16090701, 16090780, 16090801, 16090810});
    const auto sixth = unlistedDraws(rows, date(2016, 9, 6), Game::Jiangxi, today);
    ASSERT_EQ(sixth.size(), 2u + 80u); // 01, 02 before, 04..83 between
    EXPECT_EQ(sixth[1], 16090602);
    EXPECT_EQ(sixth[2], 16090604);
    const auto seventh = unlistedDraws(rows, date(2016, 9, 7), Game::Jiangxi, today);
    ASSERT_EQ(seventh.size(), 78u); // 02..79 between; none after: 江西 draws 42 a day today
    EXPECT_EQ(seventh.back(), 16090779);
    EXPECT_EQ(unlistedDraws(rows, date(2016, 9, 8), Game::Jiangxi, today).size(), 8u);
    EXPECT_TRUE(unlistedDraws(rows, date(2016, 9, 5), Game::Jiangxi, today).empty());
    // 新疆 draws 48 a day: 02..39 between, 41..48 after.
    EXPECT_EQ(
        unlistedDraws(rowsOf({16090701, 16090740}), date(2016, 9, 7), Game{1065}, today).size(),
        38u + 8u);

    // Days without draws found before, right after the newest stored day, are not read again;
    // the newest day is read again only for its own draws missing.
    std::vector<HistoryRow> holiday; // the whole of 09-03
    for (int n = 1; n <= 84; ++n) holiday.push_back({n, 16090300 + n, n, {}});
    EXPECT_EQ(days(updateDays(holiday, today, 6, Game::Jiangxi, {160904, 160905, 160906})),
              (std::vector<std::string>{"2016-09-07", "2016-09-08"}));
    EXPECT_EQ(days(updateDays(holiday, today, 6, Game::Jiangxi, {160905, 160906})),
              (std::vector<std::string>{"2016-09-03", "2016-09-04", "2016-09-05", "2016-09-06",
                                        "2016-09-07", "2016-09-08"}));
    // A day of the history left incomplete before the holidays is read again.
    holiday.erase(holiday.begin() + 10);
    EXPECT_EQ(days(updateDays(holiday, today, 6, Game::Jiangxi, {160904, 160905, 160906})),
              (std::vector<std::string>{"2016-09-03", "2016-09-07", "2016-09-08"}));
    // Today is always read.
    EXPECT_EQ(days(updateDays(rowsOf({16090784}), today, 6, Game::Jiangxi, {160908})),
              (std::vector<std::string>{"2016-09-07", "2016-09-08"}));
}

TEST(UpdateDays, RetentionRemovesOnlyDrawsBeforeTheKeptDays) {
    const auto rows = rowsOf({16083001, 16083184, 16090101, 16090201, 16090801});
    const Date start = retentionStart(date(2016, 9, 8), 6);
    EXPECT_EQ(isoDay(start), "2016-09-02");
    EXPECT_EQ(rowsBefore(rows, start), 3u);
    EXPECT_EQ(rowsBefore(rows, date(2016, 8, 1)), 0u);
    EXPECT_EQ(dayNumber(date(2016, 9, 8)), 160908);
    EXPECT_EQ(isoDay(parseIsoDay("2017-01-31")), "2017-01-31");
    EXPECT_FALSE(parseIsoDay("2017-02-30").ok());
    EXPECT_FALSE(parseIsoDay("17-01-31").ok());
}

TEST(DayTable, NewDrawsAfterTheNewestStoredByFullIdInEitherGameForm) {
    const Rows game22 = {kHeading,
                         {"1", "2016090851", "01 02 03 04 05", "详情"},
                         {"2", "2016090852", "05 03 08 01 11", "详情"},
                         {"3", "2016090853", "05,03,08,01,11", "详情"}};
    const auto table = readDayTable(game22, Game::Jiangxi, date(2016, 9, 8), 16090852);
    ASSERT_EQ(table.draws.size(), 1u);
    EXPECT_EQ(table.draws[0].period, 16090853);
    EXPECT_EQ(table.draws[0].numbers, (Numbers{5, 3, 8, 1, 11}));
    EXPECT_TRUE(table.skipped.empty());

    // Eight-digit ids, newest first: stored in ascending order.
    const Rows game23 = {
        kHeading, {"2", "16090802", "06 07 08 09 10", ""}, {"1", "16090801", "01 02 03 04 05", ""}};
    const auto eight = readDayTable(game23, Game::Guangdong, date(2016, 9, 8), 0);
    ASSERT_EQ(eight.draws.size(), 2u);
    EXPECT_EQ(eight.draws[0].period, 16090801);
    EXPECT_EQ(eight.draws[1].period, 16090802);

    // A new year: 17010101 is new after 16123184 although its mmddNN is smaller.
    const Rows newYear = {kHeading, {"1", "2017010101", "01 02 03 04 05", ""}};
    EXPECT_EQ(readDayTable(newYear, Game::Jiangxi, date(2017, 1, 1), 16123184).draws.size(), 1u);

    // A heading alone: a day without draws.
    const auto holiday = readDayTable({kHeading}, Game::Jiangxi, date(2016, 10, 1), 0);
    EXPECT_TRUE(holiday.draws.empty());
    EXPECT_TRUE(holiday.skipped.empty());
}

TEST(DayTable, UnsoundListedDrawsAreSkippedAndSaid) {
    const Rows rows = {kHeading,
                       {"1", "2016090801", "01 02 03 04 05", ""},
                       {"2", "2016090802", "01 01 03 04 05", ""}, // repeated
                       {"3", "2016090803", "01 02 03 04 12", ""}, // out of range
                       {"4", "2016090804", "01 02 03 04", ""},    // four numbers
                       {"5", "2016090905", "01 02 03 04 05", ""}, // another day
                       {"6", "20160908x6", "01 02 03 04 05", ""}, // not a number
                       {"7", "2016090800", "01 02 03 04 05", ""}, // draw 00
                       {"8", "2016090885", "01 02 03 04 05", ""}, // above 84 draws a day
                       {"9", "", "01 02 03 04 05", ""},           // no id
                       {"10", "2016090810", "01 02 03 04 05", ""}};
    const auto table = readDayTable(rows, Game::Jiangxi, date(2016, 9, 8), 0);
    ASSERT_EQ(table.draws.size(), 2u);
    EXPECT_EQ(table.draws[0].period, 16090801);
    ASSERT_EQ(table.skipped.size(), 8u);
    EXPECT_EQ(table.skipped[0].what, "2016090802");
    EXPECT_NE(table.skipped[0].reason.find("互不相同"), std::string::npos);
    EXPECT_NE(table.skipped[2].reason.find("无法读出"), std::string::npos);
    EXPECT_NE(table.skipped[3].reason.find("2016-09-08"), std::string::npos);
    EXPECT_EQ(table.skipped[6].what, "2016090885");
    EXPECT_NE(table.skipped[6].reason.find("84"), std::string::npos) << table.skipped[6].reason;

    // 上海 has 90 draws a day: its 85 is a draw.
    EXPECT_EQ(readDayTable({kHeading, {"1", "2016090885", "01 02 03 04 05", ""}}, Game::Shanghai,
                           date(2016, 9, 8), 0)
                  .draws.size(),
              1u);
}

TEST(DayTable, APeriodListedTwiceWithOtherNumbersIsStoredFromNeitherListing) {
    const Rows rows = {kHeading,
                       {"1", "2016090801", "01 02 03 04 05", ""},
                       {"2", "2016090802", "01 02 03 04 06", ""},
                       {"3", "2016090801", "06 07 08 09 10", ""}, // a decoy of 01
                       {"4", "2016090802", "01 02 03 04 06", ""}, // 02 again, alike
                       {"5", "2016090801", "01 02 03 04 05", ""}};
    const auto table = readDayTable(rows, Game::Jiangxi, date(2016, 9, 8), 0);
    ASSERT_EQ(table.draws.size(), 1u);
    EXPECT_EQ(table.draws[0].period, 16090802);
    ASSERT_EQ(table.skipped.size(), 1u);
    EXPECT_EQ(table.skipped[0].what, "2016090801");
    EXPECT_NE(table.skipped[0].reason.find("01 02 03 04 05与06 07 08 09 10"), std::string::npos)
        << table.skipped[0].reason;
}

TEST(DayTable, ReportsQuoteOnlyAShortExcerptOfAHugeCell) {
    const std::string huge(9 * 1024 * 1024, '7');
    const Rows rows = {
        kHeading, {"1", "2016090801", "01 02 " + huge, ""}, {"2", "", "开奖" + huge, huge}};
    const auto table = readDayTable(rows, Game::Jiangxi, date(2016, 9, 8), 0);
    ASSERT_EQ(table.skipped.size(), 2u);
    for (const auto& skipped : table.skipped) {
        EXPECT_LT(skipped.what.size() + skipped.reason.size(), 400u);
        EXPECT_NE((skipped.what + skipped.reason).find("…"), std::string::npos);
    }
}

TEST(DayTable, DrawNumbersAboveTheGamesDrawsPerDayAreSkippedAndSaid) {
    // A page of 上海 (90 a day) read for 黑龙江 (79 a day).
    Rows rows = {kHeading};
    for (int n : {78, 79, 80, 90})
        rows.push_back({"", "160908" + std::to_string(n), "01 02 03 04 05", ""});
    const auto table = readDayTable(rows, Game::Heilongjiang, date(2016, 9, 8), 0);
    ASSERT_EQ(table.draws.size(), 2u);
    EXPECT_EQ(table.draws[1].period, 16090879);
    ASSERT_EQ(table.skipped.size(), 2u);
    EXPECT_EQ(table.skipped[0].what, "16090880");
    EXPECT_NE(table.skipped[0].reason.find("黑龙江11选5每天最多的79期"), std::string::npos)
        << table.skipped[0].reason;
    EXPECT_FALSE(table.otherGame);
}

TEST(DayTable, APageOfWhichNoListedDrawFitsTheGameSeemsAnotherGames) {
    const Rows eightDigitIds = {
        kHeading, {"1", "16090801", "01 02 03 04 05", ""}, {"2", "16090802", "06 07 08 09 10", ""}};
    const Rows tenDigitIds = {kHeading,
                              {"1", "2016090801", "01 02 03 04 05", ""},
                              {"2", "2016090802", "06 07 08 09 10", ""}};
    // 广东's eight-digit ids on a page read for 江西, and 江西's ten-digit ones read for 广东.
    const auto forJiangxi = readDayTable(eightDigitIds, Game::Jiangxi, date(2016, 9, 8), 0);
    EXPECT_TRUE(forJiangxi.otherGame);
    EXPECT_EQ(forJiangxi.listed, 2u);
    EXPECT_TRUE(forJiangxi.draws.empty());
    EXPECT_TRUE(readDayTable(tenDigitIds, Game::Guangdong, date(2016, 9, 8), 0).otherGame);
    // Draws held already still fit; so do draws of another day; a heading alone or a note row
    // lists no draw.
    EXPECT_FALSE(readDayTable(tenDigitIds, Game::Jiangxi, date(2016, 9, 8), 16090802).otherGame);
    EXPECT_FALSE(readDayTable(tenDigitIds, Game::Jiangxi, date(2016, 9, 9), 0).otherGame);
    EXPECT_FALSE(readDayTable({kHeading}, Game::Jiangxi, date(2016, 9, 8), 0).otherGame);
    EXPECT_FALSE(
        readDayTable({kHeading, {"", "暂无开奖数据", ""}}, Game::Jiangxi, date(2016, 9, 8), 0)
            .otherGame);
}

TEST(DayTable, APageOfMostlyOtherNumbersListsAnotherLotterysDraws) {
    // Five digits 0..9 a draw: a few happen to be five different ones of 01..11.
    Rows digits = {kHeading};
    const char* const drawn[] = {"03 05 00 09 01", "01 02 03 04 05", "07 07 02 01 08",
                                 "09 08 07 06 05", "00 04 04 01 02", "06 01 09 03 09"};
    for (int n = 0; n < 6; ++n)
        digits.push_back({"", "201609080" + std::to_string(n + 1), drawn[n], ""});
    const auto other = readDayTable(digits, Game::Jiangxi, date(2016, 9, 8), 0);
    EXPECT_EQ(other.withNumbers, 6u);
    EXPECT_EQ(other.unsoundNumbers, 4u);
    EXPECT_TRUE(other.otherNumbers());
    // One damaged row among sound ones, or a single one alone, is a row skipped, not another
    // lottery; rows of no numbers ("--") count for neither.
    Rows sound = {kHeading};
    for (int n = 1; n <= 8; ++n)
        sound.push_back({"", "20160908" + std::string(n < 10 ? "0" : "") + std::to_string(n),
                         n == 3 ? "01 01 02 03 04" : "01 02 03 04 05", ""});
    sound.push_back({"", "2016090809", "--", ""});
    EXPECT_FALSE(readDayTable(sound, Game::Jiangxi, date(2016, 9, 8), 0).otherNumbers());
    sound.push_back({"", "2016090810", "00 01 02 03 04", ""});
    EXPECT_FALSE(readDayTable(sound, Game::Jiangxi, date(2016, 9, 8), 0).otherNumbers());
    // Draws not made yet written as 00 00 00 00 00 neither.
    for (int n = 11; n <= 40; ++n)
        sound.push_back({"", "20160908" + std::to_string(n), "00 00 00 00 00", ""});
    EXPECT_FALSE(readDayTable(sound, Game::Jiangxi, date(2016, 9, 8), 0).otherNumbers());
    const Rows alone = {kHeading, {"", "2016090801", "01 01 02 03 04", ""}};
    EXPECT_FALSE(readDayTable(alone, Game::Jiangxi, date(2016, 9, 8), 0).otherNumbers());
}

TEST(UpdateDays, KeptDaysWithDrawsMissingWithinThemAreReadAgain) {
    const Date today = date(2016, 9, 8);
    // 09-03 lacks 03 and 04 between its first and last draw; 09-05 starts late and ends early,
    // so a page listed only part of it; 09-01 lies before the kept days.
    const auto rows =
        rowsOf({16090101, 16090103, 16090301, 16090302, 16090305, 16090505, 16090506, 16090701});
    EXPECT_EQ(missingDraws(rows, date(2016, 9, 3)), (std::vector<int>{16090303, 16090304}));
    EXPECT_TRUE(missingDraws(rows, date(2016, 9, 5)).empty());
    EXPECT_TRUE(missingDraws(rows, date(2016, 9, 4)).empty());
    EXPECT_EQ(days(updateDays(rows, today, 6, Game::Jiangxi)),
              (std::vector<std::string>{"2016-09-03", "2016-09-05", "2016-09-07", "2016-09-08"}));
    // The newest day's own gap is read anyway, once.
    EXPECT_EQ(days(updateDays(rowsOf({16090801, 16090803}), today, 6, Game::Jiangxi)),
              std::vector<std::string>{"2016-09-08"});
}
