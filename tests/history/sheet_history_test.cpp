// Finding the draws in sheets laid out as players and results sites lay them out: headings or
// none, the numbers in one text column or five number columns, other columns beside them, ids in
// every form the import takes; rows that hold no draw reported, sheets without draws refused.

#include "history/sheet_history.h"
#include "support/sheet_files.h"

#include <gtest/gtest.h>

using namespace testing_support;
using history::SheetDrawReader;

namespace {

history::ParsedHistory parse(const CellGrid& grid) {
    SheetDrawReader reader;
    for (const auto& row : sheetRows(grid))
        if (!reader.add(row)) break;
    return reader.finish();
}

std::vector<std::string> drawTexts(const history::ParsedHistory& parsed) {
    std::vector<std::string> out;
    for (const auto& d : parsed.draws) {
        std::string text = std::to_string(d.line) + ":" + std::to_string(d.period);
        for (int n : d.numbers) text += " " + std::to_string(n);
        out.push_back(text);
    }
    return out;
}

std::vector<std::string> reportTexts(const history::ParsedHistory& parsed) {
    std::vector<std::string> out;
    for (const auto& r : parsed.reported) out.push_back(std::to_string(r.line) + ":" + r.reason);
    return out;
}

using Strings = std::vector<std::string>;

} // namespace

TEST(SheetHistory, FindsFiveNumberColumnsBesideDatesSumsAndCounts) {
    // A site's download: Chinese headings, the date as yyyymmdd (which reads like an id), the
    // newest draw first, then the sum and the count of odd numbers right after the five numbers.
    CellGrid grid = {{textCell("开奖日期"), textCell("期号"), textCell("第一位"),
                      textCell("第二位"), textCell("第三位"), textCell("第四位"),
                      textCell("第五位"), textCell("奇数个数"), textCell("和值")}};
    const std::vector<std::array<int, 5>> draws = {
        {3, 7, 1, 11, 5}, {1, 2, 3, 4, 5}, {6, 8, 10, 2, 4}, {9, 7, 5, 3, 1}};
    for (int i = 0; i < 4; ++i) {
        auto& row = grid.emplace_back();
        row.push_back(numberCell(20100908));
        row.push_back(numberCell(2010090804 - i));
        int odd = 0, sum = 0;
        for (int n : draws[i]) {
            row.push_back(numberCell(n));
            odd += n % 2;
            sum += n;
        }
        row.push_back(numberCell(odd));
        row.push_back(numberCell(sum));
    }
    const auto layout = history::findSheetLayout(sheetRows(grid));
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->periodColumn, 1u);
    EXPECT_TRUE(layout->fiveColumns);
    EXPECT_EQ(layout->numbersColumn, 2u);

    const auto parsed = parse(grid);
    EXPECT_EQ(drawTexts(parsed), (Strings{"5:10090801 9 7 5 3 1", "4:10090802 6 8 10 2 4",
                                          "3:10090803 1 2 3 4 5", "2:10090804 3 7 1 11 5"}));
    EXPECT_TRUE(parsed.reported.empty());
}

TEST(SheetHistory, ReadsOneTextColumnOfNumbersAndEveryFormOfId) {
    // No headings; a notes column before the id; ids as numbers (one that lost its leading zero),
    // as texts in every form, in full width.
    const auto parsed = parse({
        {textCell("a"), numberCell(2016090852), textCell("03,07,01,11,05")},
        {textCell(""), numberCell(9090853), textCell("3 7 1 11 6")},
        {textCell("b"), textCell("20160908-54"), textCell("01+02+03+04+05")},
        {textCell(""), textCell("第2016090855期"), textCell("01、02、03、04、06")},
        {textCell(""), textCell("１６０９０８５６"), textCell("０１　０２　０３　０４　０７")},
        {textCell("c"), textCell(" 2016090857 "), textCell("[01][02][03][04][08]"),
         textCell("其他 05 06 07 08 09")},
    });
    EXPECT_EQ(drawTexts(parsed),
              (Strings{"2:9090853 3 7 1 11 6", "1:16090852 3 7 1 11 5", "3:16090854 1 2 3 4 5",
                       "4:16090855 1 2 3 4 6", "5:16090856 1 2 3 4 7", "6:16090857 1 2 3 4 8"}));
    EXPECT_TRUE(parsed.reported.empty()) << reportTexts(parsed)[0];
}

TEST(SheetHistory, ReportsRowsWithoutADrawAndPassesOverHeadingsAndNotes) {
    const auto parsed = parse(textGrid({
        {"2016年9月开奖记录"},
        {"期号", "第1码", "第2码", "第3码", "第4码", "第5码"},
        {"2016090852", "03", "07", "01", "11", "05"},
        {"2016090853", "03", "07", "", "11", "05"},
        {"2016090854", "03", "07", "x", "11", "05"},
        {"2016090855", "03", "07", "12", "11", "05"},
        {"2016090856", "03", "07", "03", "11", "05"},
        {"1609085"},
        {"", "03", "07", "01", "11", "05"},
        {"2016-09-08", "03", "07", "01", "11", "05"},
        {"合计", "30", "70", "10", "110", "50"},
        {"以上数据仅供参考"},
        {"", "", "", "", "", "", "备注2"},
        {"00000000", "03", "07", "01", "11", "05"},
    }));
    EXPECT_EQ(drawTexts(parsed), (Strings{"3:16090852 3 7 1 11 5"}));
    EXPECT_EQ(reportTexts(parsed),
              (Strings{"4:第3码（D列）是空的", "5:第3码（D列）“x”不是号码",
                       "6:号码“12”不在01到11之间", "7:号码“03”重复出现",
                       "8:期号“1609085”无法识别：须为十位（如2016090852）、八位（如16090852）"
                       "或年月日-期数（如20160908-52）",
                       "9:没有期号（A列是空的）",
                       "10:期号“2016-09-08”无法识别：须为十位（如2016090852）、八位（如16090852）"
                       "或年月日-期数（如20160908-52）",
                       "11:期号“合计”无法识别：须为十位（如2016090852）、八位（如16090852）"
                       "或年月日-期数（如20160908-52）",
                       "14:期号0无效：期号须为1到99999999（年月日加当天期数）"}));
}

TEST(SheetHistory, FindsTheColumnsFromTheFirstRowsAndReadsTheRest) {
    CellGrid grid = textGrid({{"期号", "开奖号码"}});
    const int count = static_cast<int>(SheetDrawReader::kSampleRows) + 500;
    // Draw numbers 01..99 (a draw number 00 is skipped).
    const auto period = [](int i) { return 16010101 + i / 99 * 100 + i % 99; };
    for (int i = 0; i < count; ++i)
        grid.push_back({numberCell(2000000000 + period(i)),
                        textCell(i == count - 1 ? "01 02" : "01 02 03 04 05")});
    const auto parsed = parse(grid);
    ASSERT_EQ(parsed.draws.size(), static_cast<size_t>(count - 1));
    EXPECT_EQ(parsed.draws.front().line, 2);
    EXPECT_EQ(parsed.draws.back().period, period(count - 2));
    ASSERT_EQ(parsed.reported.size(), 1u);
    EXPECT_EQ(parsed.reported[0].line, count + 1);
}

TEST(SheetHistory, RefusesASheetWithoutColumnsOfDraws) {
    const std::vector<CellGrid> sheets = {
        {},
        textGrid({{"姓名", "电话"}, {"张三", "13800138000"}}),
        // Numbers but no period ids, and period ids but no numbers.
        textGrid({{"1", "03 07 01 11 05"}, {"2", "03 07 01 11 06"}}),
        textGrid({{"2016090852", "27"}, {"2016090853", "30"}}),
        // Ids that name no day, and a whole text line in one cell.
        textGrid({{"12345678", "03 07 01 11 05"}}),
        textGrid({{"2016090852 03 07 01 11 05"}}),
    };
    for (size_t i = 0; i < sheets.size(); ++i) {
        try {
            parse(sheets[i]);
            ADD_FAILURE() << "sheet " << i << " was read";
        } catch (const history::SheetLayoutError& e) {
            const std::string what = e.what();
            EXPECT_TRUE(i == 0 ? what.find("是空的") != std::string::npos
                               : what.find("需要一列期号") != std::string::npos)
                << i << ": " << what;
        }
    }
}
