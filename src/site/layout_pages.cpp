#include "site/layout_pages.h"

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
std::string numbersTextRow(const std::string& id, const ListedEntry& entry, size_t index) {
    static const char* const kSeparators[] = {" ", ",", "，", "、", "+"};
    const std::string separator = kSeparators[index % 5];
    return "<tr><td>" + id + "期</td><td>" + drawTime(entry.period) + "</td><td>" +
           (entry.numbers ? joined(*entry.numbers, separator) : "--") + "</td><td>" +
           (entry.numbers ? std::to_string(sum(*entry.numbers)) : "") + "</td></tr>\n";
}

std::string numbersEmRow(const std::string& id, const ListedEntry& entry) {
    return "<tr><td><a href=\"/draw/" + id + "\">" + id + "</a></td><td class=\"balls\">" +
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

std::string row(Layout layout, const std::string& id, const ListedEntry& entry, size_t index) {
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
    default:
        return numbersTextRow(id, entry, index);
    }
}

std::string heading(Layout layout) {
    if (layout == Layout::NumbersCells)
        return "<tr><th>期号</th><th></th><th colspan=\"5\">开奖号码</th></tr>\n";
    if (layout == Layout::NumbersText)
        return "<tr><th>期次</th><th>开奖时间</th><th>开奖号码</th><th>和值</th></tr>\n";
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
    std::string html = "<table class=\"list\">\n<thead>\n" + heading(style.layout) +
                       "</thead>\n<tbody>\n" + kCommentedRow;
    for (size_t i = from; i < to; ++i)
        html += row(style.layout, idText(entries[i].period, tenDigits, style.ids), entries[i], i);
    return html + "</tbody>\n<tfoot>\n" + footer(entries) + "</tfoot>\n</table>\n";
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
    std::string html = "<table class=\"head\"><tr><th>期号</th><th>开奖时间</th>"
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
                       const PageStyle& style) {
    const size_t half = (entries.size() + 1) / 2;
    switch (style.layout) {
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
