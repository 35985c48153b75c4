#include "site/layout_pages.h"

#include <algorithm>
#include <cstdio>

namespace site {

namespace {

std::string twoDigits(int value) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%02d", value % 100);
    return buffer;
}

std::string eightDigits(int period) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%08d", period);
    return buffer;
}

std::string idText(int period, bool tenDigits, IdForm form) {
    const std::string eight = eightDigits(period);
    switch (form) {
    case IdForm::Game:
        return tenDigits ? "20" + eight : eight;
    case IdForm::Short:
        return twoDigits(period % 100);
    case IdForm::Dash:
        return "20" + eight.substr(0, 6) + "-" + eight.substr(6);
    case IdForm::ThreeDigit:
        return "20" + eight.substr(0, 6) + "0" + eight.substr(6);
    case IdForm::Split:
        return "20" + eight.substr(0, 6) + "<span class=\"no\">0" + eight.substr(6) + "</span>";
    }
    return eight;
}

// The time of a draw: every ten minutes from 09:00.
std::string drawTime(int period) {
    const int minutes = 9 * 60 + (period % 100) * 10;
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d", minutes / 60 % 24, minutes % 60);
    return buffer;
}

std::string joined(const std::array<int, 5>& numbers, const std::string& separator) {
    std::string text;
    for (int n : numbers) text += (text.empty() ? "" : separator) + twoDigits(n);
    return text;
}

std::string wrapped(const std::array<int, 5>& numbers, size_t from, size_t to,
                    const std::string& tag) {
    std::string text;
    for (size_t i = from; i < to; ++i)
        text += "<" + tag + ">" + twoDigits(numbers[i]) + "</" + tag + ">";
    return text;
}

int sum(const std::array<int, 5>& numbers) {
    int total = 0;
    for (int n : numbers) total += n;
    return total;
}

// One row of a layout: the id, then where the numbers stand.
// What a page hides beside the numbers: their sizes and parities, shown on a click.
std::string hiddenShapes(const std::array<int, 5>& numbers, HiddenCopies hidden) {
    std::string text;
    for (int n : numbers) text += std::string(text.empty() ? "" : " ") + (n > 5 ? "大" : "小");
    for (int n : numbers) text += std::string(" ") + (n % 2 ? "单" : "双");
    return std::string("<span class=\"shape\"") +
           (hidden == HiddenCopies::OwnStyle ? " style=\"display: none\"" : "") + ">" + text +
           "</span>";
}

// A hidden copy of a draw's row, with other numbers (the draw's turned round), which a reader
// must not take for a second listing.
std::string hiddenRow(const std::string& id, const ListedEntry& entry, HiddenCopies hidden,
                      bool attribute) {
    if (!entry.numbers) return {};
    std::array<int, 5> turned = *entry.numbers;
    std::rotate(turned.begin(), turned.begin() + 1, turned.end());
    const char* opening = hidden == HiddenCopies::ByClass ? "<tr class=\"copy\">"
                          : attribute                     ? "<tr hidden>"
                                                          : "<tr style=\"visibility:hidden\">";
    return opening + ("<td>" + id + "</td><td>" + joined(turned, " ") + "</td></tr>\n");
}

std::string numbersTextRow(const std::string& id, const ListedEntry& entry, size_t index,
                           HiddenCopies hidden) {
    static const char* const kSeparators[] = {" ", ",", "，", "、", "+"};
    const std::string separator = kSeparators[index % 5];
    const bool copies = hidden != HiddenCopies::None;
    return "<tr><td>" + id + "期</td><td>" + drawTime(entry.period) + "</td><td>" +
           (entry.numbers ? joined(*entry.numbers, separator) : "--") +
           (copies && entry.numbers ? hiddenShapes(*entry.numbers, hidden) : "") + "</td><td>" +
           (entry.numbers ? std::to_string(sum(*entry.numbers)) : "") + "</td></tr>\n" +
           (copies ? hiddenRow(id, entry, hidden, index % 2 == 0) : "");
}

// The draw number (or id), its time, then the numbers as one text: each a cell.
std::string timeCellsRow(const std::string& id, const ListedEntry& entry) {
    return "<tr><td class=\"no\">" + id + "</td><td class=\"time\">" + drawTime(entry.period) +
           "</td><td class=\"balls\">" + (entry.numbers ? joined(*entry.numbers, " ") : "--") +
           "</td></tr>\n";
}

// The id and the draw's time in one cell, each row written another way: apart by a blank, in
// elements of their own, by a line break after the id, or the time first.
std::string timeInIdCellRow(const std::string& id, const ListedEntry& entry, size_t index) {
    const std::string time = drawTime(entry.period);
    char date[16];
    std::snprintf(date, sizeof date, "20%02d-%02d-%02d", entry.period / 1000000,
                  entry.period / 10000 % 100, entry.period / 100 % 100);
    std::string cell;
    switch (index % 4) {
    case 0:
        cell = id + " " + time + ":00";
        break;
    case 1:
        cell = "<span class=\"id\">" + id + "</span><span class=\"time\">" + time + "</span>";
        break;
    case 2:
        cell = id + "<br>" + date + " " + time;
        break;
    default:
        cell = "<span class=\"time\">" + time + "</span><br><span class=\"id\">" + id + "</span>";
        break;
    }
    return "<tr><td class=\"no\">" + cell + "</td><td class=\"balls\">" +
           (entry.numbers ? joined(*entry.numbers, " ") : "--") + "</td></tr>\n";
}

// An id's text without the elements it may be written with.
std::string plainText(std::string html) {
    for (size_t at = html.find('<'); at != std::string::npos; at = html.find('<', at))
        html.erase(at, html.find('>', at) - at + 1);
    return html;
}

std::string numbersEmRow(const std::string& id, const ListedEntry& entry) {
    return "<tr><td><a href=\"/draw/" + plainText(id) + "\">" + id +
           "</a></td><td class=\"balls\">" +
           (entry.numbers ? wrapped(*entry.numbers, 0, 5, "em") : "等待开奖") + "</td></tr>\n";
}

std::string numbersSplitRow(const std::string& id, const ListedEntry& entry) {
    if (!entry.numbers) return "<tr><td>" + id + "</td><td>-- --</td></tr>\n";
    return "<tr><td>" + id + "</td><td><span class=\"front\">" +
           wrapped(*entry.numbers, 0, 3, "i") + "</span> + <span class=\"back\">" +
           wrapped(*entry.numbers, 3, 5, "b") + "</span></td></tr>\n";
}

std::string numbersListRow(const std::string& id, const ListedEntry& entry) {
    return "<tr><td>" + id + "</td><td><ul class=\"balls\">" +
           (entry.numbers ? wrapped(*entry.numbers, 0, 5, "li") : "<li>-</li><li>-</li>") +
           "</ul></td></tr>\n";
}

std::string numbersCellsRow(const std::string& id, const ListedEntry& entry) {
    std::string row = "<tr><td>" + id + "</td><td class=\"gap\">&nbsp;</td>";
    for (int i = 0; i < 5; ++i)
        row += "<td>" + (entry.numbers ? twoDigits((*entry.numbers)[i]) : "--") + "</td>";
    return row + "</tr>\n";
}

std::string numbersAttributeRow(const std::string& id, const ListedEntry& entry) {
    return "<tr><td class=\"period\">" + id + "</td><td class=\"balls\" data-award=\"" +
           (entry.numbers ? joined(*entry.numbers, " ") + "\"><canvas></canvas>" : "\">待开奖") +
           "</td></tr>\n";
}

std::string row(Layout layout, const std::string& id, const ListedEntry& entry, size_t index,
                HiddenCopies hidden = HiddenCopies::None) {
    if (hidden != HiddenCopies::None && layout == Layout::NumbersText)
        return numbersTextRow(id, entry, index, hidden);
    switch (layout) {
    case Layout::NumbersEm:
        return numbersEmRow(id, entry);
    case Layout::NumbersSplit:
        return numbersSplitRow(id, entry);
    case Layout::NumbersList:
        return numbersListRow(id, entry);
    case Layout::NumbersCells:
        return numbersCellsRow(id, entry);
    case Layout::NumbersAttribute:
        return numbersAttributeRow(id, entry);
    case Layout::TimeCells:
        return timeCellsRow(id, entry);
    case Layout::TimeInIdCell:
        return timeInIdCellRow(id, entry, index);
    default:
        return numbersTextRow(id, entry, index, HiddenCopies::None);
    }
}

std::string heading(Layout layout) {
    if (layout == Layout::NumbersCells)
        return "<tr><th>期号</th><th></th><th colspan=\"5\">开奖号码</th></tr>\n";
    if (layout == Layout::NumbersText)
        return "<tr><th>期次</th><th>开奖时间</th><th>开奖号码</th><th>和值</th></tr>\n";
    if (layout == Layout::TimeCells)
        return "<tr><th>期号</th><th>开奖时间</th><th>开奖号码</th></tr>\n";
    if (layout == Layout::TimeInIdCell)
        return "<tr><th>期号 / 开奖时间</th><th>开奖号码</th></tr>\n";
    return "<tr><th>期号</th><th>开奖号码</th></tr>\n";
}

// "今日已开N期", N the draws made.
std::string madeSoFar(const std::vector<ListedEntry>& entries) {
    size_t drawn = 0;
    for (const auto& entry : entries) drawn += entry.numbers ? 1 : 0;
    return "今日已开" + std::to_string(drawn) + "期";
}

std::string footer(const std::vector<ListedEntry>& entries) {
    return "<tr class=\"total\"><td colspan=\"7\">" + madeSoFar(entries) + "</td></tr>\n";
}

// A commented-out row a reader must not take for a draw.
const char* const kCommentedRow = "<!-- <tr><td>2099010101</td><td>01 02 03 04 05</td></tr> -->\n";

// The mixed layout's rows: every layout in turn, ids in every form in turn.
std::string mixedTable(const std::vector<ListedEntry>& entries, size_t from, size_t to,
                       bool tenDigits, const PageStyle& style) {
    static const Layout kLayouts[] = {Layout::NumbersText,  Layout::NumbersEm,
                                      Layout::NumbersSplit, Layout::NumbersList,
                                      Layout::NumbersCells, Layout::NumbersAttribute};
    static const IdForm kForms[] = {IdForm::Game, IdForm::Dash, IdForm::ThreeDigit, IdForm::Short};
    std::string html = "<table class=\"list\">\n" + heading(Layout::NumbersEm) + kCommentedRow;
    for (size_t i = from; i < to; ++i) {
        const IdForm form = style.ids == IdForm::Game ? kForms[i % 4] : style.ids;
        html += row(kLayouts[i % 6], idText(entries[i].period, tenDigits, form), entries[i], i);
    }
    return html + "</table>\n";
}

std::string singleTable(const std::vector<ListedEntry>& entries, size_t from, size_t to,
                        bool tenDigits, const PageStyle& style) {
    // A day without draws: the list as it is, empty, without its heading.
    if (entries.empty() && style.bareEmpty)
        return "<table class=\"list\">\n<tbody>\n</tbody>\n</table>\n";
    std::string html = "<table class=\"list\">\n<thead>\n" + heading(style.layout) +
                       "</thead>\n<tbody>\n" + kCommentedRow;
    for (size_t i = from; i < to; ++i)
        html += row(style.layout, idText(entries[i].period, tenDigits, style.ids), entries[i], i,
                    style.hiddenCopies);
    return html + "</tbody>\n<tfoot>\n" + footer(entries) + "</tfoot>\n</table>\n";
}

// A trend chart: each row the id, the five numbers in cells of their own, then for each position
// the 11 numbers' omissions (how many draws since the number last stood there; the number itself
// where it is drawn); column labels 1..11 under a heading, statistics rows after the draws. The
// figures start from the earlier draws, not shown.
std::string trendChart(const std::vector<ListedEntry>& entries, bool tenDigits,
                       const PageStyle& style, const std::vector<ListedEntry>& earlier) {
    constexpr int kNumbers = 11, kPlaces = 5;
    std::string html = "<table class=\"chart\" id=\"chartsTable\">\n<tr class=\"head\">"
                       "<td rowspan=\"2\">期号</td><td rowspan=\"2\" colspan=\"5\">开奖号码</td>";
    for (const char* place : {"万位", "千位", "百位", "十位", "个位"})
        html += std::string("<td colspan=\"11\">") + place + "</td>";
    html += "</tr>\n<tr class=\"head\">";
    for (int p = 0; p < kPlaces; ++p)
        for (int n = 1; n <= kNumbers; ++n) html += "<td>" + std::to_string(n) + "</td>";
    html += "</tr>\n";
    // Omissions run in the order of the draws, whatever order the page lists them in.
    std::vector<size_t> order(entries.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](size_t a, size_t b) { return entries[a].period < entries[b].period; });
    std::array<std::array<int, kNumbers>, kPlaces> omission{}, count{}, longest{};
    for (const ListedEntry& entry : earlier) {
        if (!entry.numbers) continue;
        for (int p = 0; p < kPlaces; ++p)
            for (int n = 1; n <= kNumbers; ++n) {
                int& gap = omission[p][n - 1];
                if ((*entry.numbers)[p] == n) {
                    gap = 0;
                    ++count[p][n - 1];
                } else {
                    longest[p][n - 1] = std::max(longest[p][n - 1], ++gap);
                }
            }
    }
    std::vector<std::string> rows(entries.size());
    for (size_t i : order) {
        const ListedEntry& entry = entries[i];
        std::string line =
            "<tr><td class=\"no\">" + idText(entry.period, tenDigits, style.ids) + "</td>";
        for (int p = 0; p < kPlaces; ++p)
            line += "<td class=\"ball\">" +
                    (entry.numbers ? twoDigits((*entry.numbers)[p]) : std::string("--")) + "</td>";
        for (int p = 0; p < kPlaces; ++p)
            for (int n = 1; n <= kNumbers; ++n) {
                if (!entry.numbers) {
                    line += "<td></td>";
                    continue;
                }
                int& gap = omission[p][n - 1];
                if ((*entry.numbers)[p] == n) {
                    gap = 0;
                    ++count[p][n - 1];
                    line += "<td class=\"hit\">" + twoDigits(n) + "</td>";
                } else {
                    ++gap;
                    longest[p][n - 1] = std::max(longest[p][n - 1], gap);
                    line += "<td>" + std::to_string(gap) + "</td>";
                }
            }
        rows[i] = line + "</tr>\n";
    }
    for (const auto& line : rows) html += line;
    const auto statistics = [&](const char* label, auto value) {
        html += std::string("<tr class=\"stat\"><td colspan=\"6\">") + label + "</td>";
        for (int p = 0; p < kPlaces; ++p)
            for (int n = 0; n < kNumbers; ++n)
                html += "<td>" + std::to_string(value(p, n)) + "</td>";
        html += "</tr>\n";
    };
    statistics("出现次数", [&](int p, int n) { return count[p][n]; });
    statistics("当前遗漏", [&](int p, int n) { return omission[p][n]; });
    statistics("最大遗漏", [&](int p, int n) { return longest[p][n]; });
    return html + "</table>\n";
}

// The draws only as data of a script that would fill the list.
std::string scriptOnly(const std::vector<ListedEntry>& entries, bool tenDigits) {
    std::string data;
    for (const auto& entry : entries)
        if (entry.numbers)
            data += std::string(data.empty() ? "" : ",") + "{\"expect\":\"" +
                    idText(entry.period, tenDigits, IdForm::Game) + "\",\"opencode\":\"" +
                    joined(*entry.numbers, ",") + "\"}";
    return "<ul class=\"list\" id=\"list\"></ul>\n<script>\nvar data = [" + data +
           "];\nfor (var i = 0; i < data.length; i++) { /* fills #list */ }\n</script>\n";
}

// An empty table a script fills from another address.
std::string ajaxTable() {
    return "<table class=\"list\" id=\"kjlist\"><tbody id=\"kjbody\"></tbody></table>\n"
           "<script>$.ajax({url: \"/api/draws\", success: function (d) { fill(d); }});</script>\n";
}

// The newest draw of every game: the asked game's newest of the day, and the others'.
std::string allGames(const std::vector<ListedEntry>& entries, int gameCode) {
    struct Game {
        int code;
        const char* name;
        int perDay;
    };
    static const Game kGames[] = {{22, "江西11选5", 84},
                                  {23, "广东11选5", 84},
                                  {562, "上海11选5", 90},
                                  {569, "黑龙江11选5", 79}};
    const ListedEntry* newest = nullptr;
    for (const auto& entry : entries)
        if (entry.numbers && (!newest || entry.period > newest->period)) newest = &entry;
    std::string html = "<table class=\"games\"><tr><th>彩种</th><th>期号</th><th>开奖号码</th>"
                       "</tr>\n";
    for (const auto& game : kGames) {
        const int day = newest ? newest->period / 100 : 160908;
        const int draw = game.code == gameCode && newest ? newest->period % 100 : game.perDay;
        std::array<int, 5> numbers = newest ? *newest->numbers : std::array<int, 5>{1, 2, 3, 4, 5};
        if (game.code != gameCode) std::rotate(numbers.begin(), numbers.begin() + 2, numbers.end());
        html += std::string("<tr><td>") + game.name + "</td><td>" +
                idText(day * 100 + draw, game.code == 22 || game.code == 562, IdForm::Game) +
                "</td><td>" + joined(numbers, " ") + "</td></tr>\n";
    }
    return html + "</table>\n";
}

// Three draws in each row, the first column holding the first third of the day.
std::string sideBySide(const std::vector<ListedEntry>& entries, bool tenDigits,
                       const PageStyle& style) {
    constexpr size_t kGroups = 3;
    const size_t rows = (entries.size() + kGroups - 1) / kGroups;
    std::string html = "<table class=\"list\">\n<tr class=\"head\">";
    for (size_t g = 0; g < kGroups; ++g) html += "<td>期号</td><td>开奖号码</td><td></td>";
    html += "</tr>\n";
    for (size_t r = 0; r < rows; ++r) {
        html += "<tr>";
        for (size_t g = 0; g < kGroups; ++g) {
            const size_t i = g * rows + r;
            if (i >= entries.size()) {
                html += "<td></td><td></td><td></td>";
                continue;
            }
            html += "<td>" + idText(entries[i].period, tenDigits, style.ids) + "</td><td>" +
                    (entries[i].numbers ? joined(*entries[i].numbers, " ") : "--") +
                    "</td><td class=\"sep\"></td>";
        }
        html += "</tr>\n";
    }
    return html + footer(entries) + "</table>\n";
}

// A heading table, then each draw as a block: its id, its time and its numbers in spans.
std::string blocks(const std::vector<ListedEntry>& entries, bool tenDigits,
                   const PageStyle& style) {
    std::string html = entries.empty() && style.bareEmpty
                           ? "<div class=\"list\">\n"
                           : "<table class=\"head\"><tr><th>期号</th><th>开奖时间</th>"
                             "<th>开奖号码</th></tr></table>\n<div class=\"list\">\n";
    for (const auto& entry : entries) {
        // Outside a table a draw number alone says what it is: 第05期.
        const std::string id = idText(entry.period, tenDigits, style.ids);
        html += "<div class=\"row\"><span class=\"period\">" +
                (style.ids == IdForm::Short ? "第" + id + "期" : id) +
                "</span> <span class=\"time\">" + drawTime(entry.period) +
                "</span> <span class=\"balls\">" +
                (entry.numbers ? wrapped(*entry.numbers, 0, 5, "i") : "--") + "</span></div>\n";
    }
    return html + "</div>\n<p class=\"total\">" + madeSoFar(entries) + "</p>\n";
}

} // namespace

std::string layoutList(const std::vector<ListedEntry>& entries, bool tenDigits,
                       const PageStyle& style, int gameCode,
                       const std::vector<ListedEntry>& earlier) {
    const size_t half = (entries.size() + 1) / 2;
    switch (style.layout) {
    case Layout::Trend:
        return trendChart(entries, tenDigits, style, earlier);
    case Layout::ScriptOnly:
        return scriptOnly(entries, tenDigits);
    case Layout::Ajax:
        return ajaxTable();
    case Layout::AllGames:
        return allGames(entries, gameCode);
    case Layout::SideBySide:
        return sideBySide(entries, tenDigits, style);
    case Layout::Blocks:
        return blocks(entries, tenDigits, style);
    case Layout::TablesSideBySide:
    case Layout::Mixed: {
        const auto table = style.layout == Layout::Mixed ? mixedTable : singleTable;
        PageStyle inner = style;
        inner.layout = Layout::NumbersText;
        return "<table class=\"frame\"><tr><td>\n" + table(entries, 0, half, tenDigits, inner) +
               "</td><td>\n" + table(entries, half, entries.size(), tenDigits, inner) +
               "</td></tr></table>\n";
    }
    case Layout::NumbersAttribute: {
        // The newest draw also stands in a box of its own above the list, in its attributes.
        const ListedEntry* newest = nullptr;
        for (const auto& entry : entries)
            if (entry.numbers && (!newest || entry.period > newest->period)) newest = &entry;
        std::string box;
        if (newest)
            box = "<div class=\"latest\" data-period=\"" +
                  idText(newest->period, tenDigits, IdForm::Game) + "\" data-award=\"" +
                  joined(*newest->numbers, " ") + "\"><canvas></canvas></div>\n";
        return box + singleTable(entries, 0, entries.size(), tenDigits, style);
    }
    default:
        return singleTable(entries, 0, entries.size(), tenDigits, style);
    }
}

} // namespace site
