#include "history/text_format.h"

#include "history/period.h"
#include "platform/text_decoding.h"

#include <unicode/uchar.h>

#include <algorithm>

namespace history {

namespace {

// A digit of another script or width that folding does not turn into 0-9.
bool isOtherDigit(char32_t c) {
    return c > 0x7f && u_isdigit(static_cast<UChar32>(c));
}

bool isDigit(char32_t c) {
    return c >= U'0' && c <= U'9';
}

int digitValue(char32_t c) {
    return static_cast<int>(c - U'0');
}

// The number formed by text: digits, at most one decimal point, then only blanks. The first
// character is known to be a digit. A fraction rounds half to even, as a conversion to an
// integer does.
bool numericValue(std::u32string_view text, std::int64_t& value) {
    size_t end = text.size();
    while (end > 0 && text[end - 1] == U' ') --end;
    text = text.substr(0, end);
    const size_t point = text.find(U'.');
    const auto whole = text.substr(0, point);
    const auto fraction =
        point == std::u32string_view::npos ? std::u32string_view() : text.substr(point + 1);
    value = 0;
    for (char32_t c : whole) {
        if (!isDigit(c)) return false;
        value = value * 10 + digitValue(c);
    }
    bool beyondHalf = false;
    for (size_t i = 0; i < fraction.size(); ++i) {
        if (!isDigit(fraction[i])) return false;
        if (i > 0 && fraction[i] != U'0') beyondHalf = true;
    }
    if (!fraction.empty()) {
        const int first = digitValue(fraction[0]);
        if (first > 5 || (first == 5 && (beyondHalf || value % 2 == 1))) ++value;
    }
    return true;
}

std::string quoted(int number) {
    return "“" + format00(number) + "”";
}

// Why the line's numbers cannot be stored, or empty when they can.
std::string problemWith(const LineFields& fields) {
    if (fields.id <= 0 || fields.id > 99999999)
        return "期号" + std::to_string(fields.id) + "无效：期号须为1到99999999（年月日加当天期数）";
    // Provinces number their days differently, but none has a draw 00.
    if (fields.id % 100 == 0)
        return "期号" + eightDigit(static_cast<int>(fields.id)) +
               "的当天期数是00：每天的期数从01开始";
    if (fields.count < kPositions) {
        if (fields.count == 0) return "没有读到号码：号码须写成两位数（如05），用空格隔开";
        return "只读到" + std::to_string(fields.count) +
               "个号码，需要5个：号码须写成两位数（如05），用空格隔开";
    }
    for (int i = 0; i < kPositions; ++i) {
        const int n = fields.numbers[i];
        if (n < 1 || n > 11) return "号码" + quoted(n) + "不在01到11之间";
        for (int j = 0; j < i; ++j)
            if (fields.numbers[j] == n) return "号码" + quoted(n) + "重复出现";
    }
    return {};
}

} // namespace

std::vector<std::u32string_view> splitLines(std::u32string_view text) {
    std::vector<std::u32string_view> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char32_t c = text[i];
        if (c != U'\r' && c != U'\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (c == U'\r' && i + 1 < text.size() && text[i + 1] == U'\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

std::u32string_view trimBlanks(std::u32string_view line) {
    const size_t first = line.find_first_not_of(U' ');
    if (first == std::u32string_view::npos) return {};
    const size_t last = line.find_last_not_of(U' ');
    return line.substr(first, last - first + 1);
}

LineFields readLine(std::u32string_view line, std::int64_t previousId) {
    LineFields fields;
    for (char32_t c : line) {
        if (isDigit(c)) {
            fields.hasDigit = true;
            break;
        }
    }
    if (!fields.hasDigit) return fields;

    size_t scan = 0;
    bool tenDigits = line.size() >= 10 && (line.size() == 10 || !isDigit(line[10]));
    for (size_t i = 0; tenDigits && i < 10; ++i) tenDigits = isDigit(line[i]);
    std::int64_t value = 0;
    if (tenDigits) {
        fields.hasId = true;
        for (size_t i = 2; i < 10; ++i) value = value * 10 + digitValue(line[i]);
        fields.id = value;
        scan = 11;
    } else if (line.size() >= 6 && isDigit(line[0]) && isDigit(line[5]) &&
               numericValue(line.substr(0, 8), value)) {
        fields.hasId = true;
        fields.id = value;
        scan = 9;
    } else {
        fields.id = previousId + 1;
    }

    for (size_t i = scan; i + 1 < line.size();) {
        if (isDigit(line[i]) && isDigit(line[i + 1])) {
            if (fields.count < kPositions)
                fields.numbers[fields.count++] = digitValue(line[i]) * 10 + digitValue(line[i + 1]);
            i += 2;
        } else {
            ++i;
        }
    }
    return fields;
}

std::u32string foldWidth(std::u32string_view text) {
    std::u32string folded(text);
    for (char32_t& c : folded) {
        if (c >= 0xff01 && c <= 0xff5e)
            c -= 0xff01 - 0x21; // full-width forms of ASCII
        else if (c == 0x3000)
            c = U' '; // the ideographic space
    }
    return folded;
}

namespace {

// Reads the lines of a file one after another into a ParsedHistory.
class HistoryReader {
  public:
    explicit HistoryReader(std::int32_t newestNextPeriod) : previousId_(newestNextPeriod) {}

    // One line without its line end, folded by foldWidth.
    void take(std::u32string_view folded) {
        ++number_;
        const auto line = trimBlanks(folded);
        const LineFields fields = readLine(line, previousId_);
        if (!fields.hasDigit) {
            // A line of digits this format cannot read is told, not taken for a header.
            if (std::find_if(line.begin(), line.end(), isOtherDigit) != line.end())
                report("含有无法识别的数字，请改用0到9的数字");
            return;
        }
        previousId_ = fields.id;
        if (std::string problem = problemWith(fields); !problem.empty()) {
            report(std::move(problem));
            return;
        }
        parsed_.draws.push_back({number_, static_cast<int>(fields.id), fields.numbers});
    }

    // A line too long to be a draw, passed over unread (it still counts as a line).
    void tooLong() {
        ++number_;
        report("这一行超过" + std::to_string(kMaxLineCharacters) + "个字符，不是开奖号码");
    }

    ParsedHistory finish() { return std::move(parsed_); }

  private:
    void report(std::string reason) {
        if (parsed_.reported.size() < kMaxReportedLines)
            parsed_.reported.push_back({number_, std::move(reason)});
        else
            ++parsed_.unreported;
    }

    ParsedHistory parsed_;
    std::int64_t previousId_;
    int number_ = 0;
};

} // namespace

ParsedHistory parseHistoryText(std::u32string_view original, std::int32_t newestNextPeriod) {
    HistoryReader reader(newestNextPeriod);
    for (const auto raw : splitLines(original)) {
        if (raw.size() > kMaxLineCharacters)
            reader.tooLong();
        else
            reader.take(foldWidth(raw));
    }
    return reader.finish();
}

ParsedHistory parseHistoryBytes(std::string_view bytes, std::int32_t newestNextPeriod) {
    const platform::TextEncoding encoding = platform::detectEncoding(bytes);
    // UTF-16 has line ends of two bytes; such files are read whole.
    if (encoding == platform::TextEncoding::Utf16WithBom)
        return parseHistoryText(platform::decodeText(bytes).text, newestNextPeriod);
    if (encoding == platform::TextEncoding::Utf8WithBom) bytes.remove_prefix(3);
    HistoryReader reader(newestNextPeriod);
    // Line ends are single bytes that no UTF-8 or GB18030 character contains.
    size_t start = 0;
    const auto line = [&](size_t end) {
        const std::string_view raw = bytes.substr(start, end - start);
        // No character takes fewer than one byte: a line of fewer bytes is short enough.
        if (raw.size() > kMaxLineCharacters * 4)
            reader.tooLong();
        else if (const auto text = platform::decodeAs(raw, encoding);
                 text.size() > kMaxLineCharacters)
            reader.tooLong();
        else
            reader.take(foldWidth(text));
    };
    for (size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n') continue;
        line(i);
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < bytes.size()) line(bytes.size());
    return reader.finish();
}

void appendHistoryTextLine(std::string& out, int period, const PositionValues& numbers) {
    out += eightDigit(period);
    out += ' ';
    for (int n : numbers) {
        out += format00(n);
        out += ' ';
    }
    out += "\r\n";
}

std::string historyTextLine(int period, const PositionValues& numbers) {
    std::string line;
    appendHistoryTextLine(line, period, numbers);
    line.resize(line.size() - 2);
    return line;
}

std::string drawProblem(const LineFields& fields) {
    return problemWith(fields);
}

} // namespace history
