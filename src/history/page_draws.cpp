#include "history/page_draws.h"

#include "history/game_record.h"
#include "history/period.h"

#include <algorithm>
#include <map>

namespace history {

namespace {

// What a cell's text (or an attribute's value) is to the reading of a row.
enum class Kind {
    Id,          // a period id that names its day
    ShortId,     // the draw number alone, marked as one ("第05期", "005")
    Small,       // a number of one or two digits: a draw number or one of the five numbers
    Numbers,     // five numbers
    Placeholder, // the numbers of a draw not made yet ("--", "待开奖")
    Other,       // anything else: a time, a date, a sum, a heading
};

struct Item {
    Kind kind = Kind::Other;
    std::string text;
    int day = -1; // yymmdd of an Id
    int value = 0;
    Numbers numbers{};
};

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

// The items of one cell's text: usually one; two when the cell holds an id and its numbers.
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
    // An id and the numbers in one text.
    if (const size_t blank = text.find(' '); blank != std::string::npos) {
        Item id, numbers;
        const std::string_view first = undecorated(std::string_view(text).substr(0, blank), marked);
        const bool shortId = marked && allDigits(first) && first.size() <= 3;
        if (shortId) {
            id.kind = Kind::ShortId;
            id.value = toInt(first);
        }
        if ((shortId || readId(first, id)) && readFive(text.substr(blank + 1), numbers.numbers)) {
            id.text = text.substr(0, blank);
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

bool contains(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

// A heading row names the period column and the numbers column.
bool isHeading(const platform::PageRow& row) {
    bool period = false, numbers = false;
    for (const auto& cell : row.cells) {
        period = period || contains(cell.text, "期号") || contains(cell.text, "期次") ||
                 contains(cell.text, "期数") || contains(cell.text, "期别");
        numbers = numbers || contains(cell.text, "号码");
    }
    return period && numbers;
}

// A text that may hold a draw's numbers in a form not read (run together, four or six of them):
// five digits or more, and not a date or a time.
bool looksLikeNumbers(const std::string& text) {
    const auto digits = std::count_if(text.begin(), text.end(), isDigit);
    return digits >= kPositions && text.find_first_of(":-/") == std::string::npos &&
           !contains(text, "年") && !contains(text, "月");
}

bool soundGroup(const std::vector<Item>& items, size_t at) {
    if (items[at].value < 1) return false;
    unsigned seen = 0;
    for (size_t k = at + 1; k <= at + kPositions; ++k) {
        const int n = items[k].value;
        if (n < 1 || n > 11 || (seen & (1u << n))) return false;
        seen |= 1u << n;
    }
    return true;
}

// A run of cells of one number each: draw numbers alone, each followed by five numbers, in
// groups of six. Cells the groups leave over (a row's serial number before them, a sum after
// them) stand where the most groups read as sound draws. When two places read as well, which
// is meant is not known: nothing is read (false), rather than a draw made up.
bool readNumberCells(const std::vector<Item>& items, size_t from, size_t to, PageDraws& page) {
    constexpr size_t kGroup = 1 + kPositions;
    const size_t extra = (to - from) % kGroup;
    size_t best = 0, bestSound = 0, ties = 0;
    for (size_t offset = 0; offset <= extra; ++offset) {
        size_t sound = 0;
        for (size_t at = from + offset; at + kGroup <= to; at += kGroup)
            sound += soundGroup(items, at) ? 1 : 0;
        if (sound > bestSound) {
            best = offset;
            bestSound = sound;
            ties = 0;
        } else if (sound == bestSound) {
            ++ties;
        }
    }
    if (ties > 0) return false;
    for (size_t at = from + best; at + kGroup <= to; at += kGroup) {
        PageDraw draw{items[at].text, -1, items[at].value, {}};
        for (int k = 0; k < kPositions; ++k) draw.numbers[k] = items[at + 1 + k].value;
        page.draws.push_back(draw);
    }
    return true;
}

// How many other texts may stand between an id and its numbers.
constexpr size_t kMaxBetween = 4;

// Groups the items of one row into draws and slots.
void readRow(const std::vector<Item>& items, bool flow, PageDraws& page) {
    const size_t n = items.size();
    auto fiveSmallAt = [&](size_t at) {
        if (at + kPositions > n) return false;
        for (size_t k = at; k < at + kPositions; ++k)
            if (items[k].kind != Kind::Small) return false;
        return true;
    };
    for (size_t i = 0; i < n;) {
        const Item& item = items[i];
        // Text outside tables has no cells to tell a draw number alone from a number: there,
        // only ids that say they are ids count.
        if (item.kind == Kind::Small && !flow) {
            size_t run = i;
            while (run < n && items[run].kind == Kind::Small) ++run;
            if (run - i >= 1 + kPositions) {
                if (!readNumberCells(items, i, run, page)) ++page.unread;
                i = run;
                continue;
            }
        }
        bool isId = item.kind == Kind::Id || item.kind == Kind::ShortId;
        // A number alone is a draw number when the numbers (or their placeholder) follow it.
        if (item.kind == Kind::Small && !flow && i + 1 < n)
            isId = items[i + 1].kind == Kind::Numbers || items[i + 1].kind == Kind::Placeholder;
        if (!isId) {
            ++i;
            continue;
        }
        PageDraw draw{item.text, item.kind == Kind::Id ? item.day : -1, item.value, {}};
        // A time, a date, a weekday between them; not more: text outside tables is one row.
        size_t at = i + 1;
        while (at < n && at <= i + kMaxBetween && items[at].kind == Kind::Other) ++at;
        if (at < n && items[at].kind == Kind::Numbers) {
            draw.numbers = items[at].numbers;
            page.draws.push_back(draw);
            i = at + 1;
        } else if (fiveSmallAt(at)) {
            for (int k = 0; k < kPositions; ++k) draw.numbers[k] = items[at + k].value;
            page.draws.push_back(draw);
            i = at + kPositions;
        } else {
            const bool unreadable = std::any_of(
                items.begin() + static_cast<long>(i) + 1, items.begin() + static_cast<long>(at),
                [](const Item& other) { return looksLikeNumbers(other.text); });
            // Text outside tables holds too much else to tell numbers not understood.
            ++(unreadable && !flow ? page.unread : page.unmade);
            i = at;
            while (i < n && items[i].kind == Kind::Placeholder) ++i;
        }
    }
}

std::string eightDigits(int period) {
    std::string text = std::to_string(period);
    if (text.size() < 8) text.insert(0, 8 - text.size(), '0');
    return text;
}

// Digits at text[at], at most maxDigits of them, as a number; the count read goes to length.
int digitsAt(const std::string& text, size_t at, size_t maxDigits, size_t& length) {
    length = 0;
    int value = 0;
    while (at + length < text.size() && length < maxDigits && isDigit(text[at + length]))
        value = value * 10 + (text[at + length++] - '0');
    return value;
}

// The length of a date separator at text[at] ("-", "/", ".", or the given word), 0 if none.
size_t separatorAt(const std::string& text, size_t at, std::string_view word) {
    if (at >= text.size()) return 0;
    if (text[at] == '-' || text[at] == '/' || text[at] == '.') return 1;
    return text.compare(at, word.size(), word) == 0 ? word.size() : 0;
}

// The days a text names: a year 20yy, a month and a day, apart by "-", "/", "." or 年 and 月.
void collectDates(const std::string& text, std::set<int>& dates) {
    for (size_t at = text.find("20"); at != std::string::npos; at = text.find("20", at + 1)) {
        if (at > 0 && isDigit(text[at - 1])) continue;
        size_t length = 0, cursor = at;
        const int year = digitsAt(text, cursor, 4, length);
        if (length != 4) continue;
        cursor += length;
        size_t separator = separatorAt(text, cursor, "年");
        if (!separator) continue;
        cursor += separator;
        const int month = digitsAt(text, cursor, 2, length);
        if (length == 0) continue;
        cursor += length;
        separator = separatorAt(text, cursor, "月");
        if (!separator) continue;
        cursor += separator;
        const int dayOfMonth = digitsAt(text, cursor, 2, length);
        if (length == 0 || (cursor + length < text.size() && isDigit(text[cursor + length])))
            continue;
        const int day = dayOf(std::to_string(year % 100 * 10000 + month * 100 + dayOfMonth));
        if (day >= 0) dates.insert(day);
    }
}

} // namespace

bool PageDraws::shortIdsOfAnotherDay(Date day) const {
    if (dates.empty() || dates.count(dayNumber(day))) return false;
    return std::any_of(draws.begin(), draws.end(), [](const PageDraw& d) { return d.day < 0; });
}

PageDraws findPageDraws(const std::vector<platform::PageRow>& rows) {
    PageDraws page;
    std::vector<Item> items;
    for (const auto& row : rows) {
        for (const auto& cell : row.cells) collectDates(cell.text, page.dates);
        if (!row.flow && isHeading(row)) {
            page.heading = true;
            continue;
        }
        items.clear();
        for (const auto& value : row.attributes) readAttribute(value, items);
        for (const auto& cell : row.cells) {
            for (const auto& value : cell.attributes) readAttribute(value, items);
            readCellText(cell.text, items);
        }
        readRow(items, row.flow, page);
    }
    return page;
}

DayTable readPageDraws(const PageDraws& page, Game game, Date date, int newestStored) {
    // The draws go through the reading of a "draw_list" table, written as its rows: one way to
    // judge a listed draw whatever the page.
    const int today = dayNumber(date);
    const bool eightDigitIds = showsEightDigitIds(game);
    std::vector<std::vector<std::string>> rows(1); // row 0 is a heading
    std::map<std::string, std::string> listedAs;   // the id as the table has it, as the page had
    std::vector<SkippedDraw> beyond;               // draw numbers of three digits past 99
    for (const PageDraw& draw : page.draws) {
        const int day = draw.day < 0 ? today : draw.day;
        if (draw.drawOfDay > 99) {
            beyond.push_back({draw.id, day != today
                                           ? "期号不是" + isoDay(date) + "这一天的"
                                           : "当天第" + std::to_string(draw.drawOfDay) +
                                                 "期超过了" + gameName(game) + "每天的" +
                                                 std::to_string(drawsPerDay(game)) + "期"});
            continue;
        }
        const std::string eight = eightDigits(day * 100 + draw.drawOfDay);
        const std::string id = eightDigitIds ? eight : "20" + eight;
        listedAs.emplace(id, draw.id);
        std::string numbers;
        for (int n : draw.numbers) numbers += (numbers.empty() ? "" : " ") + format00(n);
        rows.push_back({"", id, numbers, ""});
    }
    DayTable table = readDayTable(rows, game, date, newestStored);
    for (auto& skipped : table.skipped)
        if (const auto listed = listedAs.find(skipped.what); listed != listedAs.end())
            skipped.what = listed->second;
    if (!beyond.empty()) {
        // A page of nothing but draw numbers the game does not have is another game's.
        if (table.listed == 0) table.otherGame = true;
        table.listed += beyond.size();
        table.skipped.insert(table.skipped.end(), beyond.begin(), beyond.end());
    }
    return table;
}

} // namespace history
