#include "search/search_state.h"

#include "history/attributes.h"
#include "history/history_table.h"
#include "search/hit_finder.h"

#include <algorithm>
#include <string>
#include <vector>

namespace search {

namespace {

// Builds one UPDATE over the ordered view: stage `o` reads each row with the values N rows back
// (window functions), stage `n` computes the rewritten fields, stage `f` the working columns
// from them; the update writes the rows where any of them differs.
class StateStatement {
  public:
    std::string sql() const;
    const std::vector<std::string>& parameters() const { return parameters_; }

    void read(const std::string& expression, const std::string& as) {
        reads_.push_back(expression + " AS " + as);
    }
    void rewrite(const std::string& column, const std::string& expression) {
        rewrites_.push_back({column, expression});
    }
    void work(const std::string& column, const std::string& expression) {
        works_.push_back({column, expression});
    }
    std::string parameter(const std::string& value) {
        parameters_.push_back(value);
        return "?" + std::to_string(parameters_.size());
    }

  private:
    std::vector<std::string> reads_;
    std::vector<std::pair<std::string, std::string>> rewrites_;
    std::vector<std::pair<std::string, std::string>> works_;
    std::vector<std::string> parameters_;
};

std::string StateStatement::sql() const {
    std::string o = "SELECT ID, ROW_NUMBER() OVER w - 1 AS r";
    for (const auto& read : reads_) o += ", " + read;
    o += " FROM Lishi WINDOW w AS (ORDER BY SQQH, ID)";
    std::string n = "SELECT *";
    for (const auto& [column, expression] : rewrites_) n += ", " + expression + " AS new_" + column;
    n += " FROM o";
    std::string f = "SELECT *";
    for (const auto& [column, expression] : works_) f += ", " + expression + " AS new_" + column;
    f += " FROM n";

    std::string set, differs;
    auto add = [&](const std::string& column) {
        set += (set.empty() ? "" : ", ") + column + " = f.new_" + column;
        differs +=
            (differs.empty() ? "" : " OR ") + ("Lishi." + column) + " IS NOT f.new_" + column;
    };
    for (const auto& rewrite : rewrites_) add(rewrite.first);
    for (const auto& work : works_) add(work.first);
    return "WITH o AS (" + o + "), n AS (" + n + "), f AS (" + f + ") UPDATE Lishi SET " + set +
           " FROM f WHERE Lishi.ID = f.ID AND (" + differs + ")";
}

std::string number(int value) {
    return std::to_string(value);
}

} // namespace

void writeTally(platform::Database& db, const Tally& tally) {
    db.exec("DELETE FROM Carcu");
    auto insert = db.prepare("INSERT INTO Carcu (Nmb, Count) VALUES (?1, ?2)");
    for (const auto& row : tally.byValue) {
        insert.bind(1, row.value).bind(2, row.count);
        insert.run();
    }
}

void writeSearchState(platform::Database& db, const SearchRequest& r, const Tally& tally) {
    using history::attributeColumn;
    using history::textColumn;
    StateStatement s;
    const int kind = r.kind;
    const int n = r.distance;
    const char* period = r.lastPeriod ? "S" : "P";
    const auto sets = positionSets(r);

    // Fixed position: the comparison field of each compared position, rewritten.
    std::vector<bool> rewritten(6, false);
    if (!r.freePosition) {
        for (int p = 1; p <= 5; ++p) rewritten[p] = r.combination || r.positions[p - 1];
        for (int p = 1; p <= 5; ++p) {
            if (!rewritten[p]) continue;
            const std::string source = attributeColumn(p, kind);
            const std::string target = attributeColumn(p, kind, period);
            const std::string lag = "lag" + number(p);
            s.read("LAG(" + source + ", " + number(r.lastPeriod ? 1 : n) + ") OVER w", lag);
            if (r.lastPeriod) {
                s.rewrite(target, "CASE WHEN r = 0 THEN 0 ELSE " + lag + " END");
            } else if (r.combination) {
                s.read(target, "cur" + number(p)); // the first row keeps its own
                s.rewrite(target, "CASE WHEN r >= " + number(n) + " THEN " + lag +
                                      " WHEN r = 0 THEN cur" + number(p) + " ELSE 0 END");
            } else {
                s.rewrite(target, "CASE WHEN r >= " + number(n) + " THEN " + lag + " ELSE 0 END");
            }
        }
    }

    // 前期: the display field (and in free mode the token field) of the draw N back. The first
    // row keeps its display text.
    const bool anyRewritten =
        std::find(rewritten.begin(), rewritten.end(), true) != rewritten.end();
    if (!r.lastPeriod && (r.freePosition || anyRewritten)) {
        s.read("LAG(txtHisLst, " + number(n - 1) + ") OVER w", "lagPlain");
        s.read("txtHisPreLst", "curPlain");
        s.rewrite("txtHisPreLst", "CASE WHEN r = 0 THEN curPlain WHEN r >= " + number(n - 1) +
                                      " THEN lagPlain ELSE '' END");
    }
    std::string compared; // the token text compared in free mode, as an expression of stage n
    if (r.freePosition) {
        if (r.lastPeriod) {
            s.read(textColumn(false, kind), "kindText");
            compared = "kindText";
        } else {
            const std::string column = textColumn(true, kind);
            s.read("LAG(" + textColumn(false, kind) + ", " + number(n - 1) + ") OVER w", "lagText");
            s.read(column, "curText");
            s.rewrite(column, "CASE WHEN r >= " + number(n - 1) +
                                  " THEN lagText WHEN r = 0 THEN curText ELSE '' END");
            compared = "new_" + column;
        }
    }

    // Agreement of one position: the rewritten field equals the target, or the token text holds
    // the token. A position without a token never agrees.
    auto agreement = [&](const PositionSet& set, size_t i) -> std::string {
        const int p = set.positions[i];
        if (!r.freePosition) {
            return "COALESCE(new_" + attributeColumn(p, kind, period) + " = " +
                   number(r.targets[p - 1]) + ", 0)";
        }
        if (!set.tokens[i]) return "0";
        return "COALESCE(" + compared + " LIKE '%' || " + s.parameter(*set.tokens[i]) +
               " || '%', 0)";
    };
    auto sumOf = [&](const PositionSet& set) {
        std::string sum;
        for (size_t i = 0; i < set.positions.size(); ++i)
            sum += (sum.empty() ? "" : " + ") + agreement(set, i);
        return sum.empty() ? std::string("0") : sum;
    };

    if (!r.combination) {
        s.work("intTh", sumOf(sets.front()));
    } else {
        if (!sets.empty()) {
            s.work("intTh", sumOf(sets.back())); // as the last combination leaves it
            std::string any;
            for (const auto& set : sets)
                any += (any.empty() ? "(" : " OR (") + sumOf(set) + ") = " + number(r.comboSize);
            s.work("bolOk", "CASE WHEN " + any + " THEN 1 ELSE 0 END");
        } else {
            s.work("bolOk", "0");
        }
        if (r.freePosition) s.work("txtHisP6", compared);
    }

    platform::Transaction transaction(db);
    auto update = db.prepare(s.sql());
    int index = 1;
    for (const auto& value : s.parameters()) update.bind(index++, std::string_view(value));
    update.run();
    writeTally(db, tally);
    transaction.commit();
}

} // namespace search
