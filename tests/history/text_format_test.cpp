// Reading the draw-history text format: ids, the two-digit scan, line ends, and which lines are
// stored, skipped or reported.

#include "history/text_format.h"
#include "platform/text_decoding.h"

#include <gtest/gtest.h>

using namespace history;

namespace {

ParsedHistory parse(std::string_view bytes, std::int32_t newestNextPeriod = 0) {
    return parseHistoryText(platform::decodeText(bytes).text, newestNextPeriod);
}

struct Stored {
    int line;
    int period;
    Numbers numbers;
    bool operator==(const Stored&) const = default;
};

void PrintTo(const Stored& s, std::ostream* os) {
    *os << "line " << s.line << ": " << s.period << " " << s.numbers[0] << " " << s.numbers[1]
        << " " << s.numbers[2] << " " << s.numbers[3] << " " << s.numbers[4];
}

std::vector<Stored> stored(const ParsedHistory& parsed) {
    std::vector<Stored> out;
    for (const auto& d : parsed.draws) out.push_back({d.line, d.period, d.numbers});
    return out;
}

std::vector<int> reportedLines(const ParsedHistory& parsed) {
    std::vector<int> lines;
    for (const auto& r : parsed.reported) lines.push_back(r.line);
    return lines;
}

} // namespace

TEST(TextFormat, EightCharacterIdsAndLinesThatCountOn) {
    const auto parsed = parse("16090852 05 03 08 01 11\r\n"
                              "05 03 08 01 11 \r\n"              // no id: previous id + 1
                              "  16090884\t05 03 08 01 11  \r\n" // blanks trimmed, tab separates
                              "1609.852 01 02 03 04 05\r\n"      // a decimal id is rounded
                              "16090852 05 03 08 01 11 07\r\n"); // a sixth number is ignored
    EXPECT_EQ(stored(parsed), (std::vector<Stored>{{1, 16090852, {5, 3, 8, 1, 11}},
                                                   {2, 16090853, {5, 3, 8, 1, 11}},
                                                   {3, 16090884, {5, 3, 8, 1, 11}},
                                                   {4, 1610, {1, 2, 3, 4, 5}},
                                                   {5, 16090852, {5, 3, 8, 1, 11}}}));
    EXPECT_TRUE(parsed.reported.empty());

    // The first line without an id counts on from the history's next period (its newest QQH).
    // "12345 ..." has no digit in its sixth character, so it has no id either; its scan reads
    // 12 and 34 and it is reported, but the line after it still counts on from its id.
    const auto counted = parse("12345 01 02 03 04 05\r\n01 02 03 04 05\r\n", 16090853);
    EXPECT_EQ(reportedLines(counted), std::vector<int>{1});
    EXPECT_EQ(stored(counted), (std::vector<Stored>{{2, 16090855, {1, 2, 3, 4, 5}}}));
}

TEST(TextFormat, TheTwoDigitScan) {
    // Any non-digit separates; two adjacent digits make one number.
    EXPECT_EQ(stored(parse("16090852-05-03-08-01-11\n16090853 01,02;03/04号05\n"
                           "16090854 0102030405")),
              (std::vector<Stored>{{1, 16090852, {5, 3, 8, 1, 11}},
                                   {2, 16090853, {1, 2, 3, 4, 5}},
                                   {3, 16090854, {1, 2, 3, 4, 5}}}));
    // The ninth character is skipped unread: glued to the id, "0102030405" loses its first
    // digit and reads 10 20 30 40, then a lone 5.
    EXPECT_EQ(reportedLines(parse("160908520102030405")), std::vector<int>{1});
    // A single digit in the last character is not read; numbers written with one digit are not
    // numbers (the Part's "16090852 5 3 08 01 11" no longer borrows from the line before).
    const auto singles = parse("16090852 01 02 03 04 5\n16090853 5 3 08 01 11\n");
    EXPECT_TRUE(singles.draws.empty());
    EXPECT_EQ(reportedLines(singles), (std::vector<int>{1, 2}));
}

TEST(TextFormat, TenDigitIdsKeepTheirPeriod) {
    const auto parsed = parse("2016090852 05 03 08 01 11\n"
                              "2016090853,06 04 09 02 10\n"
                              "05 03 08 01 11\n");
    EXPECT_EQ(stored(parsed), (std::vector<Stored>{{1, 16090852, {5, 3, 8, 1, 11}},
                                                   {2, 16090853, {6, 4, 9, 2, 10}},
                                                   {3, 16090854, {5, 3, 8, 1, 11}}}));
    // An eleventh digit puts the line back under the eight-character rule: id 20160908, the
    // ninth character is skipped and the scan reads 21 first, which no draw holds.
    const auto eleven = parse("20160908521 05 03 08 01 11");
    EXPECT_TRUE(eleven.draws.empty());
    ASSERT_EQ(reportedLines(eleven), std::vector<int>{1});
    EXPECT_NE(eleven.reported[0].reason.find("21"), std::string::npos);
}

TEST(TextFormat, LineEnds) {
    const std::vector<Stored> three = {{1, 16090852, {5, 3, 8, 1, 11}},
                                       {2, 16090853, {1, 2, 3, 4, 5}},
                                       {3, 16090854, {6, 7, 8, 9, 10}}};
    EXPECT_EQ(stored(parse("16090852 05 03 08 01 11\n16090853 01 02 03 04 05\n"
                           "16090854 06 07 08 09 10")),
              three);
    EXPECT_EQ(stored(parse("16090852 05 03 08 01 11\r16090853 01 02 03 04 05\r"
                           "16090854 06 07 08 09 10\r")),
              three);
    EXPECT_EQ(stored(parse("16090852 05 03 08 01 11\r\n16090853 01 02 03 04 05\n"
                           "16090854 06 07 08 09 10\r\n")),
              three);
    // CR CR LF: an empty line between the two; line numbers count it.
    EXPECT_EQ(stored(parse("16090852 05 03 08 01 11\r\r\n16090853 01 02 03 04 05")).back().line, 3);
}

TEST(TextFormat, NoMadeUpDraws) {
    const auto parsed = parse("历史号码\r\n"                // 1 header: skipped, no id used
                              "\r\n"                        // 2 blank: skipped
                              "16090850 05 03 08 01 11\r\n" // 3 stored
                              "   \t  \r\n"                 // 4 blanks and a tab: skipped
                              "16090851 05 03 08\r\n"       // 5 three numbers
                              "02 03 04 05 12\r\n"          // 6 12 is out of range (16090852)
                              "01 02 03 04 04\r\n"          // 7 repeated (16090853)
                              "00000000 01 02 03 04 05\r\n" // 8 id 0
                              "01 02 03 04 05\r\n"          // 9 counts on from 0: id 1
                              "第2期\r\n"                   // 10 a digit but no numbers
                              "16090860 00 01 02 03 04\r\n" // 11 00 is no number
                              "16090861 06 07 08 09 10\r\n"
                              "16090900 06 07 08 09 10\r\n" // 13 draw number 00
                              "16090999 06 07 08 09 10\r\n" // 14 stored (provinces differ)
                              "06 07 08 09 10\r\n");        // 15 counts on to 16091000
    EXPECT_EQ(stored(parsed), (std::vector<Stored>{{3, 16090850, {5, 3, 8, 1, 11}},
                                                   {9, 1, {1, 2, 3, 4, 5}},
                                                   {12, 16090861, {6, 7, 8, 9, 10}},
                                                   {14, 16090999, {6, 7, 8, 9, 10}}}));
    ASSERT_EQ(reportedLines(parsed), (std::vector<int>{5, 6, 7, 8, 10, 11, 13, 15}));
    EXPECT_NE(parsed.reported[6].reason.find("00"), std::string::npos);
    EXPECT_NE(parsed.reported[0].reason.find("3个"), std::string::npos);
    EXPECT_NE(parsed.reported[1].reason.find("12"), std::string::npos);
    EXPECT_NE(parsed.reported[2].reason.find("重复"), std::string::npos);
    EXPECT_NE(parsed.reported[3].reason.find("期号"), std::string::npos);

    EXPECT_TRUE(parse("").draws.empty());
    EXPECT_TRUE(parse("").reported.empty());
}

TEST(TextFormat, WrittenLinesReadBack) {
    EXPECT_EQ(historyTextLine(16090852, {5, 3, 8, 1, 11}), "16090852 05 03 08 01 11 ");
    // Periods of 2000..2009 keep eight digits, so their numbers still start at the tenth
    // character and none is lost.
    std::string text;
    appendHistoryTextLine(text, 9090852, {5, 3, 8, 1, 11});
    EXPECT_EQ(text, "09090852 05 03 08 01 11 \r\n");
    EXPECT_EQ(stored(parse(text)), (std::vector<Stored>{{1, 9090852, {5, 3, 8, 1, 11}}}));
}

TEST(TextFormat, EncodingsAreDecodedBeforeTheLinesAreRead) {
    // GB18030 (Chinese Windows): a header line, and a line whose four-byte character contains
    // the bytes of "0" and "8"; decoded, neither holds a digit and both are skipped silently.
    const std::string gb = "\xC0\xFA\xCA\xB7\xBA\xC5\xC2\xEB\r\n" // 历史号码
                           "\x81\x30\x86\x38\r\n"                 // À
                           "16090852 05 03 08 01 11\r\n";
    EXPECT_EQ(platform::decodeText(gb).encoding, platform::TextEncoding::Gb18030);
    const auto fromGb = parse(gb);
    EXPECT_EQ(stored(fromGb), (std::vector<Stored>{{3, 16090852, {5, 3, 8, 1, 11}}}));
    EXPECT_TRUE(fromGb.reported.empty());

    // UTF-8 with a byte-order mark: the mark is not part of the first line, whose id stands.
    const std::string bom = "\xEF\xBB\xBF"
                            "16090852 05 03 08 01 11\r\n";
    EXPECT_EQ(platform::decodeText(bom).encoding, platform::TextEncoding::Utf8WithBom);
    EXPECT_EQ(stored(parse(bom)), (std::vector<Stored>{{1, 16090852, {5, 3, 8, 1, 11}}}));

    // Notepad's "Unicode": UTF-16 with its byte-order mark.
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("16090852 05 03 08 01 11\r\n")) utf16 += {c, '\0'};
    EXPECT_EQ(platform::decodeText(utf16).encoding, platform::TextEncoding::Utf16WithBom);
    EXPECT_EQ(stored(parse(utf16)), (std::vector<Stored>{{1, 16090852, {5, 3, 8, 1, 11}}}));
}

TEST(TextDecoding, Utf8IsTakenOnlyWhenValid) {
    EXPECT_TRUE(platform::isValidUtf8("历史 abc"));
    EXPECT_FALSE(platform::isValidUtf8("\xC0\xAF"));     // overlong
    EXPECT_FALSE(platform::isValidUtf8("\xED\xA0\x80")); // surrogate
    EXPECT_FALSE(platform::isValidUtf8("\xE5\x8E"));     // cut short
    EXPECT_EQ(platform::decodeText("历史").text, U"历史");
    EXPECT_EQ(platform::decodeText("\xC0\xFA\xCA\xB7").text, U"历史");
    EXPECT_EQ(platform::toUtf8(U"历史A"), "历史A");
}
