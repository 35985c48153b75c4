// The sheet readers, each on real files: delimited text in its encodings and quoting, .xlsx as
// the program's own writer and other writers lay it out, .xls written by a real writer, and files
// whose bytes are not what their name says.

#include "platform/csv_reader.h"
#include "platform/file_io.h"
#include "platform/sheet_reader.h"
#include "platform/sheet_writer.h"
#include "support/sheet_files.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace testing_support;
using Kind = platform::SheetCell::Kind;
using Texts = std::vector<std::string>;

namespace {

void write(const std::string& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<int> numbers(const std::vector<platform::SheetRow>& rows) {
    std::vector<int> out;
    for (const auto& row : rows) out.push_back(row.number);
    return out;
}

// The xlsx parts around a worksheet, with the first sheet in tab order being the given part.
std::vector<std::pair<std::string, std::string>> workbookParts(const std::string& firstSheet,
                                                               const std::string& sheetXml,
                                                               const std::string& sharedXml) {
    const std::string ns = "http://schemas.openxmlformats.org/";
    std::vector<std::pair<std::string, std::string>> parts = {
        {"xl/workbook.xml",
         "<?xml version=\"1.0\"?><workbook xmlns=\"" + ns + "spreadsheetml/2006/main\" xmlns:r=\"" +
             ns +
             "officeDocument/2006/relationships\"><sheets><sheet name=\"历史\" sheetId=\"2\" "
             "r:id=\"rId7\"/><sheet name=\"x\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
        {"xl/_rels/workbook.xml.rels",
         "<?xml version=\"1.0\"?><Relationships xmlns=\"" + ns +
             "package/2006/relationships\"><Relationship Id=\"rId1\" Type=\"" + ns +
             "officeDocument/2006/relationships/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
             "<Relationship Id=\"rId7\" Type=\"" +
             ns + "officeDocument/2006/relationships/worksheet\" Target=\"/xl/" + firstSheet +
             "\"/><Relationship Id=\"rId9\" Type=\"" + ns +
             "officeDocument/2006/relationships/sharedStrings\" Target=\"strings.xml\"/>"
             "</Relationships>"},
        {"xl/worksheets/sheet1.xml", "<worksheet><sheetData><row r=\"1\"><c r=\"A1\" "
                                     "t=\"inlineStr\"><is><t>not this sheet</t></is></c></row>"
                                     "</sheetData></worksheet>"},
        {"xl/" + firstSheet, sheetXml}};
    if (!sharedXml.empty()) parts.emplace_back("xl/strings.xml", sharedXml);
    return parts;
}

} // namespace

TEST(DelimitedText, ReadsQuotedFieldsAndNumbersRowsByTheirLines) {
    TempDir dir;
    // UTF-8 with a byte-order mark, CR LF, a blank line, a quoted field holding the delimiter, a
    // doubled quote and a line end.
    write(dir.file("a.csv"), "\xEF\xBB\xBF期号,开奖号码,备注\r\n"
                             "\r\n"
                             "2016090852,\"03,07,01,11,05\", a \"\"b\"\" \r\n"
                             "2016090853,03 07 01 11 06,\"two\r\nlines\"\r\n"
                             " 2016090854 ,,\r\n"
                             ",,\r\n"
                             "2016090855,\"x\"");
    const auto rows = readRows(dir.file("a.csv"));
    ASSERT_EQ(numbers(rows), (std::vector<int>{1, 3, 4, 6, 8}));
    EXPECT_EQ(texts(rows[0]), (Texts{"期号", "开奖号码", "备注"}));
    EXPECT_EQ(texts(rows[1]), (Texts{"2016090852", "03,07,01,11,05", "a \"\"b\"\""}));
    EXPECT_EQ(texts(rows[2]), (Texts{"2016090853", "03 07 01 11 06", "two\r\nlines"}));
    EXPECT_EQ(texts(rows[3]), (Texts{"2016090854"})); // blanks dropped, empty cells trimmed
    EXPECT_EQ(texts(rows[4]), (Texts{"2016090855", "x"}));
    EXPECT_EQ(rows[0].cells[0].kind, Kind::Text);

    // GB18030 from Chinese Windows, semicolons, a lone-LF file.
    write(dir.file("b.csv"), "\xC6\xDA\xBA\xC5;\xBF\xAA\xBD\xB1\xBA\xC5\xC2\xEB\n"
                             "16090852;\"03;07\";1,5\n");
    const auto gb = readRows(dir.file("b.csv"));
    ASSERT_EQ(gb.size(), 2u);
    EXPECT_EQ(texts(gb[0]), (Texts{"期号", "开奖号码"}));
    EXPECT_EQ(texts(gb[1]), (Texts{"16090852", "03;07", "1,5"}));

    // Tabs: a tab is then no blank to drop, and an empty field keeps its column.
    write(dir.file("c.csv"), "16090852\t\t03\t07\r16090853\t 1\t03\n");
    const auto tabs = readRows(dir.file("c.csv"));
    ASSERT_EQ(tabs.size(), 2u);
    EXPECT_EQ(texts(tabs[0]), (Texts{"16090852", "", "03", "07"}));
    EXPECT_EQ(tabs[0].cells[1].kind, Kind::Empty);
    EXPECT_EQ(texts(tabs[1]), (Texts{"16090853", "1", "03"}));
    EXPECT_EQ(tabs[1].number, 2);
}

TEST(DelimitedText, TellsTheDelimiterByTheLinesOutsideQuotes) {
    EXPECT_EQ(platform::guessDelimiter("a;\"1,2,3\";b\nc;\"4,5\";d\n"), ';');
    EXPECT_EQ(platform::guessDelimiter("期号\t号码\n1\t2,3\n"), '\t');
    EXPECT_EQ(platform::guessDelimiter("16090852 05 03 08 01 11\n"), ',');
    EXPECT_EQ(platform::guessDelimiter("a,b\n1,2\n"), ',');
}

TEST(Xlsx, ReadsTheProgramsOwnWorkbookWithNumbersAsNumbers) {
    TempDir dir;
    platform::SheetGrid grid;
    grid.rows = 3;
    grid.columns = 3;
    const std::vector<Texts> cells = {
        {"期号", "号码", "比例"}, {"2016090852", "03 07 01 11 05", "9.5%"}, {"09090852", "", "7"}};
    grid.text = [&](size_t r, size_t c) { return cells[r][c]; };
    ASSERT_TRUE(platform::writeSheet(dir.file("own.xlsx"), grid));

    const auto rows = readRows(dir.file("own.xlsx"));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(texts(rows[0]), (Texts{"期号", "号码", "比例"}));
    EXPECT_EQ(rows[1].cells[0].kind, Kind::Number);
    EXPECT_EQ(rows[1].cells[0].number, 2016090852.0);
    EXPECT_EQ(rows[1].cells[1].kind, Kind::Text);
    EXPECT_EQ(rows[1].cells[1].text, "03 07 01 11 05");
    EXPECT_DOUBLE_EQ(rows[1].cells[2].number, 0.095);
    EXPECT_EQ(rows[2].cells[0].kind, Kind::Text); // a leading zero stays text
    EXPECT_EQ(rows[2].cells[0].text, "09090852");
    EXPECT_EQ(rows[2].cells[1].kind, Kind::Empty);
    EXPECT_EQ(rows[2].cells[2].number, 7);
}

TEST(Xlsx, ReadsTheFirstSheetInTabOrderWithEveryKindOfCell) {
    TempDir dir;
    const std::string sheet =
        "<?xml version=\"1.0\"?><worksheet><sheetData>"
        // Shared strings with rich runs and a phonetic run, a number written with an exponent.
        "<row r=\"2\"><c r=\"A2\" t=\"s\"><v>1</v></c><c r=\"C2\" t=\"s\"><v>0</v></c>"
        "<c r=\"D2\"><v>1.6090852E7</v></c></row>"
        // Neither rows nor cells numbered; an inline string, a formula's text, a boolean.
        "<row><c t=\"inlineStr\"><is><r><t>03 07</t></r><r><t xml:space=\"preserve\"> 01 11 "
        "05</t></r></is></c><c t=\"str\"><f>A1</f><v>abc</v></c><c t=\"b\"><v>1</v></c></row>"
        // A cell far to the right is not read; an empty row is not handed over.
        "<row r=\"9\"><c r=\"A9\"><v>5</v></c><c r=\"ZZZ9\"><v>6</v></c></row>"
        "<row r=\"10\"><c r=\"B10\"/></row>"
        "</sheetData></worksheet>";
    const std::string shared = "<sst><si><t>期号</t><rPh><t>きごう</t></rPh></si>"
                               "<si><r><t>20160908</t></r><r><t>52</t></r></si></sst>";
    writeZip(dir.file("other.xlsx"), workbookParts("worksheets/sheet2.xml", sheet, shared));

    const auto rows = readRows(dir.file("other.xlsx"));
    ASSERT_EQ(numbers(rows), (std::vector<int>{2, 3, 9}));
    EXPECT_EQ(texts(rows[0]), (Texts{"2016090852", "", "期号", "16090852"}));
    EXPECT_EQ(rows[0].cells[3].kind, Kind::Number);
    EXPECT_EQ(rows[0].cells[3].number, 16090852);
    EXPECT_EQ(texts(rows[1]), (Texts{"03 07 01 11 05", "abc", "1"}));
    EXPECT_EQ(texts(rows[2]), (Texts{"5"}));
}

TEST(Xls, ReadsTheFirstWorksheetOfAWorkbookWrittenByAnotherProgram) {
    TempDir dir;
    writeXls(dir.file("draws.xls"), {{textCell("期号"), textCell("第1码"), {}, textCell("日期")},
                                     {numberCell(2016090852), numberCell(5), numberCell(3.5)},
                                     {},
                                     {textCell("20160908-53"), numberCell(11)}});
    const auto rows = readRows(dir.file("draws.xls"));
    ASSERT_EQ(numbers(rows), (std::vector<int>{1, 2, 4}));
    EXPECT_EQ(texts(rows[0]), (Texts{"期号", "第1码", "", "日期"}));
    EXPECT_EQ(rows[1].cells[0].kind, Kind::Number);
    EXPECT_EQ(rows[1].cells[0].number, 2016090852);
    EXPECT_EQ(rows[1].cells[2].number, 3.5);
    EXPECT_EQ(texts(rows[2]), (Texts{"20160908-53", "11"}));
}

TEST(SheetFiles, AreReadByWhatTheyHoldAndRefusedWhenDamaged) {
    TempDir dir;
    // A workbook saved under the older extension, and text under a workbook's.
    writeZip(dir.file("really-xlsx.xls"),
             workbookParts("worksheets/s.xml",
                           "<worksheet><sheetData><row r=\"1\"><c r=\"B1\"><v>7</v></c></row>"
                           "</sheetData></worksheet>",
                           ""));
    ASSERT_EQ(readRows(dir.file("really-xlsx.xls")).size(), 1u);
    EXPECT_EQ(readRows(dir.file("really-xlsx.xls"))[0].cells[1].number, 7);
    write(dir.file("text.xlsx"), "16090852,03\n");
    EXPECT_EQ(texts(readRows(dir.file("text.xlsx"))[0]), (Texts{"16090852", "03"}));

    // Damaged files say so instead of handing over part of a sheet.
    const std::string whole = platform::readFile(dir.file("really-xlsx.xls"));
    write(dir.file("cut.xlsx"), whole.substr(0, whole.size() / 2));
    write(dir.file("ole.xls"),
          std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(600, '\x01'));
    writeZip(dir.file("bad-xml.xlsx"),
             workbookParts("worksheets/s.xml", "<worksheet><sheetData><row><c><v>1</v></row>", ""));
    writeZip(dir.file("no-workbook.xlsx"), {{"word/document.xml", "<document/>"}});
    for (const char* name : {"cut.xlsx", "ole.xls", "bad-xml.xlsx", "no-workbook.xlsx"})
        EXPECT_THROW(readRows(dir.file(name)), platform::SheetError) << name;
    // Too large a file is refused before it is read.
    write(dir.file("huge.csv"), "");
    std::filesystem::resize_file(dir.file("huge.csv"), platform::kSheetFileLimit + 1);
    EXPECT_THROW(readRows(dir.file("huge.csv")), platform::SheetError);
    std::filesystem::create_directory(dir.file("folder.csv"));
    EXPECT_THROW(readRows(dir.file("folder.csv")), platform::FileError);
    EXPECT_THROW(readRows(dir.file("missing.xlsx")), platform::FileError);
}
