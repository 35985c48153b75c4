#include "history/history_table.h"

namespace history {

std::string attributeColumn(int position, int kind, const char* period) {
    return "L" + std::to_string(position) + kColumnLetter[kind] + period;
}

std::string textColumn(bool previous, int kind) {
    std::string name = previous ? "txtHisPreLst" : "txtHisLst";
    if (kind >= 0) name += kTextSuffix[kind];
    return name;
}

void createTables(platform::Database& db) {
    std::string sql = "CREATE TABLE IF NOT EXISTS Lishi (ID INTEGER PRIMARY KEY, "
                      "SQQH INTEGER NOT NULL, QQH INTEGER, strQQH TEXT";
    for (const char* period : {"", "S", "P"})
        for (int kind = 0; kind < kKinds; ++kind)
            for (int p = 1; p <= kPositions; ++p)
                sql += ", " + attributeColumn(p, kind, period) + " INTEGER";
    for (bool previous : {false, true})
        for (int kind = -1; kind < kKinds; ++kind)
            sql += ", " + textColumn(previous, kind) + " TEXT";
    sql += ", intTh INTEGER DEFAULT 0, bolOk INTEGER DEFAULT 0, txtHisP6 TEXT)";
    db.exec(sql);
    db.exec("CREATE INDEX IF NOT EXISTS LishiBySQQH ON Lishi (SQQH, ID)");
    db.exec("CREATE TABLE IF NOT EXISTS Carcu (Nmb INTEGER, Count INTEGER)");
}

std::vector<HistoryRow> loadHistory(platform::Database& db, bool allKinds) {
    std::string sql = "SELECT ID, SQQH, QQH";
    for (int p = 1; p <= kPositions; ++p) sql += ", " + attributeColumn(p, Number);
    sql += " FROM Lishi ORDER BY SQQH, ID";

    std::vector<HistoryRow> rows;
    {
        auto count = db.prepare("SELECT COUNT(*) FROM Lishi");
        if (count.step()) rows.reserve(static_cast<size_t>(count.int64At(0)));
    }
    auto stmt = db.prepare(sql);
    while (stmt.step()) {
        HistoryRow row;
        row.id = stmt.int64At(0);
        row.period = stmt.intAt(1);
        row.nextPeriod = stmt.intAt(2);
        for (int p = 0; p < kPositions; ++p)
            row.values[Number][p] = static_cast<std::int16_t>(stmt.intAt(3 + p));
        rows.push_back(row);
    }
    if (allKinds)
        for (int kind = 1; kind < kKinds; ++kind) loadKindValues(db, kind, rows);
    return rows;
}

std::vector<HistoryRow> loadNewestRows(platform::Database& db, int count) {
    std::string sql = "SELECT ID, SQQH, QQH";
    for (int kind = 0; kind < kKinds; ++kind)
        for (int p = 1; p <= kPositions; ++p) sql += ", " + attributeColumn(p, kind);
    sql += " FROM Lishi ORDER BY SQQH DESC, ID DESC LIMIT ?1";
    auto stmt = db.prepare(sql);
    stmt.bind(1, count);
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

void loadKindValues(platform::Database& db, int kind, std::vector<HistoryRow>& rows) {
    std::string sql = "SELECT ID";
    for (int p = 1; p <= kPositions; ++p) sql += ", " + attributeColumn(p, kind);
    sql += " FROM Lishi ORDER BY SQQH, ID";
    auto stmt = db.prepare(sql);
    size_t r = 0;
    while (stmt.step()) {
        if (r >= rows.size() || rows[r].id != stmt.int64At(0))
            throw platform::DbError("the history changed while it was read");
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
