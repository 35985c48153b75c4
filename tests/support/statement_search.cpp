#include "support/statement_search.h"

#include "history/attributes.h"
#include "history/history_table.h"
#include "search/combinations.h"

#include <map>
#include <optional>
#include <string>

namespace testing_support {

namespace {

using history::attributeColumn;
using history::textColumn;

struct Row {
    std::int64_t id;
    std::optional<std::int64_t> value;
    std::optional<std::string> text;
};

std::vector<Row> orderedRows(platform::Database& db, const std::string& valueColumn,
                             const std::string& textColumnName) {
    auto stmt = db.prepare("SELECT ID, " + valueColumn + ", " + textColumnName +
                           " FROM Lishi ORDER BY SQQH, ID");
    std::vector<Row> rows;
    while (stmt.step()) {
        Row row{stmt.int64At(0), {}, {}};
        if (!stmt.isNullAt(1)) row.value = stmt.int64At(1);
        if (!stmt.isNullAt(2)) row.text = stmt.textAt(2);
        rows.push_back(row);
    }
    return rows;
}

void setText(platform::Database& db, const std::string& column, std::int64_t id,
             const std::optional<std::string>& text) {
    auto stmt = db.prepare("UPDATE Lishi SET " + column + " = ?1 WHERE ID = ?2");
    if (text)
        stmt.bind(1, std::string_view(*text));
    else
        stmt.bindNull(1);
    stmt.bind(2, id).run();
}

void setValue(platform::Database& db, const std::string& column, std::int64_t id,
              const std::optional<std::int64_t>& value) {
    auto stmt = db.prepare("UPDATE Lishi SET " + column + " = ?1 WHERE ID = ?2");
    if (value)
        stmt.bind(1, *value);
    else
        stmt.bindNull(1);
    stmt.bind(2, id).run();
}

// Free position, 前期: the token field and the display field of the draw N back, through a
// delay line over the ordered rows. The first row keeps its display text.
void freeRewrite(platform::Database& db, int kind, int n) {
    const auto tokens = orderedRows(db, "0", textColumn(false, kind));
    const auto plain = orderedRows(db, "0", "txtHisLst");
    for (size_t r = 0; r < tokens.size(); ++r) {
        const std::int64_t id = tokens[r].id;
        if (static_cast<int>(r) >= n - 1) {
            setText(db, textColumn(true, kind), id, tokens[r - (n - 1)].text);
            if (r > 0) setText(db, "txtHisPreLst", id, plain[r - (n - 1)].text);
        } else if (r >= 1) {
            setText(db, textColumn(true, kind), id, std::string());
            setText(db, "txtHisPreLst", id, std::string());
        }
    }
}

// Fixed position: the comparison field of one position, 上期 or 前期 with distance N. The
// combination search leaves the first row alone in its 前期 pass.
void fixedRewrite(platform::Database& db, int p, int kind, bool lastPeriod, int n,
                  bool combination) {
    const auto rows = orderedRows(db, attributeColumn(p, kind), "txtHisLst");
    const std::string target = attributeColumn(p, kind, lastPeriod ? "S" : "P");
    for (size_t r = 0; r < rows.size(); ++r) {
        const std::int64_t id = rows[r].id;
        if (lastPeriod) {
            setValue(db, target, id, r == 0 ? std::optional<std::int64_t>(0) : rows[r - 1].value);
            continue;
        }
        if (combination && r == 0) continue;
        const int ri = static_cast<int>(r);
        setValue(db, target, id,
                 ri >= n ? rows[r - static_cast<size_t>(n)].value : std::optional<std::int64_t>(0));
        if (ri >= n - 1 && r > 0)
            setText(db, "txtHisPreLst", id, rows[r - static_cast<size_t>(n - 1)].text);
        else if (r >= 1)
            setText(db, "txtHisPreLst", id, std::string());
    }
}

void raiseWhereLike(platform::Database& db, const std::string& field, const std::string& token) {
    auto stmt = db.prepare("UPDATE Lishi SET intTh = (intTh + 1) WHERE " + field +
                           " LIKE '%' || ?1 || '%'");
    stmt.bind(1, std::string_view(token)).run();
}

void raiseWhereEqual(platform::Database& db, const std::string& field, int target) {
    db.exec("UPDATE Lishi SET intTh = (intTh + 1) WHERE " + field + " = " + std::to_string(target));
}

struct Counters {
    int low, high;
    std::map<int, int> count;
    bool has(int v) const { return v >= low && v <= high; }
};

StatementSearchResult showSearchResult(platform::Database& db, const search::SearchRequest& r,
                                       const std::string& condition) {
    StatementSearchResult result;
    const char* letter = history::kColumnLetter[r.resultKind];
    std::string sql = "SELECT ID";
    for (int p = 1; p <= 5; ++p) sql += ", L" + std::to_string(p) + letter;
    sql += " FROM Lishi WHERE SQQH >= " + std::to_string(r.spanStart) +
           " AND  SQQH <= " + std::to_string(r.spanEnd) + " AND " + condition +
           " ORDER BY SQQH, ID";
    auto hits = db.prepare(sql);
    static const int lows[] = {1, 0, 0, 0, 1, 0}, highs[] = {11, 12, 3, 9, 11, 3};
    std::map<int, std::int64_t> tally;
    while (hits.step()) {
        result.hitIds.push_back(hits.int64At(0));
        for (int c = 1; c <= 5; ++c) {
            const int v = hits.intAt(c);
            if (v >= lows[r.resultKind] && v <= highs[r.resultKind]) ++tally[v];
        }
    }
    int low = 1, high = 11;
    switch (static_cast<int>(r.resultKind)) {
    case 1:
        low = r.zodiacBase, high = r.zodiacBase + 11;
        break;
    case 2:
        low = 0, high = 1;
        break;
    case 3:
        low = 0, high = 9;
        break;
    case 4:
        low = 1, high = 9;
        break;
    case 5:
        low = r.segmentBase, high = r.segmentBase + 2;
        break;
    }
    db.exec("DELETE FROM Carcu");
    for (int v = low; v <= high; ++v) {
        db.exec("INSERT INTO Carcu (Nmb, Count) VALUES (" + std::to_string(v) + ", " +
                std::to_string(tally[v]) + ")");
    }
    auto carcu = db.prepare("SELECT Nmb, Count FROM Carcu ORDER BY Count DESC, Nmb");
    while (carcu.step()) result.carcu.emplace_back(carcu.intAt(0), carcu.int64At(1));
    return result;
}

} // namespace

StatementSearchResult runStatementSearch(platform::Database& db, const search::SearchRequest& r) {
    const int kind = r.kind;
    const std::string period = r.lastPeriod() ? "S" : "P";
    const std::string field = textColumn(!r.lastPeriod(), kind);

    if (!r.combination()) {
        if (r.freePosition() && !r.lastPeriod()) freeRewrite(db, kind, r.distance);
        int posCount = 0;
        db.exec("UPDATE Lishi SET intTh=0");
        static const int lows[] = {1, 0, 0, 0, 1, 0}, highs[] = {0, 12, 1, 9, 11, 3};
        Counters counters{lows[kind], highs[kind], {}};
        for (int p = 1; p <= 5; ++p) {
            if (!r.positions[p - 1]) continue;
            const int v = r.targets[p - 1];
            if (r.freePosition()) {
                ++posCount;
                if (kind == history::Number) {
                    raiseWhereLike(db, field, history::format00(v));
                } else if (counters.has(v)) {
                    raiseWhereLike(db, field, history::countedToken(kind, ++counters.count[v], v));
                }
            } else {
                fixedRewrite(db, p, kind, r.lastPeriod(), r.distance, false);
                ++posCount;
                raiseWhereEqual(db, attributeColumn(p, kind, period.c_str()), v);
            }
        }
        return showSearchResult(db, r, "intTh = " + std::to_string(posCount));
    }

    const int k = r.combinationSize;
    const auto combinations = search::positionCombinations(k);
    if (r.freePosition() && !r.lastPeriod()) freeRewrite(db, kind, r.distance);
    db.exec("UPDATE Lishi SET bolOk= FALSE");
    if (r.freePosition()) {
        db.exec("UPDATE Lishi SET txtHisP6= " + field);
        static const int lows[] = {0, 0, 0, 0, 1, 0}, highs[] = {11, 12, 1, 9, 11, 5};
        Counters counters{lows[kind], highs[kind], {}};
        int resetLow = 1, resetHigh = 11;
        switch (kind) {
        case 1:
            resetLow = r.zodiacBase, resetHigh = r.zodiacBase + 11;
            break;
        case 2:
            resetLow = 0, resetHigh = 1;
            break;
        case 3:
            resetLow = 0, resetHigh = 9;
            break;
        case 5:
            resetLow = r.segmentBase, resetHigh = r.segmentBase + 2;
            break;
        }
        for (const auto& combination : combinations) {
            for (int v = resetLow; v <= resetHigh; ++v) counters.count[v] = 0;
            db.exec("UPDATE Lishi SET intTh=0");
            for (int p : combination)
                if (counters.has(r.targets[p - 1])) ++counters.count[r.targets[p - 1]];
            for (int p : combination) {
                const int v = r.targets[p - 1];
                if (counters.has(v))
                    raiseWhereLike(db, "txtHisP6",
                                   history::countedToken(kind, counters.count[v], v));
            }
            db.exec("UPDATE Lishi SET bolOk= TRUE WHERE intTh = " + std::to_string(k));
        }
    } else {
        for (int p = 1; p <= 5; ++p) fixedRewrite(db, p, kind, r.lastPeriod(), r.distance, true);
        for (const auto& combination : combinations) {
            db.exec("UPDATE Lishi SET intTh=0");
            for (int p : combination)
                raiseWhereEqual(db, attributeColumn(p, kind, period.c_str()), r.targets[p - 1]);
            db.exec("UPDATE Lishi SET bolOk= TRUE WHERE intTh = " + std::to_string(k));
        }
    }
    return showSearchResult(db, r, "bolOk= TRUE");
}

std::vector<std::string> dumpTables(platform::Database& db) {
    std::vector<std::string> lines;
    for (const char* sql :
         {"SELECT * FROM Lishi ORDER BY ID", "SELECT * FROM Carcu ORDER BY rowid"}) {
        auto stmt = db.prepare(sql);
        while (stmt.step()) {
            std::string line;
            for (int c = 0; c < stmt.columnCount(); ++c)
                line += (stmt.isNullAt(c) ? std::string("<null>") : stmt.textAt(c)) + "|";
            lines.push_back(line);
        }
    }
    return lines;
}

} // namespace testing_support
