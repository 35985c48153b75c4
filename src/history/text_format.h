#pragma once
// The draw-history text format: one draw per line, an optional period id, then the five numbers
// as two-digit groups separated by anything that is not a digit, e.g.
//     16090852 05 03 08 01 11
// Reading works on code points (see platform/text_decoding.h), so positions count characters.

#include "history/attributes.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace history {

// One line of a file that yields a draw to store.
struct ParsedDraw {
    int line = 0; // 1-based line number in the file
    int period = 0;
    Numbers numbers{};
};

// A line that holds digits but no storable draw, with the reason in words for the user.
struct ReportedLine {
    int line = 0;
    std::string reason;
};

struct ParsedHistory {
    std::vector<ParsedDraw> draws;
    // The first kMaxReportedLines lines not stored; how many more there were.
    std::vector<ReportedLine> reported;
    size_t unreported = 0;

    size_t reportedCount() const { return reported.size() + unreported; }
};

// At most so many reported lines are kept (a file of millions of bad lines must not fill the
// memory with reasons); the rest are counted.
constexpr size_t kMaxReportedLines = 10000;
// A line longer than this is no draw and is not read (a file of one endless line stays cheap).
constexpr size_t kMaxLineCharacters = 1000;

// The lines of a text: CR LF, a lone CR and a lone LF each end a line. A final line end does not
// start another line.
std::vector<std::u32string_view> splitLines(std::u32string_view text);

// The line without leading and trailing blanks (tabs stay).
std::u32string_view trimBlanks(std::u32string_view line);

// What one trimmed line says.
struct LineFields {
    bool hasDigit = false; // false: a blank or header line, skipped without a trace
    bool hasId = false;    // the line begins with its own period id
    std::int64_t id = 0;   // the period id the line stands for
    Numbers numbers{};     // the first five two-digit groups from the scan start
    int count = 0;         // how many of them were found (at most five)
};

// Reads one trimmed line. previousId is the id of the line read before (a line without its own
// id gets previousId + 1).
//  - Ten-digit id: the first ten characters are digits and the eleventh is absent or not a digit
//    (yyyymmddNN). The id is characters 3 to 10; the scan starts at the 12th character.
//  - Id of at most eight characters: the first eight characters (fewer on a shorter line) form a
//    number (digits, one decimal point, trailing blanks), and the 1st and 6th characters are
//    digits. The id is that number rounded; the scan starts at the 10th character.
//  - Otherwise the scan starts at the 1st character.
// The scan reads two adjacent digits as one number and moves on by two; else it moves on by one.
LineFields readLine(std::u32string_view trimmed, std::int64_t previousId);

// The text with full-width digits, letters and signs and the ideographic space read as their
// ASCII forms (what a Chinese input method types in full-width mode). Positions do not move.
std::u32string foldWidth(std::u32string_view text);

// Reads a whole file's text, folded by foldWidth first. Lines without any digit are skipped and do
// not advance the id; every other line advances it and is stored only when it yields five numbers
// (later ones ignored), each 01..11, none repeated, under an id above 0; otherwise it is reported.
// The first line without an id gets newestNextPeriod + 1.
ParsedHistory parseHistoryText(std::u32string_view text, std::int32_t newestNextPeriod);

// Why a draw read elsewhere (a sheet row) cannot be stored, in the words the text import uses for
// a line; empty when it can.
std::string drawProblem(const LineFields& fields);
// The same from a file's bytes, decoded as platform::decodeText decodes them but one line at a
// time: the memory it takes is the draws and reports it keeps, besides the bytes.
ParsedHistory parseHistoryBytes(std::string_view bytes, std::int32_t newestNextPeriod);

// A line as the backup and the text export write it: "16090852 05 03 08 01 11 " (no line end).
std::string historyTextLine(int period, const PositionValues& numbers);
// Appends the line and CR LF to out.
void appendHistoryTextLine(std::string& out, int period, const PositionValues& numbers);

} // namespace history
