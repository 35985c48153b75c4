#include "history/page_draws.h"

#include "history/game_catalog.h"

#include "history/page_items.h"

#include "history/game_record.h"
#include "history/period.h"

#include <algorithm>
#include <map>

namespace history {

namespace {

using page_text::dayOf;
using page_text::isDigit;
using page_text::isNumber;
using page_text::Item;
using page_text::Kind;
using page_text::readAttribute;
using page_text::readCellText;

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

// A row of column labels: 1, 2, ... 11 in a run (the heading of a trend chart's columns).
bool countsUpToEleven(const std::vector<Item>& items, size_t from, size_t to) {
    size_t run = 0;
    for (size_t k = from; k < to; ++k) {
        run = items[k].value == static_cast<int>(run) + 1 ? run + 1 : (items[k].value == 1);
        if (run == 11) return true;
    }
    return false;
}

// The row's text, shortened, for a report.
std::string rowExcerpt(const std::vector<Item>& items) {
    constexpr size_t kMaxItems = 16;
    std::string text;
    for (size_t k = 0; k < items.size() && k < kMaxItems; ++k)
        text += (text.empty() ? "" : " ") + items[k].text.substr(0, 24);
    if (items.size() > kMaxItems) text += " …";
    return text;
}

void addDraw(PageDraws& page, PageDraw draw, long element, std::vector<long>& elements) {
    page.draws.push_back(std::move(draw));
    elements.push_back(element);
}

// A run of cells of one number each that starts a row: draw numbers alone, each followed by five
// numbers, in groups of six (several draws side by side). Cells the groups leave over (a row's
// serial number before them, a sum after them) stand where the groups read as sound draws. Such a
// run is read only where one place does that: where two places read as well, which is meant is not
// known, and the row is reported rather than a draw made up. A trend chart's row (a draw number,
// its five numbers, then omission figures) reads as its first group alone. False when the run
// reads as no draws.
bool readNumberCells(const std::vector<Item>& items, size_t from, size_t to, PageDraws& page,
                     std::vector<long>& elements) {
    constexpr size_t kGroup = 1 + kPositions;
    const size_t extra = (to - from) % kGroup;
    const size_t groups = (to - from) / kGroup;
    std::vector<size_t> whole; // offsets where every group is a sound draw
    size_t best = 0, bestSound = 0, ties = 0;
    for (size_t offset = 0; offset <= extra; ++offset) {
        size_t sound = 0;
        for (size_t at = from + offset; at + kGroup <= to; at += kGroup)
            sound += soundGroup(items, at) ? 1 : 0;
        if (sound == groups) whole.push_back(offset);
        if (sound > bestSound) {
            best = offset;
            bestSound = sound;
            ties = 0;
        } else if (sound == bestSound) {
            ++ties;
        }
    }
    const auto take = [&](size_t at) {
        PageDraw draw{items[at].text, -1, items[at].value, {}};
        for (int k = 0; k < kPositions; ++k) draw.numbers[k] = items[at + 1 + k].value;
        addDraw(page, draw, items[at].element, elements);
    };
    // A trend chart's row: a draw number and its five numbers, then 11 omission figures for each
    // of the five positions (small early in a day, so that they may read as draws too).
    constexpr size_t kChart = 11 * kPositions;
    const size_t after = to - from - kGroup;
    if (soundGroup(items, from) && after >= kChart && after % 11 == 0) {
        take(from);
        return true;
    }
    if (whole.size() > 1 || (whole.empty() && bestSound * 2 > groups && ties > 0)) {
        page.unclear.push_back({rowExcerpt(items), "这一行的数字可以读成不同的几期开奖号码，"
                                                   "无法确定哪一种是对的，这一行没有存入"});
        return true;
    }
    if (whole.size() == 1 || bestSound * 2 > groups) {
        // Every group, or most of them: the groups not sound are reported as listed wrongly.
        const size_t offset = whole.size() == 1 ? whole.front() : best;
        for (size_t at = from + offset; at + kGroup <= to; at += kGroup) take(at);
        return true;
    }
    return false;
}

// How many other texts may stand between an id and its numbers.
constexpr size_t kMaxBetween = 4;

// Groups the items of one row into draws and slots. A draw's numbers are where the row's
// structure puts them: right after its id (a time, a date or a label between), as one text or as
// five numbers in a row; every other run of numbers in the row (omission figures, sums, the
// numbers of the draw before, a chart's statistics) is no draw. chart: the page showed a chart's
// column labels 1..11 (a row's run of figures in elevens is a chart's omission columns).
void readRow(const std::vector<Item>& items, bool flow, bool& chart, PageDraws& page,
             std::vector<long>& elements) {
    const size_t n = items.size();
    auto fiveSmallAt = [&](size_t at) {
        if (at + kPositions > n) return false;
        for (size_t k = at; k < at + kPositions; ++k)
            if (items[k].kind != Kind::Small) return false;
        return true;
    };
    auto smallRun = [&](size_t at) {
        size_t end = at;
        while (end < n && isNumber(items[end])) ++end;
        return end - at;
    };
    // Omission columns alone, eleven for each place: a chart that shows no numbers of its own.
    const auto omissionsOnly = [&](size_t run) { return chart && run >= 11 && run % 11 == 0; };
    if (!flow && countsUpToEleven(items, 0, n)) chart = true;
    bool drawRead = false; // a draw of this row was read by its id
    for (size_t i = 0; i < n;) {
        const Item& item = items[i];
        // A row that starts with number cells: several draws side by side, or a chart's row.
        // Text outside tables has no cells to tell a draw number alone from a number: there,
        // only ids that say they are ids count.
        if (isNumber(item) && !flow && i == 0) {
            const size_t run = smallRun(i);
            if (run >= 1 + kPositions) {
                if (countsUpToEleven(items, i, i + run)) {
                    // Column labels: no draws.
                } else if (omissionsOnly(run - 1)) {
                    ++page.unread; // a draw number, then no numbers to read
                } else if (readNumberCells(items, i, i + run, page, elements)) {
                    drawRead = true;
                } else {
                    ++page.unread;
                }
                i += run;
                continue;
            }
        }
        // A plain number of three digits counts as a draw number where one of two digits would.
        bool isId = item.kind == Kind::Id || (item.kind == Kind::ShortId && (flow || !item.plain));
        // Past a time, a date or a label.
        size_t at = i + 1;
        while (at < n && at <= i + kMaxBetween && items[at].kind == Kind::Other) ++at;
        if (isNumber(item) && !flow && at < n) {
            // A number alone is a draw number when the numbers (or their placeholder) follow
            // it, or, past a time or a label, five numbers of their own (the row's first draw,
            // or five alone before the next draw number and its time).
            const Kind next = items[at].kind;
            const size_t run = isNumber(items[at]) ? smallRun(at) : 0;
            isId =
                next == Kind::Numbers || next == Kind::Placeholder ||
                (at > i + 1 && run >= kPositions &&
                 (!drawRead || run == kPositions ||
                  (run == kPositions + 1 && at + run < n && items[at + run].kind == Kind::Other)));
        }
        if (!isId) {
            ++i;
            continue;
        }
        if (!flow && omissionsOnly(smallRun(at))) {
            ++page.unread;
            i = at + smallRun(at);
            continue;
        }
        PageDraw draw{item.text, item.kind == Kind::Id ? item.day : -1, item.value, {}};
        if (at < n && items[at].kind == Kind::Numbers) {
            draw.numbers = items[at].numbers;
            addDraw(page, draw, item.element, elements);
            drawRead = true;
            i = at + 1;
        } else if (fiveSmallAt(at)) {
            for (int k = 0; k < kPositions; ++k) draw.numbers[k] = items[at + k].value;
            addDraw(page, draw, item.element, elements);
            drawRead = true;
            i = at + kPositions;
            // The rest of a run of numbers after a draw's five (omission figures) is no draw.
            if (!flow && item.kind == Kind::Id)
                while (i < n && isNumber(items[i])) ++i;
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

// The game a text names ("江西11选5开奖" names 江西11选5; an alias, 十一运夺金, names its game
// by the game's name), "" when none.
std::string gameNamed(const std::string& text) {
    if (const auto* known = games()->namedIn(text)) return known->name;
    for (std::string_view kind : {"11选5", "11选五"}) {
        const size_t at = text.find(kind);
        if (at == std::string::npos) continue;
        const size_t blank = text.rfind(' ', at);
        const size_t start = blank == std::string::npos ? 0 : blank + 1;
        return text.substr(start, at + kind.size() - start);
    }
    return {};
}

// The frame of the innermost element holding every draw of the page (the list they stand in);
// "" when there is none, or it has no frame.
std::string frameHolding(const std::vector<long>& drawElements,
                         const std::vector<platform::PageElement>& elements) {
    const auto valid = [&](long e) { return e >= 0 && static_cast<size_t>(e) < elements.size(); };
    std::set<long> distinct;
    for (long e : drawElements)
        if (valid(e)) distinct.insert(e);
    if (distinct.empty()) return {};
    // The first one's ancestors, innermost first; the innermost of them holding all the others.
    std::vector<long> chain;
    for (long e = *distinct.begin(); valid(e); e = elements[e].parent) chain.push_back(e);
    size_t holding = 0;
    for (long other : distinct) {
        std::set<long> ancestors;
        for (long e = other; valid(e); e = elements[e].parent) ancestors.insert(e);
        while (holding < chain.size() && !ancestors.count(chain[holding])) ++holding;
    }
    if (holding >= chain.size()) return {};
    return elements[chain[holding]].frame;
}

} // namespace

bool PageDraws::shortIdsOfAnotherDay(Date day) const {
    if (dates.empty() || dates.count(dayNumber(day))) return false;
    return std::any_of(draws.begin(), draws.end(), [](const PageDraw& d) { return d.day < 0; });
}

PageDraws findPageDraws(const std::vector<platform::PageRow>& rows,
                        const std::vector<platform::PageElement>& elements) {
    PageDraws page;
    std::vector<Item> items;
    std::vector<long> drawElements; // where each draw found stands
    bool chart = false;
    for (const auto& row : rows) {
        for (const auto& cell : row.cells) collectDates(cell.text, page.dates);
        if (!row.flow && isHeading(row)) {
            page.heading = true;
            continue;
        }
        items.clear();
        // The games the row names: before each draw outside tables (the last one named), or
        // anywhere in a table's row.
        std::vector<std::string> names; // for each item, the game named last before it
        std::set<std::string> rowNames;
        std::string named;
        const auto add = [&](size_t before, long element) {
            for (size_t k = before; k < items.size(); ++k) {
                items[k].element = element;
                names.push_back(named);
            }
        };
        for (const auto& value : row.attributes) readAttribute(value, items);
        add(0, row.element);
        for (const auto& cell : row.cells) {
            if (auto name = gameNamed(cell.text); !name.empty()) {
                named = name;
                rowNames.insert(name);
            }
            const size_t before = items.size();
            for (const auto& value : cell.attributes) readAttribute(value, items);
            readCellText(cell.text, items);
            add(before, row.flow ? cell.element : row.element);
        }
        const size_t found = page.draws.size();
        readRow(items, row.flow, chart, page, drawElements);
        // Which game each draw of the row belongs to, where the row says so.
        if (page.draws.size() > found) {
            if (!row.flow) {
                page.gameNames.insert(rowNames.begin(), rowNames.end());
            } else {
                for (size_t d = found; d < page.draws.size(); ++d)
                    for (size_t k = 0; k < items.size(); ++k)
                        if (items[k].text == page.draws[d].id && !names[k].empty()) {
                            page.gameNames.insert(names[k]);
                            break;
                        }
            }
        }
    }
    page.drawFrame = frameHolding(drawElements, elements);
    for (const auto& element : elements) page.frames.insert(element.frame);
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
                                                 "期超过了" + gameName(game) + "每天最多的" +
                                                 std::to_string(largestDrawNumber(game)) + "期"});
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
    // Rows read in neither of their readings are told with the draws passed over.
    table.skipped.insert(table.skipped.end(), page.unclear.begin(), page.unclear.end());
    if (!beyond.empty()) {
        // A page of nothing but draw numbers the game does not have is another game's.
        if (table.listed == 0) table.otherGame = true;
        table.listed += beyond.size();
        table.skipped.insert(table.skipped.end(), beyond.begin(), beyond.end());
    }
    return table;
}

} // namespace history
