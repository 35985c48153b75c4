// Reading the draws of results pages without a draw_list table, whatever their layout: each page
// must read to exactly the draws it lists, what it lists wrongly is reported, and what is not a
// draw (slots, headings, footers, comments) is passed over.

#include "history/page_draws.h"
#include "platform/html_table.h"

#include <gtest/gtest.h>

#include <set>

using namespace history;

namespace {

const Date kDay{std::chrono::year{2016}, std::chrono::month{9}, std::chrono::day{8}};

PageDraws found(const std::string& html) {
    const auto page = platform::readResultsPage(html);
    EXPECT_TRUE(page && !page->drawList);
    return page ? findPageDraws(page->rows, page->elements) : PageDraws{};
}

DayTable read(const std::string& html, Game game = Game::Jiangxi) {
    return readPageDraws(found(html), game, kDay, 0);
}

// The stored draws as "NN:a b c d e" lines, ascending.
std::string draws(const DayTable& table) {
    std::string text;
    for (const auto& draw : table.draws) {
        text += std::to_string(draw.period % 100) + ":";
        for (int n : draw.numbers) text += " " + std::to_string(n);
        text += "\n";
    }
    return text;
}

std::string skipped(const DayTable& table) {
    std::string text;
    for (const auto& s : table.skipped) text += s.what + " " + s.reason + "\n";
    return text;
}

const std::string kThree = "1: 3 7 1 11 5\n2: 2 4 6 8 10\n3: 1 9 5 11 7\n";

} // namespace

TEST(PageDraws, EveryLayoutReadsToTheDrawsItLists) {
    const std::string layouts[] = {
        // numbers as one text, each row with another separator
        R"(<table><tr><th>期次</th><th>开奖号码</th></tr>
           <tr><td>2016090801期</td><td>03 07 01 11 05</td><td>27</td></tr>
           <tr><td>2016090802期</td><td>02,04，06、08+10</td><td>30</td></tr>
           <tr><td>2016090803期</td><td>01、09、05、11、07</td><td>33</td></tr></table>)",
        // five em elements in one cell, the id in a link
        R"(<table><tr><td><a href="/d/1">2016090801</a></td><td><em>03</em><em>07</em><em>01</em><em>11</em><em>05</em></td></tr>
           <tr><td><a href="/d/2">2016090802</a></td><td><em>02</em><em>04</em><em>06</em><em>08</em><em>10</em></td></tr>
           <tr><td><a href="/d/3">2016090803</a></td><td><em>01</em><em>09</em><em>05</em><em>11</em><em>07</em></td></tr></table>)",
        // groups of 3 + 2, and li items of a ul
        R"(<table><tr><td>2016090801</td><td><span><i>03</i><i>07</i><i>01</i></span>+<span><b>11</b><b>05</b></span></td></tr>
           <tr><td>2016090802</td><td><ul><li>02</li><li>04</li><li>06</li><li>08</li><li>10</li></ul></td></tr>
           <tr><td>2016090803</td><td><span>01</span><span>09</span><span>05</span><span>11</span><span>07</span></td></tr></table>)",
        // five cells, a spacer cell before them and a sum after
        R"(<table><tr><th>期号</th><th></th><th colspan=5>开奖号码</th></tr>
           <tr><td>2016090801</td><td>&nbsp;</td><td>03</td><td>07</td><td>01</td><td>11</td><td>05</td><td>27</td></tr>
           <tr><td>2016090802</td><td> </td><td>02</td><td>04</td><td>06</td><td>08</td><td>10</td><td>30</td></tr>
           <tr><td>2016090803</td><td></td><td>01</td><td>09</td><td>05</td><td>11</td><td>07</td><td>33</td></tr></table>)",
        // attributes: of a cell, of a row, and of an element outside tables
        R"(<div class="latest" data-period="16090803" data-award="01 09 05 11 07"></div>
           <table><tr><td>2016090801</td><td data-award="03,07,01,11,05"><canvas></canvas></td></tr>
           <tr data-period="2016090802" data-award="02 04 06 08 10"><td></td></tr></table>)",
        // three draws side by side in one row, a heading row of td cells
        R"(<table><tr><td>期号</td><td>号码</td><td></td><td>期号</td><td>号码</td></tr>
           <tr><td>01</td><td>03 07 01 11 05</td><td class=sep></td><td>02</td><td>02 04 06 08 10</td>
               <td></td><td>03</td><td>01 09 05 11 07</td></tr></table>)",
        // no table: items of a list, blocks of divs, with labels between id and numbers
        R"(<ul><li><a href="#">2016090801期</a> <em>03</em><em>07</em><em>01</em><em>11</em><em>05</em></li>
           <li>20160908-02 02 04 06 08 10</li><li>第03期 01 09 05 11 07</li></ul>
           <div class=row><div class=id>第03期</div><div class=time>09:30</div><div>开奖号码：</div>
           <div class=balls><span>01</span><span>09</span><span>05</span><span>11</span><span>07</span></div></div>
           <div class=row><div class=id>2016090804</div><div>-- -- -- -- --</div></div>)",
        // two tables side by side in the cells of a third
        R"(<table><tr><td><table><tr><th>期号</th><th>开奖号码</th></tr><tr><td>16090801</td><td>03 07 01 11 05</td></tr>
           <tr><td>16090802</td><td>02 04 06 08 10</td></tr></table></td>
           <td><table><tr><th>期号</th><th>开奖号码</th></tr><tr><td>16090803</td><td>01 09 05 11 07</td></tr></table></td></tr></table>)",
    };
    for (const auto& page : layouts) {
        const DayTable table = read(page);
        EXPECT_EQ(draws(table), kThree) << page;
        EXPECT_EQ(skipped(table), "") << page;
        EXPECT_FALSE(table.otherGame);
    }
}

TEST(PageDraws, PeriodIdsInEveryFormOldestOrNewestFirst) {
    // The same three draws, newest first, ids written each way, read for a ten- and an
    // eight-digit game.
    const std::string page = R"(<table>
        <tr><td>第03期</td><td>01 09 05 11 07</td></tr>
        <tr><td>20160908-02</td><td>02 04 06 08 10</td></tr>
        <tr><td><a href="#">20160908001</a>期</td><td>03 07 01 11 05</td></tr></table>)";
    EXPECT_EQ(draws(read(page, Game::Jiangxi)), kThree);
    EXPECT_EQ(draws(read(page, Game::Guangdong)), kThree);
    for (const std::string id : {"16090802", "2016090802", "160908-02", "160908002", "02", "2"}) {
        const auto table =
            read("<table><tr><td>" + id + "</td><td>02 04 06 08 10</td></tr></table>");
        EXPECT_EQ(draws(table), "2: 2 4 6 8 10\n") << id;
    }
    // Short ids with five number cells, a serial number before them: where the serial number
    // stands is told by which reading gives sound draws; when both do, nothing is made up and
    // the row is reported.
    const PageDraws ambiguous = found(R"(<table>
        <tr><td>1</td><td>02</td><td>03</td><td>07</td><td>01</td><td>11</td><td>05</td></tr></table>)");
    EXPECT_TRUE(ambiguous.draws.empty());
    ASSERT_EQ(ambiguous.unclear.size(), 1u);
    EXPECT_EQ(ambiguous.unclear[0].what, "1 02 03 07 01 11 05");
    EXPECT_FALSE(ambiguous.readsEmpty());
    // Outside tables a number alone is no draw number: 09:10 and the next block's 02 would
    // otherwise read as draws.
    EXPECT_EQ(
        draws(read(R"(<div><span>01</span> <span>09:10</span> <span>03 07 01 11 05</span></div>
        <div><span>02</span> 09:20 <i>02</i><i>04</i><i>06</i><i>08</i><i>10</i></div>
        <div><span>第03期</span> 09:30 <i>01</i><i>09</i><i>05</i><i>11</i><i>07</i></div>)")),
        "3: 1 9 5 11 7\n");
    EXPECT_EQ(draws(read(R"(<table>
        <tr><td>1</td><td>01</td><td>03</td><td>07</td><td>01</td><td>11</td><td>05</td></tr>
        <tr><td>2</td><td>02</td><td>02</td><td>04</td><td>06</td><td>08</td><td>10</td>
            <td></td><td>03</td><td>01</td><td>09</td><td>05</td><td>11</td><td>07</td></tr></table>)")),
              kThree);
}

TEST(PageDraws, SlotsPassSilentlyAndWrongDrawsAreReported) {
    const DayTable table = read(R"(<table><tr><th>期号</th><th>开奖号码</th></tr>
        <tr><td>2016090801</td><td>03 07 01 11 05</td></tr>
        <tr><td>2016090802</td><td>--</td></tr>
        <tr><td>2016090803</td><td>等待开奖</td></tr>
        <tr><td>2016090804</td><td></td></tr>
        <tr><td>2016090805</td><td>-</td><td>-</td><td>-</td><td>-</td><td>-</td></tr>
        <tr><td>2016090701</td><td>02 04 06 08 10</td></tr>
        <tr><td>2016090885</td><td>02 04 06 08 10</td></tr>
        <tr><td>20160908101</td><td>02 04 06 08 10</td></tr>
        <tr><td>2016090806</td><td>02 04 06 08 12</td></tr>
        <tr><td>20160908-07</td><td>02 04 04 08 10</td></tr>
        <tr><td>2016090808</td><td>02</td><td>04</td><td>00</td><td>08</td><td>10</td></tr>
        </table>)");
    EXPECT_EQ(draws(table), "1: 3 7 1 11 5\n");
    EXPECT_EQ(skipped(table),
              "2016090701 期号不是2016-09-08这一天的\n"
              "2016090885 当天第85期超过了江西11选5每天最多的84期\n"
              "2016090806 开奖号码不是01到11之间互不相同的五个号码（02 04 06 08 12）\n"
              "20160908-07 开奖号码不是01到11之间互不相同的五个号码（02 04 04 08 10）\n"
              "2016090808 开奖号码不是01到11之间互不相同的五个号码（02 04 00 08 10）\n"
              "20160908101 当天第101期超过了江西11选5每天最多的84期\n");
    EXPECT_FALSE(table.otherGame);
}

TEST(PageDraws, WhatIsNoDrawIsPassedOver) {
    // Comments, scripts, styles, hidden content, headings, a footer, dates and times, numbers
    // without an id, and the same draw listed twice alike.
    const DayTable table =
        read(R"(<html><head><style>td { content: "2016090809 01 02 03 04 05" }</style>
        <script>var d = ["2016090809", "01 02 03 04 05"];</script></head><body>
        <p>开奖日期 2016-09-08</p><div>最新 03 07 01 11 05</div>
        <table><thead><tr><th>期号</th><th>时间</th><th>开奖号码</th></tr></thead>
        <!-- <tr><td>2016090809</td><td>01 02 03 04 05</td></tr> -->
        <tr><td>2016090801</td><td>2016-09-08 09:10</td><td>03 07 01 11 05</td></tr>
        <tr><td>2016090801</td><td>09:10</td><td>03 07 01 11 05</td></tr>
        <tr><td>&nbsp;</td><td>04 05 06 07 08</td></tr>
        <tfoot><tr><td colspan=3>今日已开1期，剩余83期</td></tr></tfoot></table>
        <noscript><table><tr><td>2016090809</td><td>01 02 03 04 05</td></tr></table></noscript>
        <template><table><tr><td>2016090809</td><td>01 02 03 04 05</td></tr></table></template>
        </body></html>)");
    EXPECT_EQ(draws(table), "1: 3 7 1 11 5\n");
    EXPECT_EQ(skipped(table), "");
}

TEST(PageDraws, AHeadingTellsADayWithoutDrawsFromAnUnreadablePage) {
    const PageDraws heading = found(R"(<table><tr><th>期次</th><th>开奖号码</th></tr>
        <tr><td colspan=2>今日暂无开奖</td></tr></table>)");
    EXPECT_TRUE(heading.draws.empty());
    EXPECT_TRUE(heading.heading);
    const PageDraws slots = found(R"(<table><tr><td>期号</td><td>号码</td></tr>
        <tr><td>2016090801</td><td>--</td></tr><tr><td>2016090802</td><td>--</td></tr></table>)");
    EXPECT_TRUE(slots.draws.empty());
    EXPECT_EQ(slots.unmade, 2u);
    EXPECT_TRUE(slots.heading);
    EXPECT_TRUE(heading.dayWithoutDraws());
    EXPECT_TRUE(slots.dayWithoutDraws());
    // A page whose draws cannot be read (numbers run together, a layout of plain divs) is no
    // day without draws, with a heading or without.
    for (const std::string page : {R"(<table><tr><th>期号</th><th>开奖号码</th></tr>
             <tr><td>2016090801</td><td>2016-09-08 09:10</td><td>0307011105</td></tr>
             <tr><td>2016090802</td><td>03 07 01 11</td></tr></table>)",
                                   R"(<p>页面不存在</p>)"}) {
        const PageDraws none = found(page);
        EXPECT_TRUE(none.draws.empty()) << page;
        EXPECT_FALSE(none.dayWithoutDraws()) << page;
    }
    EXPECT_EQ(found(R"(<table><tr><td>2016090801</td><td>0307011105</td></tr></table>)").unread,
              1u);
}

TEST(PageDraws, AMixedPageOfEveryLayout) {
    const DayTable table = read(R"(<!DOCTYPE html><html><body>
        <div class="latest" data-period="2016090806" data-award="05 04 03 02 01"></div>
        <table class="frame"><tr><td>
          <table><tr><th>期号</th><th>开奖号码</th></tr>
            <tr><td>2016090806期</td><td>05、04、03、02、01</td></tr>
            <tr><td>20160908-05</td><td><em>06</em><em>07</em><em>08</em><em>09</em><em>10</em></td></tr>
            <tr><td>20160908004</td><td><span><i>11</i><i>01</i><i>02</i></span>+<span><b>03</b><b>04</b></span></td></tr>
          </table></td><td>
          <table><tr><th>期号</th><th>开奖号码</th></tr>
            <tr><td>03</td><td></td><td>01</td><td>09</td><td>05</td><td>11</td><td>07</td></tr>
            <tr><td>2016090802</td><td data-award="02 04 06 08 10"></td></tr>
            <tr><td>2016090801</td><td><ul><li>03</li><li>07</li><li>01</li><li>11</li><li>05</li></ul></td></tr>
            <tr><td>2016090807</td><td>--</td></tr>
          </table></td></tr></table></body></html>)");
    EXPECT_EQ(draws(table), kThree + "4: 11 1 2 3 4\n5: 6 7 8 9 10\n6: 5 4 3 2 1\n");
    EXPECT_EQ(skipped(table), "");
}

TEST(PageDraws, ListedTwiceWithDifferentNumbersNeitherIsStored) {
    const DayTable table = read(R"(<div data-period="2016090801" data-award="01 02 03 04 05"></div>
        <table><tr><td>2016090801</td><td>03 07 01 11 05</td></tr></table>)");
    EXPECT_EQ(draws(table), "");
    ASSERT_EQ(table.skipped.size(), 1u);
    EXPECT_EQ(table.skipped[0].what, "2016090801");
}

TEST(PageDraws, APageOfDrawNumbersTheGameDoesNotHaveSeemsAnotherGames) {
    const DayTable table = read(R"(<table><tr><td>2016090885</td><td>03 07 01 11 05</td></tr>
        <tr><td>2016090890</td><td>02 04 06 08 10</td></tr></table>)");
    EXPECT_TRUE(table.otherGame);
    EXPECT_EQ(table.listed, 2u);
    // Read as 上海 (90 a day) the same page is sound.
    EXPECT_EQ(read(R"(<table><tr><td>2016090890</td><td>03 07 01 11 05</td></tr></table>)",
                   Game::Shanghai)
                  .draws.size(),
              1u);
}

TEST(PageDraws, DeepAndHugePagesAreReadWithoutRecursionOrQuadraticWork) {
    // Tables nested in cells hundreds deep, the draw in the innermost, and elements nested nearly
    // as deep as a page may be.
    std::string tables, inner = "<tr><td>2016090801</td><td>03 07 01 11 05</td></tr>";
    for (int i = 0; i < 300; ++i) tables += "<table><tr><td>";
    tables += "<table>" + inner + "</table>";
    for (int i = 0; i < 300; ++i) tables += "</td></tr></table>";
    EXPECT_EQ(draws(read(tables)), "1: 3 7 1 11 5\n");

    std::string spans;
    for (size_t i = 0; i + 20 < platform::kMaxNesting; ++i) spans += "<span data-x=\"123456\">";
    EXPECT_EQ(draws(read("<table><tr><td>2016090801</td><td>" + spans +
                         "03 07 01 11 05</td></tr></table>")),
              "1: 3 7 1 11 5\n");

    // Cells of megabytes of separators and dashes are read in one pass each.
    std::string commas, dashes(2'000'000, '-');
    for (int i = 0; i < 500'000; ++i) commas += "01,";
    EXPECT_EQ(draws(read("<table><tr><td>" + commas + "</td><td>" + dashes + "</td></tr>" + inner +
                         "</table>")),
              "1: 3 7 1 11 5\n");

    std::string tooDeep;
    for (size_t i = 0; i <= platform::kMaxNesting; ++i) tooDeep += "<div>";
    EXPECT_FALSE(platform::readResultsPage(tooDeep + "<table>" + inner + "</table>"));
}

TEST(PageDraws, DrawNumbersAloneOnAPageOfAnotherDayAreNotTakenForTheDays) {
    const std::string list = R"(<table><tr><td>01</td><td>03 07 01 11 05</td></tr></table>)";
    // The page names the day asked for (among others), names no day, or names only others.
    for (const std::string header :
         {"<p>开奖日期：2016-09-08</p><p>2016/09/07</p>", "<title>2016年9月8日 开奖</title>", "",
          "<p>期号 2016090701</p>"})
        EXPECT_FALSE(found(header + list).shortIdsOfAnotherDay(kDay)) << header;
    for (const std::string header : {"<p>开奖日期：2016-09-09</p>", "<h1>2016年9月9日</h1>",
                                     "<table><tr><td>2016.09.09</td></tr></table>"})
        EXPECT_TRUE(found(header + list).shortIdsOfAnotherDay(kDay)) << header;
    // Ids that name their day are checked one by one instead.
    EXPECT_FALSE(found("<p>2016-09-09</p><table><tr><td>2016090801</td><td>03 07 01 11 05</td>"
                       "</tr></table>")
                     .shortIdsOfAnotherDay(kDay));
}

TEST(PageDraws, OtherFiguresInADrawsRowAreNotItsNumbers) {
    // A column of the draw before, a time, omission figures: the numbers next to the id are read.
    const auto table = read(R"(<table><tr><th>期号</th><th>开奖号码</th><th>上期</th></tr>
        <tr><td>2016090801</td><td>03 07 01 11 05</td><td>02 04 06 08 10</td></tr>
        <tr><td>2016090802</td><td>02 04 06 08 10</td><td>03 07 01 11 05</td></tr></table>)");
    EXPECT_EQ(draws(table), "1: 3 7 1 11 5\n2: 2 4 6 8 10\n");
    const auto timed = read(R"(<table><tr><th>期号</th><th>开奖号码</th></tr>
        <tr><td>2016090801</td><td>03 07 01 11 05</td><td>2016-09-08 09:10</td><td>遗漏 2 3 4 5 6</td></tr>
        <tr><td>2016090802</td><td>02 04 06 08 10</td><td>2016-09-08 09:20</td><td>遗漏 01 02 03 04 05</td></tr></table>)");
    EXPECT_EQ(draws(timed), "1: 3 7 1 11 5\n2: 2 4 6 8 10\n");
    EXPECT_TRUE(timed.skipped.empty()) << skipped(timed);
}

TEST(PageDraws, AnIdThatSharesItsCellWithATimeOrDateIsRead) {
    const std::string layouts[] = {
        // apart by a blank, in elements of their own, by a line break with a date
        R"(<table><tr><th>期号</th><th>开奖号码</th></tr>
           <tr><td>20160908001 09:10:00</td><td>03 07 01 11 05</td></tr>
           <tr><td><span>2016090802</span><span>09:20</span></td><td>02 04 06 08 10</td></tr>
           <tr><td>20160908-03<br>2016-09-08 09:30</td><td>01 09 05 11 07</td></tr></table>)",
        // the time first, draw numbers alone, a date in words, the numbers in the same cell
        R"(<table><tr><td><span>09:10</span><br><span>01</span></td><td>03 07 01 11 05</td></tr>
           <tr><td>第02期 2016年9月8日 09:20</td><td>02 04 06 08 10</td></tr>
           <tr><td>2016090803 09-08 09:30 01 09 05 11 07</td></tr></table>)",
    };
    for (const auto& page : layouts) {
        const DayTable table = read(page);
        EXPECT_EQ(draws(table), kThree) << page;
        EXPECT_EQ(skipped(table), "") << page;
    }
    const DayTable late =
        read("<table><tr><td>20160908084 23:00:00</td><td>02 04 06 08 10</td></tr>"
             "<tr><td>20160908085 23:10:00</td><td>03 07 01 11 05</td></tr></table>");
    EXPECT_EQ(draws(late), "84: 2 4 6 8 10\n");
    EXPECT_EQ(skipped(late), "20160908085 当天第85期超过了江西11选5每天最多的84期\n");
    // A number beside a date alone (a ratio, a count) is no draw number.
    EXPECT_EQ(draws(read("<table><tr><td>3 1-2</td><td>02 04 06 08 10</td></tr></table>")), "");
}

namespace {

std::string cell(int value, bool twoDigits = false) {
    return "<td>" + std::string(twoDigits && value < 10 ? "0" : "") + std::to_string(value) +
           "</td>";
}

// A trend chart's figures: for each place the 11 numbers' omissions, the drawn one showing its
// number; 11 stays away long in every place it is not drawn (figures of three digits), and the
// figures after it read like five numbers.
std::string figures(const Numbers& numbers) {
    std::string row;
    for (int p = 0; p < kPositions; ++p)
        for (int n = 1; n <= 11; ++n)
            row += numbers[p] == n ? cell(n, true)
                                   : cell(n == 11  ? 700 + 10 * p
                                          : n <= 5 ? n
                                                   : n + 2);
    return row;
}

std::string chartRow(const std::string& id, const Numbers& numbers, bool withNumbers) {
    std::string row = "<tr><td>" + id + "</td>";
    if (withNumbers)
        for (int n : numbers) row += cell(n, true);
    return row + figures(numbers) + "</tr>";
}

} // namespace

TEST(PageDraws, AChartsFiguresAndStatisticsAreNoDraws) {
    const Numbers first{3, 7, 1, 11, 5}, second{2, 4, 6, 8, 10}, third{1, 9, 5, 11, 7};
    std::string head = "<table><tr><th>期号</th><th colspan=5>开奖号码</th><th colspan=55>遗漏"
                       "</th></tr><tr>";
    for (int p = 0; p < kPositions; ++p)
        for (int n = 1; n <= 11; ++n) head += cell(n);
    head += "</tr>";
    // Statistics under the draws: a label, then a figure for each column.
    std::string statistics;
    for (const char* label : {"出现次数", "当前遗漏", "最大遗漏"})
        statistics += std::string("<tr><td colspan=6>") + label + "</td>" +
                      figures({1, 2, 3, 4, 5}) + "</tr>";
    const DayTable table =
        read(head + chartRow("2016090801", first, true) + chartRow("20160908002", second, true) +
             chartRow("03", third, true) + statistics + "</table>");
    EXPECT_EQ(draws(table), kThree);
    EXPECT_EQ(skipped(table), "");

    // A chart of omissions only, without the numbers drawn: its first figures are no draw (here
    // 01 02 03 04 05 would read as one); the ids are told as numbers not understood.
    const PageDraws bare =
        found(head + chartRow("2016090801", first, false) + chartRow("2016090802", second, false) +
              chartRow("03", third, false) + statistics + "</table>");
    EXPECT_TRUE(bare.draws.empty()) << draws(readPageDraws(bare, Game::Jiangxi, kDay, 0));
    EXPECT_EQ(bare.unread, 3u);
}

TEST(PageDraws, AGameNamedByItsAliasIsThatGame) {
    // Rows naming 广东 by its name and by its alias are one game's; 江西 beside them is another.
    const std::string one = R"(<table><tr><th>彩种</th><th>期号</th><th>开奖号码</th></tr>
        <tr><td>广东11选5</td><td>16090801</td><td>03 07 01 11 05</td></tr>
        <tr><td>粤11选5</td><td>16090802</td><td>02 04 06 08 10</td></tr></table>)";
    EXPECT_FALSE(found(one).severalGames());
    EXPECT_EQ(found(one).gameNames, (std::set<std::string>{"广东11选5"}));
    const std::string two = R"(<table><tr><th>彩种</th><th>期号</th><th>开奖号码</th></tr>
        <tr><td>十一运夺金</td><td>16090801</td><td>03 07 01 11 05</td></tr>
        <tr><td>多乐彩</td><td>16090801</td><td>02 04 06 08 10</td></tr></table>)";
    EXPECT_EQ(found(two).gameNames, (std::set<std::string>{"山东11选5", "江西11选5"}));
}
