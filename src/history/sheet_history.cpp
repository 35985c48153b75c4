#include "history/sheet_history.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <climits>
#include <cmath>
#include <filesystem>
#include <unordered_set>

namespace history {

namespace {

using platform::SheetCell;
using platform::SheetRow;

// How much of a cell a report quotes.
constexpr size_t kQuotedChars = 24;

// The cell's text with full-width forms and the ideographic space read as ASCII (what a Chinese
// input method types in full-width mode), without blanks around it.
std::string plainText(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size(); ++i) {
        const auto b = [&](size_t k) { return static_cast<unsigned char>(utf8[k]); };
        if (i + 2 < utf8.size() && b(i) == 0xEF && (b(i + 1) == 0xBC || b(i + 1) == 0xBD)) {
            // U+FF01..U+FF5E are EF BC 81..EF BD 9E.
            const unsigned code = ((b(i + 1) & 0x3F) << 6 | (b(i + 2) & 0x3F)) + 0xF000;
            if (code >= 0xFF01 && code <= 0xFF5E) {
                out += static_cast<char>(code - 0xFF01 + 0x21);
                i += 2;
                continue;
            }
        }
        if (i + 2 < utf8.size() && b(i) == 0xE3 && b(i + 1) == 0x80 && b(i + 2) == 0x80) {
            out += ' '; // U+3000
            i += 2;
            continue;
        }
        if (i + 1 < utf8.size() && b(i) == 0xC2 && b(i + 1) == 0xA0) {
            out += ' '; // no-break space
            ++i;
            continue;
        }
        out += utf8[i];
    }
    const size_t first = out.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return out.substr(first, out.find_last_not_of(" \t\r\n") - first + 1);
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool allDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), isDigit);
}

bool hasDigit(const SheetCell& cell) {
    return cell.kind == SheetCell::Kind::Number ||
           std::any_of(cell.text.begin(), cell.text.end(), isDigit);
}

// Words rather than a mistyped id: letters or any character beyond ASCII (a title such as
// "2016年开奖记录").
bool holdsWords(const SheetCell& cell) {
    return cell.kind == SheetCell::Kind::Text &&
           std::any_of(cell.text.begin(), cell.text.end(), [](char c) {
               return static_cast<unsigned char>(c) >= 0x80 ||
                      std::isalpha(static_cast<unsigned char>(c));
           });
}

std::int64_t digitsValue(std::string_view digits) {
    std::int64_t value = 0;
    for (char c : digits) value = value * 10 + (c - '0');
    return value;
}

// A whole number held by a number cell.
std::optional<std::int64_t> wholeNumber(const SheetCell& cell) {
    if (cell.kind != SheetCell::Kind::Number || !std::isfinite(cell.number) ||
        cell.number != std::floor(cell.number) || std::fabs(cell.number) > 1e15)
        return std::nullopt;
    return static_cast<std::int64_t>(cell.number);
}

// The period id a cell holds, read as the text import reads ids: of ten digits the last eight.
std::optional<std::int64_t> periodIn(const SheetCell& cell) {
    if (const auto number = wholeNumber(cell)) {
        // A number has lost the leading zero of 2000..2009 (09090852 is 9090852).
        if (*number >= 1'000'000 && *number <= 99'999'999) return *number;
        if (*number >= 1'000'000'000 && *number <= 9'999'999'999) return *number % 100'000'000;
        return std::nullopt;
    }
    if (cell.kind != SheetCell::Kind::Text) return std::nullopt;
    std::string text = plainText(cell.text);
    const std::string_view before = "第", after = "期";
    if (text.rfind(before, 0) == 0) text.erase(0, before.size());
    if (text.size() >= after.size() &&
        text.compare(text.size() - after.size(), after.size(), after) == 0)
        text.resize(text.size() - after.size());
    text = plainText(text);
    if (allDigits(text) && text.size() == 10) return digitsValue(text.substr(2));
    if (allDigits(text) && text.size() == 8) return digitsValue(text);
    // yyyymmdd-NN
    if (text.size() == 11 && text[8] == '-' && allDigits(text.substr(0, 8)) &&
        allDigits(text.substr(9)))
        return digitsValue(text.substr(2, 6)) * 100 + digitsValue(text.substr(9));
    return std::nullopt;
}

// An id of a real day (yymmdd) and a draw number of at least 01: what a column of periods holds,
// unlike a column of sums or of dates written yyyymmdd.
bool plausiblePeriod(std::int64_t id) {
    using namespace std::chrono;
    if (id <= 0 || id > 99'999'999 || id % 100 == 0) return false;
    const year_month_day day{year{2000 + static_cast<int>(id / 1'000'000)},
                             month{static_cast<unsigned>(id / 10'000 % 100)},
                             std::chrono::day{static_cast<unsigned>(id / 100 % 100)}};
    return day.ok();
}

// The one number a cell holds: a whole number cell, or a text of one or two digits.
std::optional<int> numberIn(const SheetCell& cell) {
    if (const auto number = wholeNumber(cell)) {
        if (*number >= 0 && *number <= 99) return static_cast<int>(*number);
        return std::nullopt;
    }
    const std::string text = plainText(cell.text);
    if (allDigits(text) && text.size() <= 2) return static_cast<int>(digitsValue(text));
    return std::nullopt;
}

// The numbers a text cell holds, each of one or two digits between other characters; -1 when it
// holds a longer run of digits (an id, a date) or is a number cell.
int numbersIn(const SheetCell& cell, Numbers& numbers) {
    if (cell.kind != SheetCell::Kind::Text) return -1;
    const std::string text = plainText(cell.text);
    int count = 0;
    for (size_t i = 0; i < text.size();) {
        if (!isDigit(text[i])) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < text.size() && isDigit(text[end])) ++end;
        if (end - i > 2) return -1;
        if (count < kPositions)
            numbers[count] = static_cast<int>(digitsValue(text.substr(i, end - i)));
        ++count;
        i = end;
    }
    return count;
}

bool isDraw(const Numbers& numbers) {
    for (int i = 0; i < kPositions; ++i) {
        if (numbers[i] < 1 || numbers[i] > 11) return false;
        for (int j = 0; j < i; ++j)
            if (numbers[j] == numbers[i]) return false;
    }
    return true;
}

const SheetCell& cellAt(const SheetRow& row, size_t column) {
    static const SheetCell empty;
    return column < row.cells.size() ? row.cells[column] : empty;
}

std::string quoted(const SheetCell& cell) {
    std::string text = plainText(cell.text);
    if (text.size() > kQuotedChars) {
        size_t cut = kQuotedChars;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
        text = text.substr(0, cut) + "…";
    }
    return "“" + text + "”";
}

// "A", "B", ... "AA" for column 0, 1, ... 26.
std::string columnName(size_t column) {
    std::string name;
    for (size_t n = column + 1; n > 0; n = (n - 1) / 26)
        name.insert(name.begin(), static_cast<char>('A' + (n - 1) % 26));
    return name;
}

// The five numbers of a row under the layout, or why they cannot be read.
struct RowNumbers {
    Numbers numbers{};
    bool any = false;    // some cell of the numbers reads as a number
    std::string problem; // empty when all five were read
};

RowNumbers numbersOf(const SheetRow& row, const SheetLayout& layout) {
    RowNumbers result;
    if (!layout.fiveColumns) {
        const SheetCell& cell = cellAt(row, layout.numbersColumn);
        const int count = numbersIn(cell, result.numbers);
        result.any = count > 0;
        if (cell.kind == SheetCell::Kind::Empty)
            result.problem = "号码是空的";
        else if (count != kPositions)
            result.problem = "号码" + quoted(cell) +
                             "不是五个号码：须为两位数并用空格或逗号隔开，" + "如“03 07 01 11 05”";
        return result;
    }
    for (int k = 0; k < kPositions; ++k) {
        const SheetCell& cell = cellAt(row, layout.numbersColumn + k);
        const auto number = numberIn(cell);
        if (number) {
            result.numbers[k] = *number;
            result.any = true;
        } else if (result.problem.empty()) {
            const std::string which = "第" + std::to_string(k + 1) + "码（" +
                                      columnName(layout.numbersColumn + k) + "列）";
            result.problem = cell.kind == SheetCell::Kind::Empty
                                 ? which + "是空的"
                                 : which + quoted(cell) + "不是号码";
        }
    }
    return result;
}

std::string layoutHint() {
    return "需要一列期号（如2016090852、16090852或20160908-52）和开奖号码：一列写成“03 07 01 11 "
           "05”的五个号码，或相邻五列各一个号码（01到11）";
}

} // namespace

std::optional<SheetLayout> findSheetLayout(const std::vector<SheetRow>& rows) {
    size_t width = 0;
    for (const auto& row : rows) width = std::max(width, row.cells.size());
    if (width == 0) return std::nullopt;

    // The period column: the most different ids of real days. A column of dates repeats its
    // day on every draw of the day, so it loses to the periods even where a date reads as an id.
    std::vector<std::unordered_set<std::int64_t>> ids(width);
    for (const auto& row : rows)
        for (size_t c = 0; c < row.cells.size(); ++c)
            if (const auto id = periodIn(row.cells[c]); id && plausiblePeriod(*id))
                ids[c].insert(*id);
    size_t period = 0;
    for (size_t c = 1; c < width; ++c)
        if (ids[c].size() > ids[period].size()) period = c;
    if (ids[period].empty()) return std::nullopt;

    // The numbers: the text column or the five adjacent columns that give the most draws.
    std::vector<size_t> textDraws(width), fiveDraws(width);
    for (const auto& row : rows) {
        std::vector<std::optional<int>> single(row.cells.size());
        for (size_t c = 0; c < row.cells.size(); ++c) {
            single[c] = numberIn(row.cells[c]);
            Numbers numbers{};
            if (c != period && numbersIn(row.cells[c], numbers) == kPositions && isDraw(numbers))
                ++textDraws[c];
        }
        for (size_t first = 0; first + kPositions <= row.cells.size(); ++first) {
            if (period >= first && period < first + kPositions) continue;
            Numbers numbers{};
            bool all = true;
            for (int k = 0; k < kPositions && all; ++k) {
                all = single[first + k].has_value();
                if (all) numbers[k] = *single[first + k];
            }
            if (all && isDraw(numbers)) ++fiveDraws[first];
        }
    }
    const auto bestText = std::max_element(textDraws.begin(), textDraws.end());
    const auto bestFive = std::max_element(fiveDraws.begin(), fiveDraws.end());
    if (*bestText == 0 && *bestFive == 0) return std::nullopt;
    SheetLayout layout;
    layout.periodColumn = period;
    layout.fiveColumns = *bestFive > *bestText;
    layout.numbersColumn = static_cast<size_t>(layout.fiveColumns ? bestFive - fiveDraws.begin()
                                                                  : bestText - textDraws.begin());
    return layout;
}

bool SheetDrawReader::add(const SheetRow& row) {
    if (noLayout_ || tooLong_) return false;
    if (++rows_ > kRowLimit) {
        tooLong_ = true;
        return false;
    }
    if (layout_) {
        read(row);
        return true;
    }
    sample_.push_back(row);
    if (sample_.size() < kSampleRows) return true;
    layout_ = findSheetLayout(sample_);
    if (!layout_) {
        noLayout_ = true;
        return false;
    }
    for (const auto& kept : sample_) read(kept);
    sample_ = {};
    return true;
}

void SheetDrawReader::read(const SheetRow& row) {
    const SheetLayout& layout = *layout_;
    const SheetCell& periodCell = cellAt(row, layout.periodColumn);
    const auto id = periodIn(periodCell);
    const RowNumbers numbers = numbersOf(row, layout);
    if (!id) {
        // Headings, titles, notes and rows left empty are passed over, as the text import passes
        // over lines without digits.
        if (!numbers.any && (!hasDigit(periodCell) || holdsWords(periodCell))) return;
        parsed_.reported.push_back(
            {row.number, periodCell.kind == SheetCell::Kind::Empty
                             ? "没有期号（" + columnName(layout.periodColumn) + "列是空的）"
                             : "期号" + quoted(periodCell) +
                                   "无法识别：须为十位（如2016090852）、八位（如16090852）或年月日"
                                   "-期数（如20160908-52）"});
        return;
    }
    if (!numbers.problem.empty()) {
        parsed_.reported.push_back({row.number, numbers.problem});
        return;
    }
    LineFields fields;
    fields.hasDigit = true;
    fields.hasId = true;
    fields.id = *id;
    fields.numbers = numbers.numbers;
    fields.count = kPositions;
    if (std::string problem = drawProblem(fields); !problem.empty()) {
        parsed_.reported.push_back({row.number, std::move(problem)});
        return;
    }
    parsed_.draws.push_back({row.number, static_cast<int>(*id), numbers.numbers});
}

ParsedHistory SheetDrawReader::finish() {
    if (tooLong_)
        throw SheetLayoutError("超过" + std::to_string(kRowLimit) +
                               "行，不像是历史号码表格，没有读入");
    if (!layout_ && !noLayout_) {
        layout_ = findSheetLayout(sample_);
        if (layout_) {
            for (const auto& kept : sample_) read(kept);
        } else {
            noLayout_ = true;
        }
    }
    if (noLayout_) {
        const bool empty = sample_.empty();
        throw SheetLayoutError(empty ? "是空的，没有可以读入的开奖号码"
                                     : "中找不到开奖号码所在的列：" + layoutHint());
    }
    // The history is kept by period; a sheet may list the newest draw first.
    std::stable_sort(parsed_.draws.begin(), parsed_.draws.end(),
                     [](const ParsedDraw& a, const ParsedDraw& b) { return a.period < b.period; });
    return std::move(parsed_);
}

std::optional<ParsedHistory> readSheetHistory(const std::string& path, Progress& progress) {
    // Reading is told in the file's bytes, whatever the reader counts in (rows, or the bytes of
    // the unpacked worksheet).
    std::error_code error;
    const auto bytes = std::filesystem::file_size(path, error);
    const size_t steps = error ? 0 : static_cast<size_t>(std::min<std::uintmax_t>(bytes, INT_MAX));
    progress.setTotal(steps);
    SheetDrawReader reader;
    const bool read = platform::readSheet(
        path, [&reader](const SheetRow& row) { return reader.add(row); },
        [&progress, steps](size_t done, size_t total) {
            const double part = total ? std::min(1.0, static_cast<double>(done) / total) : 0;
            return progress.advance(static_cast<size_t>(part * steps));
        });
    if (!read) return std::nullopt;
    return reader.finish();
}

bool isSheetFileName(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".csv" || extension == ".xls" || extension == ".xlsx";
}

} // namespace history
