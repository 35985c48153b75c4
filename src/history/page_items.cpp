#include "history/page_items.h"

#include <algorithm>

namespace history::page_text {

// A number of a row's run of numbers: one of the five, a draw number, or a chart's figure.
bool isNumber(const Item& item) {
    return item.kind == Kind::Small || (item.kind == Kind::ShortId && item.plain);
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool allDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), isDigit);
}

int toInt(std::string_view digits) {
    int value = 0;
    for (char c : digits) value = value * 10 + (c - '0');
    return value;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

// Every occurrence of from replaced by a blank.
std::string blanked(const std::string& text, std::string_view from) {
    std::string out;
    out.reserve(text.size());
    size_t at = 0;
    for (size_t found = text.find(from); found != std::string::npos; found = text.find(from, at)) {
        out.append(text, at, found - at);
        out.push_back(' ');
        at = found + from.size();
    }
    out.append(text, at);
    return out;
}

// How long a text of five numbers, or of a placeholder, may be: a cell of a page may hold
// megabytes, which are neither.
constexpr size_t kMaxShortText = 120;

// yymmdd of a real day, -1 when the digits name none (a date such as 20260908 read as yymmddNN
// names month 26).
int dayOf(std::string_view yymmdd) {
    using namespace std::chrono;
    const int value = toInt(yymmdd);
    const year_month_day date{year{2000 + value / 10000},
                              month{static_cast<unsigned>(value / 100 % 100)},
                              day{static_cast<unsigned>(value % 100)}};
    return date.ok() ? value : -1;
}

// A period id that names its day: yymmddNN, yyyymmddNN, yymmddNNN, yyyymmddNNN, or the day and
// the draw number joined by "-". The year's century must be 20.
bool readId(std::string_view text, Item& item) {
    std::string_view date = text, draw;
    if (const size_t dash = text.find('-'); dash != std::string_view::npos) {
        date = text.substr(0, dash);
        draw = text.substr(dash + 1);
        if ((date.size() != 6 && date.size() != 8) || draw.size() < 2 || draw.size() > 3 ||
            !allDigits(date) || !allDigits(draw))
            return false;
    } else {
        if (!allDigits(text) || text.size() < 8 || text.size() > 11) return false;
        const size_t drawLength = text.size() % 2 == 0 ? 2 : 3;
        date = text.substr(0, text.size() - drawLength);
        draw = text.substr(text.size() - drawLength);
    }
    if (date.size() == 8) {
        if (date.substr(0, 2) != "20") return false;
        date.remove_prefix(2);
    }
    const int day = dayOf(date);
    if (day < 0) return false;
    item.kind = Kind::Id;
    item.day = day;
    item.value = toInt(draw);
    return true;
}

// Five numbers of one or two digits, apart by blanks, commas ("," "，"), "、" or "+".
bool readFive(std::string text, Numbers& numbers) {
    if (text.size() > kMaxShortText) return false;
    for (std::string_view separator : {"，", "、", ",", "+", "|"}) text = blanked(text, separator);
    int count = 0;
    size_t at = 0;
    while (at < text.size()) {
        if (text[at] == ' ') {
            ++at;
            continue;
        }
        size_t end = at;
        while (end < text.size() && text[end] != ' ') ++end;
        const std::string_view token(text.data() + at, end - at);
        if (token.size() > 2 || !allDigits(token) || count == kPositions) return false;
        numbers[count++] = toInt(token);
        at = end;
    }
    return count == kPositions;
}

// Marks of a draw not made yet: dashes, stars, question marks, dots, or words saying so.
bool isPlaceholder(std::string text) {
    if (text.size() > kMaxShortText) return false;
    for (std::string_view mark :
         {"等待开奖", "待开奖", "未开奖", "开奖中", "—", "－", "？", "…", "-", "*", "?", ".", "_"})
        text = blanked(text, mark);
    return trimmed(text).empty();
}

// The text with "第" before and "期" after it taken off; marked tells whether there were any.
std::string_view undecorated(std::string_view text, bool& marked) {
    constexpr std::string_view kOrdinal = "第", kPeriod = "期";
    marked = false;
    text = trimmed(text);
    if (text.substr(0, kOrdinal.size()) == kOrdinal) {
        text = trimmed(text.substr(kOrdinal.size()));
        marked = true;
    }
    if (text.size() >= kPeriod.size() && text.substr(text.size() - kPeriod.size()) == kPeriod) {
        text = trimmed(text.substr(0, text.size() - kPeriod.size()));
        marked = true;
    }
    return text;
}

// A time of day (9:10, 09:10, 23:00:00).
bool isTime(std::string_view text) {
    const size_t colon = text.find(':');
    if ((colon != 1 && colon != 2) || !allDigits(text.substr(0, colon))) return false;
    for (size_t at = colon; at < text.size(); at += 3)
        if (text.size() < at + 3 || text[at] != ':' || !allDigits(text.substr(at + 1, 2)))
            return false;
    return text.size() <= colon + 6;
}

// A date: 2016-09-08, 2016/9/8, 2016.09.08, 09-08, 2016年9月8日.
bool isDate(std::string_view text) {
    constexpr std::string_view kDay = "日";
    if (text.size() > kDay.size() && text.substr(text.size() - kDay.size()) == kDay)
        text.remove_suffix(kDay.size());
    std::vector<std::string_view> parts;
    for (size_t at = 0;;) {
        size_t end = at;
        while (end < text.size() && isDigit(text[end])) ++end;
        parts.push_back(text.substr(at, end - at));
        if (end == text.size()) break;
        size_t separator = 0;
        if (text[end] == '-' || text[end] == '/' || text[end] == '.')
            separator = 1;
        else
            for (std::string_view word : {"年", "月"})
                if (text.compare(end, word.size(), word) == 0) separator = word.size();
        if (separator == 0) return false;
        at = end + separator;
    }
    const auto shortPart = [](std::string_view part) { return !part.empty() && part.size() <= 2; };
    if (parts.size() == 3)
        return parts[0].size() == 4 && shortPart(parts[1]) && shortPart(parts[2]);
    return parts.size() == 2 && shortPart(parts[0]) && shortPart(parts[1]);
}

// The text without the times and dates it holds ("20210718084 23:00:00" is "20210718084");
// dated tells whether there were any, timed whether a time was among them.
std::string undated(const std::string& text, bool& dated, bool& timed) {
    dated = timed = false;
    std::string rest;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find(' ', at);
        if (end == std::string::npos) end = text.size();
        const std::string_view word(text.data() + at, end - at);
        if (!word.empty()) {
            if (isTime(word))
                dated = timed = true;
            else if (isDate(word))
                dated = true;
            else
                rest += (rest.empty() ? "" : " ") + std::string(word);
        }
        at = end + 1;
    }
    return rest;
}

// The items of one cell's text: usually one; two when the cell holds an id and its numbers. The
// id may share its cell with the draw's time or date.
void readCellText(const std::string& text, std::vector<Item>& items) {
    if (text.empty()) return; // a spacer
    Item item;
    item.text = text;
    bool marked = false;
    const std::string_view core = undecorated(text, marked);
    if (readId(core, item)) {
        items.push_back(item);
        return;
    }
    if (allDigits(core) && core.size() <= 3) {
        item.kind = core.size() <= 2 && !marked ? Kind::Small : Kind::ShortId;
        item.plain = !marked;
        item.value = toInt(core);
        items.push_back(item);
        return;
    }
    if (readFive(text, item.numbers)) {
        item.kind = Kind::Numbers;
        items.push_back(item);
        return;
    }
    if (isPlaceholder(text)) {
        item.kind = Kind::Placeholder;
        items.push_back(item);
        return;
    }
    // An id beside a time or a date; a draw number alone beside the draw's time (a number beside
    // a date may be a ratio or a count).
    bool dated = false, timed = false;
    const std::string rest = text.size() <= kMaxShortText ? undated(text, dated, timed) : text;
    if (dated) {
        Item id;
        id.text = rest;
        const std::string_view idCore = undecorated(rest, marked);
        if (readId(idCore, id)) {
            items.push_back(id);
            return;
        }
        if (timed && allDigits(idCore) && idCore.size() <= 3) {
            id.kind = Kind::ShortId;
            id.value = toInt(idCore);
            items.push_back(id);
            return;
        }
    }
    // An id and the numbers in one text (and its time or date).
    const std::string& idAndNumbers = dated ? rest : text;
    if (const size_t blank = idAndNumbers.find(' '); blank != std::string::npos) {
        Item id, numbers;
        const std::string_view first =
            undecorated(std::string_view(idAndNumbers).substr(0, blank), marked);
        const bool shortId = marked && allDigits(first) && first.size() <= 3;
        if (shortId) {
            id.kind = Kind::ShortId;
            id.value = toInt(first);
        }
        if ((shortId || readId(first, id)) &&
            readFive(idAndNumbers.substr(blank + 1), numbers.numbers)) {
            id.text = idAndNumbers.substr(0, blank);
            numbers.kind = Kind::Numbers;
            items.push_back(id);
            items.push_back(numbers);
            return;
        }
    }
    items.push_back(item); // Other
}

// An attribute counts only as a whole id (naming its day) or as five numbers.
void readAttribute(const std::string& value, std::vector<Item>& items) {
    Item item;
    item.text = value;
    bool marked = false;
    if (readId(undecorated(value, marked), item)) {
        items.push_back(item);
    } else if (readFive(value, item.numbers)) {
        item.kind = Kind::Numbers;
        items.push_back(item);
    }
}

} // namespace history::page_text
