#include "history/history_table.h"

#include "history/period.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <unordered_set>

namespace history {

std::string attributeColumn(int position, int kind, const char* period) {
    return "L" + std::to_string(position) + kColumnLetter[kind] + period;
}

std::string textColumn(bool previous, int kind) {
    std::string name = previous ? "txtHisPreLst" : "txtHisLst";
    if (kind >= 0) name += kTextSuffix[kind];
    return name;
}

namespace {

struct ColumnDefinition {
    std::string name;
    std::string definition;
};

// Every column of Lishi with its definition, in table order.
const std::vector<ColumnDefinition>& lishiColumns() {
    static const std::vector<ColumnDefinition> columns = [] {
        std::vector<ColumnDefinition> c = {{"ID", "INTEGER PRIMARY KEY"},
                                           {"SQQH", "INTEGER NOT NULL"},
                                           {"QQH", "INTEGER"},
                                           {"strQQH", "TEXT"}};
        for (const char* period : {"", "S", "P"})
            for (int kind = 0; kind < kKinds; ++kind)
                for (int p = 1; p <= kPositions; ++p)
                    c.push_back({attributeColumn(p, kind, period), "INTEGER"});
        for (bool previous : {false, true})
            for (int kind = -1; kind < kKinds; ++kind)
                c.push_back({textColumn(previous, kind), "TEXT"});
        c.push_back({"intTh", "INTEGER DEFAULT 0"});
        c.push_back({"bolOk", "INTEGER DEFAULT 0"});
        c.push_back({"txtHisP6", "TEXT"});
        return c;
    }();
    return columns;
}

bool hasTable(platform::Database& db, const char* name) {
    auto stmt = db.prepare("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1 "
                           "COLLATE NOCASE");
    stmt.bind(1, std::string_view(name));
    return stmt.step();
}

// The expected columns a table lacks.
std::vector<std::string> missingColumns(platform::Database& db, const char* table,
                                        const std::vector<std::string>& expected) {
    std::vector<std::string> have;
    auto info = db.prepare("SELECT name FROM pragma_table_info(?1)");
    info.bind(1, std::string_view(table));
    while (info.step()) have.push_back(info.textAt(0));
    std::vector<std::string> missing;
    for (const auto& name : expected) {
        const bool found = std::any_of(have.begin(), have.end(), [&](const std::string& h) {
            return h.size() == name.size() &&
                   std::equal(h.begin(), h.end(), name.begin(), [](char a, char b) {
                       return std::tolower(static_cast<unsigned char>(a)) ==
                              std::tolower(static_cast<unsigned char>(b));
                   });
        });
        if (!found) missing.push_back(name);
    }
    return missing;
}

std::string joined(const std::vector<std::string>& names, size_t most) {
    std::string text;
    for (size_t i = 0; i < names.size() && i < most; ++i) text += (i ? "、" : "") + names[i];
    if (names.size() > most) text += "等" + std::to_string(names.size()) + "列";
    return text;
}

} // namespace

std::string foreignSchemaProblem(platform::Database& db) {
    if (!hasTable(db, "Lishi")) {
        auto any = db.prepare("SELECT 1 FROM sqlite_master LIMIT 1");
        if (any.step()) return "文件中有别的数据表，却没有历史号码表Lishi";
        return {}; // an empty file: a new database
    }
    std::vector<std::string> expected;
    for (const auto& column : lishiColumns()) expected.push_back(column.name);
    if (const auto missing = missingColumns(db, "Lishi", expected); !missing.empty())
        return "历史号码表Lishi缺少" + joined(missing, 5);
    if (hasTable(db, "Carcu")) {
        if (const auto missing = missingColumns(db, "Carcu", {"Nmb", "Count"}); !missing.empty())
            return "统计表Carcu缺少" + joined(missing, 5);
    }
    return {};
}

void createTables(platform::Database& db, bool withIndex) {
    std::string sql = "CREATE TABLE IF NOT EXISTS Lishi (";
    for (const auto& column : lishiColumns())
        sql += (column.name == "ID" ? "" : ", ") + column.name + " " + column.definition;
    db.exec(sql + ")");
    if (withIndex) createHistoryIndex(db);
    db.exec("CREATE TABLE IF NOT EXISTS Carcu (Nmb INTEGER, Count INTEGER)");
}

void createHistoryIndex(platform::Database& db) {
    db.exec("CREATE INDEX IF NOT EXISTS LishiBySQQH ON Lishi (SQQH, ID)");
}

namespace {

bool inViewOrder(const HistoryRow& a, const HistoryRow& b) {
    return a.period < b.period || (a.period == b.period && a.id < b.id);
}

bool idsAscending(const std::vector<HistoryRow>& rows) {
    return std::is_sorted(rows.begin(), rows.end(),
                          [](const HistoryRow& a, const HistoryRow& b) { return a.id < b.id; });
}

bool soundPeriod(platform::Statement& stmt, int column) {
    if (!stmt.isIntegerAt(column)) return false;
    const std::int64_t period = stmt.int64At(column);
    return period >= 1 && period <= 99999999 && period % 100 != 0;
}

// A stored value as the copy of a damaged row shows it: numbers of 0..99 in two digits, as the
// text format writes them, anything else as it is.
std::string storedText(platform::Statement& stmt, int column) {
    if (stmt.isNullAt(column)) return "NULL";
    if (stmt.isIntegerAt(column)) {
        const std::int64_t n = stmt.int64At(column);
        if (n >= 0 && n <= 99) return (n < 10 ? "0" : "") + std::to_string(n);
    }
    return stmt.textAt(column);
}

// The row a statement selecting "ID, SQQH, QQH" and the five number columns stands on, checked
// for damage: numbers that are not of 1..11 are taken as 0, so that no reader indexes by them.
HistoryRow checkedRowWithNumbers(platform::Statement& stmt, size_t place,
                                 std::vector<DamagedRow>* damaged) {
    HistoryRow row;
    row.id = stmt.int64At(0);
    const bool periodSound = soundPeriod(stmt, 1);
    // A damaged period keeps its place in the order where it can (SQL orders it so too).
    const std::int64_t period = stmt.isIntegerAt(1) ? stmt.int64At(1) : 0;
    row.period = period >= INT32_MIN && period <= INT32_MAX ? static_cast<std::int32_t>(period) : 0;
    row.nextPeriod = stmt.intAt(2);
    unsigned seen = 0;
    bool numbersSound = true;
    for (int p = 0; p < kPositions; ++p) {
        const int column = 3 + p;
        const std::int64_t n = stmt.isIntegerAt(column) ? stmt.int64At(column) : 0;
        const bool inRange = n >= 1 && n <= 11;
        if (!inRange || (seen & (1u << n))) numbersSound = false;
        if (inRange) seen |= 1u << n;
        row.values[Number][p] = static_cast<std::int16_t>(inRange ? n : 0);
    }
    if ((!periodSound || !numbersSound) && damaged) {
        DamagedRow d;
        d.id = row.id;
        d.place = place;
        d.kind = periodSound ? Damage::Numbers : Damage::Period;
        d.period = row.period;
        d.stored = storedText(stmt, 1);
        for (int p = 0; p < kPositions; ++p) d.stored += " " + storedText(stmt, 3 + p);
        damaged->push_back(std::move(d));
    }
    return row;
}

// The row a statement selecting "ID, SQQH, QQH" and the five number columns stands on.
HistoryRow rowWithNumbers(platform::Statement& stmt) {
    HistoryRow row;
    row.id = stmt.int64At(0);
    row.period = stmt.intAt(1);
    row.nextPeriod = stmt.intAt(2);
    for (int p = 0; p < kPositions; ++p)
        row.values[Number][p] = static_cast<std::int16_t>(stmt.intAt(3 + p));
    return row;
}

} // namespace

std::string describeDamagedRows(const std::vector<DamagedRow>& rows, size_t most) {
    std::string text;
    for (size_t i = 0; i < rows.size() && i < most; ++i) {
        const DamagedRow& row = rows[i];
        if (i) text += "，";
        switch (row.kind) {
        case Damage::Numbers:
            text += "第" + eightDigit(row.period) + "期的号码已损坏";
            break;
        case Damage::Period:
            text += "历史号码表第" + std::to_string(row.place) + "行的期号已损坏";
            break;
        case Damage::StoredTwice:
            text += "第" + eightDigit(row.period) + "期存了两次（历史号码表第" +
                    std::to_string(row.place) + "行）";
            break;
        case Damage::OutOfOrder:
            text += "第" + eightDigit(row.period) + "期在第" + eightDigit(row.storedAfter) +
                    "期之后才存入";
            break;
        }
    }
    if (rows.size() > most) text += "，等" + std::to_string(rows.size()) + "行";
    return text;
}

namespace {

bool soundDraw(const HistoryRow& row) {
    if (row.period < 1 || row.period > 99999999 || row.period % 100 == 0) return false;
    unsigned seen = 0;
    for (int n : row.numbers()) {
        if (n < 1 || n > 11 || (seen & (1u << n))) return false;
        seen |= 1u << n;
    }
    return true;
}

} // namespace

void findMisplacedRows(const std::vector<HistoryRow>& rows, std::vector<DamagedRow>& damaged) {
    // The stored order is that of the IDs; rows in memory are usually in it already.
    std::vector<const HistoryRow*> stored;
    stored.reserve(rows.size());
    for (const auto& row : rows) stored.push_back(&row);
    if (!idsAscending(rows))
        std::sort(stored.begin(), stored.end(),
                  [](const HistoryRow* a, const HistoryRow* b) { return a->id < b->id; });
    std::unordered_set<std::int64_t> listed;
    for (const auto& d : damaged) listed.insert(d.id);
    const auto counts = [&](const HistoryRow& row) {
        return soundDraw(row) && (listed.empty() || !listed.count(row.id));
    };
    // Periods that only grow, as draws are stored, need no more look.
    std::int32_t latest = 0;
    bool growing = true;
    for (const HistoryRow* row : stored) {
        if (!counts(*row)) continue;
        if (row->period <= latest) {
            growing = false;
            break;
        }
        latest = row->period;
    }
    if (growing) return;
    std::unordered_set<std::int32_t> seen;
    latest = 0;
    const size_t before = damaged.size();
    for (size_t i = 0; i < stored.size(); ++i) {
        const HistoryRow& row = *stored[i];
        if (!counts(row)) continue;
        DamagedRow d;
        d.id = row.id;
        d.place = i + 1;
        d.period = row.period;
        if (!seen.insert(row.period).second) {
            d.kind = Damage::StoredTwice;
        } else if (row.period < latest) {
            d.kind = Damage::OutOfOrder;
            d.storedAfter = latest;
        } else {
            latest = row.period;
            continue;
        }
        d.stored = eightDigit(row.period);
        for (int n : row.numbers()) d.stored += " " + format00(n);
        damaged.push_back(std::move(d));
    }
    if (damaged.size() > before)
        std::sort(damaged.begin(), damaged.end(),
                  [](const DamagedRow& a, const DamagedRow& b) { return a.place < b.place; });
}

std::vector<HistoryRow> loadHistory(platform::Database& db, bool allKinds,
                                    std::vector<DamagedRow>* damaged) {
    // Draws are stored in the order of their periods, so the table read in ID order is the
    // ordered view already, without a lookup per row through the index. Rows stored out of
    // order are put in order here.
    std::string sql = "SELECT ID, SQQH, QQH";
    for (int p = 1; p <= kPositions; ++p) sql += ", " + attributeColumn(p, Number);
    sql += " FROM Lishi ORDER BY ID";

    std::vector<HistoryRow> rows;
    {
        auto count = db.prepare("SELECT COUNT(*) FROM Lishi");
        if (count.step()) rows.reserve(static_cast<size_t>(count.int64At(0)));
    }
    if (damaged) damaged->clear();
    auto stmt = db.prepare(sql);
    while (stmt.step()) rows.push_back(checkedRowWithNumbers(stmt, rows.size() + 1, damaged));
    if (damaged) findMisplacedRows(rows, *damaged);
    if (!std::is_sorted(rows.begin(), rows.end(), inViewOrder))
        std::sort(rows.begin(), rows.end(), inViewOrder);
    if (allKinds)
        for (int kind = 1; kind < kKinds; ++kind) loadKindValues(db, kind, rows);
    return rows;
}

std::vector<HistoryRow> loadNewestRows(platform::Database& db, int count, int before) {
    std::string sql = "SELECT ID, SQQH, QQH";
    for (int kind = 0; kind < kKinds; ++kind)
        for (int p = 1; p <= kPositions; ++p) sql += ", " + attributeColumn(p, kind);
    sql += " FROM Lishi WHERE SQQH < ?2 ORDER BY SQQH DESC, ID DESC LIMIT ?1";
    auto stmt = db.prepare(sql);
    stmt.bind(1, count);
    stmt.bind(2, before);
    std::vector<HistoryRow> rows;
    while (stmt.step()) {
        HistoryRow row;
        row.id = stmt.int64At(0);
        row.period = stmt.intAt(1);
        row.nextPeriod = stmt.intAt(2);
        int column = 3;
        for (int kind = 0; kind < kKinds; ++kind)
            for (int p = 0; p < kPositions; ++p)
                row.values[kind][p] = static_cast<std::int16_t>(stmt.intAt(column++));
        rows.insert(rows.begin(), row);
    }
    return rows;
}

std::vector<HistoryRow> loadRowsFrom(platform::Database& db, int from) {
    std::string sql = "SELECT ID, SQQH, QQH";
    for (int p = 1; p <= kPositions; ++p) sql += ", " + attributeColumn(p, Number);
    sql += " FROM Lishi WHERE SQQH >= ?1 ORDER BY SQQH, ID";
    auto stmt = db.prepare(sql);
    stmt.bind(1, from);
    std::vector<HistoryRow> rows;
    while (stmt.step()) rows.push_back(rowWithNumbers(stmt));
    return rows;
}

void loadKindValues(platform::Database& db, int kind, std::vector<HistoryRow>& rows) {
    std::string sql = "SELECT ID";
    for (int p = 1; p <= kPositions; ++p) sql += ", " + attributeColumn(p, kind);
    // In ID order when that is the order of rows (as it is unless draws were stored out of order).
    sql += idsAscending(rows) ? " FROM Lishi ORDER BY ID" : " FROM Lishi ORDER BY SQQH, ID";
    auto stmt = db.prepare(sql);
    size_t r = 0;
    while (stmt.step()) {
        if (r >= rows.size() || rows[r].id != stmt.int64At(0))
            throw platform::DbError("读取时历史号码被另一个程序改动了");
        for (int p = 0; p < kPositions; ++p)
            rows[r].values[kind][p] = static_cast<std::int16_t>(stmt.intAt(1 + p));
        ++r;
    }
}

void deleteAllDraws(platform::Database& db) {
    db.exec("DELETE FROM Lishi");
}

bool deleteNewestDraw(platform::Database& db) {
    db.exec("DELETE FROM Lishi WHERE ID = "
            "(SELECT ID FROM Lishi ORDER BY SQQH DESC, ID DESC LIMIT 1)");
    return db.changes() > 0;
}

} // namespace history
