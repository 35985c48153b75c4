#include "history/online_update.h"

#include "history/draw_appender.h"
#include "history/game_record.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <stdexcept>

namespace history {

namespace {

using std::chrono::day;
using std::chrono::days;
using std::chrono::month;
using std::chrono::sys_days;
using std::chrono::year;

bool allDigits(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Characters, not bytes: a cell of Chinese text is longer than its byte count suggests.
size_t characters(const std::string& utf8) {
    return static_cast<size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xc0) != 0x80;
    }));
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Two digits, one separator character, two digits, ... ("05 03 08 01 11", "05,03,08,01,11").
// Numbers past the fifth are ignored. False when the text holds fewer or something else.
bool readNumbers(std::string text, Numbers& numbers) {
    int count = 0;
    while (!text.empty() && count < kPositions) {
        if (text.size() < 2 || !allDigits(text.substr(0, 2))) return false;
        numbers[count++] = (text[0] - '0') * 10 + (text[1] - '0');
        text = trimmed(text.substr(std::min<size_t>(3, text.size())));
    }
    return count == kPositions;
}

bool soundNumbers(const Numbers& numbers) {
    unsigned seen = 0;
    for (int n : numbers) {
        if (n < 1 || n > 11 || (seen & (1u << n))) return false;
        seen |= 1u << n;
    }
    return true;
}

// How much of a cell a report quotes: a page's cell may hold megabytes.
constexpr size_t kExcerptCharacters = 40;

// The text, cut after kExcerptCharacters characters (never inside one) with "…" added.
std::string excerpt(const std::string& utf8) {
    size_t seen = 0;
    for (size_t i = 0; i < utf8.size(); ++i) {
        if ((static_cast<unsigned char>(utf8[i]) & 0xc0) == 0x80) continue;
        if (seen++ == kExcerptCharacters) return utf8.substr(0, i) + "…";
    }
    return utf8;
}

std::string rowText(const std::vector<std::string>& cells) {
    std::string text;
    for (const auto& cell : cells) {
        text += (text.empty() ? "" : " ") + excerpt(cell);
        if (text.size() > 4 * kExcerptCharacters) break;
    }
    return excerpt(text);
}

std::string drawText(const Numbers& numbers) {
    std::string text;
    for (int n : numbers) text += (text.empty() ? "" : " ") + format00(n);
    return text;
}

} // namespace

Date dateOfPeriod(int period) {
    const int yymmdd = period / 100;
    return Date{year{2000 + yymmdd / 10000}, month{static_cast<unsigned>(yymmdd / 100 % 100)},
                day{static_cast<unsigned>(yymmdd % 100)}};
}

int dayNumber(Date date) {
    return (static_cast<int>(date.year()) % 100) * 10000 +
           static_cast<int>(static_cast<unsigned>(date.month())) * 100 +
           static_cast<int>(static_cast<unsigned>(date.day()));
}

std::string isoDay(Date date) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02u", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    return buffer;
}

Date parseIsoDay(const std::string& text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return Date{};
    const std::string digits = text.substr(0, 4) + text.substr(5, 2) + text.substr(8, 2);
    if (!allDigits(digits)) return Date{};
    return Date{year{std::stoi(text.substr(0, 4))},
                month{static_cast<unsigned>(std::stoi(text.substr(5, 2)))},
                day{static_cast<unsigned>(std::stoi(text.substr(8, 2)))}};
}

Date retentionStart(Date today, int keepDays) {
    return Date{sys_days{today} - days{keepDays}};
}

std::vector<Date> updateDays(const std::vector<HistoryRow>& rows, Date today, int keepDays,
                             Game game, const std::set<int>& withoutDraws, bool keepOlder) {
    const Date kept = retentionStart(today, keepDays);
    Date first = kept;
    std::vector<Date> result;
    if (!rows.empty()) {
        const Date newest = dateOfPeriod(rows.back().period);
        if (newest.ok() && (keepOlder || sys_days{newest} > sys_days{first})) first = newest;
        // Days without draws found before, right after the newest day: passed.
        sys_days next = sys_days{first} + days{1};
        while (next < sys_days{today} && withoutDraws.count(dayNumber(Date{next}))) next += days{1};
        if (next > sys_days{first} + days{1}) first = Date{next};
        for (sys_days d{kept}; d < sys_days{first}; d += days{1})
            if (!unlistedDraws(rows, Date{d}, game, today).empty()) result.emplace_back(d);
    }
    for (sys_days d{first}; d <= sys_days{today}; d += days{1}) result.emplace_back(d);
    return result;
}

std::vector<int> unlistedDraws(const std::vector<HistoryRow>& rows, Date date, Game game,
                               Date today) {
    const int first = dayNumber(date) * 100;
    const auto byPeriod = [](const HistoryRow& row, int period) { return row.period < period; };
    auto row = std::lower_bound(rows.begin(), rows.end(), first, byPeriod);
    const auto end = std::lower_bound(row, rows.end(), first + 100, byPeriod);
    std::vector<int> missing;
    if (row == end) return missing;
    int expected = first + 1;
    for (; row != end; ++row) {
        for (; expected < row->period; ++expected) missing.push_back(expected);
        expected = std::max(expected, row->period + 1);
    }
    if (sys_days{date} < sys_days{today})
        for (; expected <= first + drawsPerDay(game); ++expected) missing.push_back(expected);
    return missing;
}

namespace {

constexpr const char* kDaysWithoutDraws = "DaysWithoutDraws";

bool hasDaysTable(platform::Database& db) {
    auto stmt = db.prepare("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1");
    stmt.bind(1, std::string_view(kDaysWithoutDraws));
    return stmt.step();
}

} // namespace

std::set<int> loadDaysWithoutDraws(platform::Database& db) {
    std::set<int> result;
    if (!hasDaysTable(db)) return result;
    auto stmt = db.prepare(std::string("SELECT Day FROM ") + kDaysWithoutDraws);
    while (stmt.step()) result.insert(stmt.intAt(0));
    return result;
}

std::vector<int> missingDraws(const std::vector<HistoryRow>& rows, Date date) {
    const int first = dayNumber(date) * 100;
    const auto byPeriod = [](const HistoryRow& row, int period) { return row.period < period; };
    auto row = std::lower_bound(rows.begin(), rows.end(), first, byPeriod);
    const auto end = std::lower_bound(row, rows.end(), first + 100, byPeriod);
    std::vector<int> missing;
    for (int expected = row == end ? 0 : row->period; row != end; ++row) {
        for (; expected < row->period; ++expected) missing.push_back(expected);
        expected = row->period + 1;
    }
    return missing;
}

size_t rowsBefore(const std::vector<HistoryRow>& rows, Date start) {
    const int first = dayNumber(start);
    size_t count = 0;
    while (count < rows.size() && rows[count].period / 100 < first) ++count;
    return count;
}

bool drawNumberFitsGame(int drawOfDay, Game game) {
    return drawOfDay >= 1 && drawOfDay <= largestDrawNumber(game);
}

DayTable readDayTable(const std::vector<std::vector<std::string>>& rows, Game game, Date date,
                      int newestStored) {
    const size_t idLength = showsEightDigitIds(game) ? 8 : 10;
    const int today = dayNumber(date);
    std::set<int> conflicting; // periods listed with two different draws
    DayTable table;
    size_t fitting = 0;
    for (size_t r = 1; r < rows.size(); ++r) {
        const auto& cells = rows[r];
        std::string id, numbersText;
        for (size_t c = 1; c + 1 < cells.size(); ++c) {
            const std::string text = trimmed(cells[c]);
            if (text.empty()) continue;
            (characters(text) <= idLength ? id : numbersText) = text;
        }
        if (id.empty() && numbersText.empty()) continue; // a spacer row
        Numbers listedNumbers{};
        const bool numbersRead = readNumbers(numbersText, listedNumbers);
        if (allDigits(id) || numbersRead) ++table.listed;
        // Five equal numbers (00 00 00 00 00) stand for a draw not made yet on some sites: no
        // sign of another lottery.
        const bool placeholder = std::all_of(listedNumbers.begin(), listedNumbers.end(),
                                             [&](int n) { return n == listedNumbers[0]; });
        if (numbersRead && !placeholder) {
            ++table.withNumbers;
            if (!soundNumbers(listedNumbers)) ++table.unsoundNumbers;
        }
        if (id.empty()) {
            table.skipped.push_back({rowText(cells), "这一行没有期号"});
            continue;
        }
        if (!allDigits(id) || id.size() != idLength) {
            table.skipped.push_back({excerpt(id), "期号无法读出"});
            continue;
        }
        const int listed = std::stoi(id.substr(id.size() - 8));
        if (drawNumberFitsGame(listed % 100, game)) ++fitting;
        if (listed / 100 != today) {
            table.skipped.push_back({id, "期号不是" + isoDay(date) + "这一天的"});
            continue;
        }
        const int drawOfDay = listed % 100;
        const int period = today * 100 + drawOfDay;
        if (period <= newestStored) continue; // held already
        if (drawOfDay < 1) {
            table.skipped.push_back({id, "当天期数不能是00"});
            continue;
        }
        if (!drawNumberFitsGame(drawOfDay, game)) {
            table.skipped.push_back({id, "当天第" + std::to_string(drawOfDay) + "期超过了" +
                                             gameName(game) + "每天最多的" +
                                             std::to_string(largestDrawNumber(game)) + "期"});
            continue;
        }
        ListedDraw draw{period, {}};
        if (!readNumbers(numbersText, draw.numbers)) {
            table.skipped.push_back({id, "开奖号码无法读出（" + excerpt(numbersText) + "）"});
            continue;
        }
        if (!soundNumbers(draw.numbers)) {
            table.skipped.push_back(
                {id, "开奖号码不是01到11之间互不相同的五个号码（" + excerpt(numbersText) + "）"});
            continue;
        }
        const auto same = std::find_if(table.draws.begin(), table.draws.end(),
                                       [&](const ListedDraw& d) { return d.period == period; });
        if (same == table.draws.end()) {
            if (!conflicting.count(period)) table.draws.push_back(draw);
            continue;
        }
        // Listed twice alike is one draw; listed twice with different numbers, neither listing
        // can be trusted: the one the site means is not known, so neither is stored.
        if (same->numbers == draw.numbers) continue;
        table.skipped.push_back({id, "同一期列出了两次，号码不同（" + drawText(same->numbers) +
                                         "与" + drawText(draw.numbers) + "），两次都没有存入"});
        conflicting.insert(period);
        table.draws.erase(same);
    }
    std::sort(table.draws.begin(), table.draws.end(),
              [](const ListedDraw& a, const ListedDraw& b) { return a.period < b.period; });
    table.otherGame = table.listed > 0 && fitting == 0;
    return table;
}

bool firstRowNamesEarlierDraw(platform::Database& db) {
    auto first = db.prepare("SELECT " + attributeColumn(1, Number, "S") + ", " +
                            textColumn(false, -1) + " FROM Lishi ORDER BY SQQH, ID LIMIT 1");
    if (!first.step()) return false;
    return first.intAt(0) != 0 || (!first.isNullAt(1) && !first.textAt(1).empty());
}

void detachFirstRows(platform::Database& db) {
    std::vector<std::int64_t> ids;
    auto first = db.prepare("SELECT ID FROM Lishi ORDER BY SQQH, ID LIMIT 2");
    while (first.step()) ids.push_back(first.int64At(0));
    // A text column the storing path left unset stays unset.
    const auto emptied = [](const std::string& column) {
        return column + " = CASE WHEN " + column + " IS NULL THEN NULL ELSE '' END";
    };
    std::string twoBack;
    for (int kind = 0; kind < kKinds; ++kind)
        for (int p = 1; p <= kPositions; ++p)
            twoBack += (twoBack.empty() ? "" : ", ") + attributeColumn(p, kind, "P") + " = 0";
    for (int kind = -1; kind < kKinds; ++kind) twoBack += ", " + emptied(textColumn(true, kind));
    std::string previous = twoBack;
    for (int kind = 0; kind < kKinds; ++kind)
        for (int p = 1; p <= kPositions; ++p)
            previous += ", " + attributeColumn(p, kind, "S") + " = 0";
    for (int kind = -1; kind < kKinds; ++kind) previous += ", " + emptied(textColumn(false, kind));
    for (size_t i = 0; i < ids.size(); ++i) {
        auto clear =
            db.prepare("UPDATE Lishi SET " + (i == 0 ? previous : twoBack) + " WHERE ID = ?1");
        clear.bind(1, ids[i]);
        clear.run();
    }
}

namespace {

// Stores the draws (ascending) after the stored draws before the first of them; the stored draws
// from the first on go after it again, each at its place among the new ones. Throws PeriodTaken
// (nothing stored) when a period is stored already.
void storeInOrder(platform::Database& db, Zodiac& zodiac, int segmentBase,
                  const std::vector<ListedDraw>& draws) {
    if (draws.empty()) return;
    const int first = draws.front().period;
    std::vector<ListedDraw> all;
    for (const auto& row : loadRowsFrom(db, first)) {
        ListedDraw kept{row.period, {}};
        for (int p = 0; p < kPositions; ++p) kept.numbers[p] = row.numbers()[p];
        all.push_back(kept);
    }
    for (const auto& draw : draws) {
        const auto at =
            std::upper_bound(all.begin(), all.end(), draw.period,
                             [](int period, const ListedDraw& d) { return period < d.period; });
        if (at != all.begin() && std::prev(at)->period == draw.period)
            throw PeriodTaken("period " + std::to_string(draw.period) + " is stored already");
        all.insert(at, draw);
    }
    if (all.size() > draws.size()) {
        auto remove = db.prepare("DELETE FROM Lishi WHERE SQQH >= ?1");
        remove.bind(1, first);
        remove.run();
    }
    DrawAppender appender(db, zodiac, segmentBase, false);
    const auto before = loadNewestRows(db, 2, first);
    const size_t n = before.size();
    appender.seed(n >= 2 ? &before[n - 2].values : nullptr,
                  n >= 1 ? &before[n - 1].values : nullptr);
    for (const auto& draw : all) appender.append(draw.period, draw.numbers);
}

} // namespace

void storeUpdate(platform::Database& db, Zodiac& zodiac, int segmentBase,
                 std::optional<Date> pruneBefore, const std::vector<ListedDraw>& draws,
                 const std::vector<int>& daysWithoutDraws) {
    platform::Transaction transaction(db);
    if (pruneBefore) {
        auto prune = db.prepare("DELETE FROM Lishi WHERE SQQH < ?1");
        prune.bind(1, dayNumber(*pruneBefore) * 100);
        prune.run();
    }
    // After this removal, or one an earlier version made without clearing them.
    if (firstRowNamesEarlierDraw(db)) detachFirstRows(db);
    const std::string table = kDaysWithoutDraws;
    if (!daysWithoutDraws.empty())
        db.prepare("CREATE TABLE IF NOT EXISTS " + table + " (Day INTEGER PRIMARY KEY)").run();
    if (hasDaysTable(db)) {
        if (pruneBefore) {
            auto old = db.prepare("DELETE FROM " + table + " WHERE Day < ?1");
            old.bind(1, dayNumber(*pruneBefore));
            old.run();
        }
        for (int day : daysWithoutDraws) {
            if (pruneBefore && day < dayNumber(*pruneBefore)) continue;
            auto insert = db.prepare("INSERT OR IGNORE INTO " + table + " (Day) VALUES (?1)");
            insert.bind(1, day);
            insert.run();
        }
    }
    storeInOrder(db, zodiac, segmentBase, draws);
    transaction.commit();
}

void replaceDraws(platform::Database& db, Zodiac& zodiac, int segmentBase,
                  const std::vector<DifferingDraw>& draws) {
    if (draws.empty()) return;
    platform::Transaction transaction(db);
    int first = draws.front().period;
    for (const auto& draw : draws) first = std::min(first, draw.period);
    std::vector<ListedDraw> all;
    for (const auto& row : loadRowsFrom(db, first)) {
        ListedDraw kept{row.period, {}};
        for (int p = 0; p < kPositions; ++p) kept.numbers[p] = row.numbers()[p];
        all.push_back(kept);
    }
    for (const auto& draw : draws) {
        const auto at = std::find_if(all.begin(), all.end(),
                                     [&](const ListedDraw& d) { return d.period == draw.period; });
        if (at == all.end() || at->numbers != draw.stored)
            throw std::runtime_error("第" + tenDigit(draw.period) +
                                     "期已不是原来的号码（另一个操作刚改变了历史号码）");
        at->numbers = draw.listed;
    }
    auto remove = db.prepare("DELETE FROM Lishi WHERE SQQH >= ?1");
    remove.bind(1, first);
    remove.run();
    storeInOrder(db, zodiac, segmentBase, all);
    transaction.commit();
}

} // namespace history
