#include "search/search_state.h"

#include "history/history_table.h"
#include "search/hit_finder.h"

#include <algorithm>
#include <string_view>

namespace search {

namespace {

// A text as it stands in a column: empty text and NULL differ.
struct TextValue {
    std::string_view text;
    bool null = false;
};

TextValue textAt(const TextColumn& column, size_t row) {
    return {column.at(row), column.isNull(row)};
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

SearchStateWriter::SearchStateWriter(std::string databasePath) : path_(std::move(databasePath)) {}

SearchStateWriter::Cell SearchStateWriter::Column::at(size_t row) const {
    Cell cell;
    cell.null = nulls[row] != 0;
    if (isText)
        cell.text = texts[row];
    else
        cell.number = numbers[row];
    return cell;
}

void SearchStateWriter::Column::set(size_t row, const Cell& cell) {
    nulls[row] = cell.null ? 1 : 0;
    if (isText)
        texts[row] = cell.text;
    else
        numbers[row] = cell.number;
}

void SearchStateWriter::Column::push(const Cell& cell) {
    nulls.push_back(cell.null ? 1 : 0);
    if (isText)
        texts.push_back(cell.text);
    else
        numbers.push_back(cell.number);
}

void SearchStateWriter::loadColumns(platform::Database& db, const std::vector<std::string>& names,
                                    const StoredHistory& history) {
    std::vector<std::string> missing;
    for (const auto& name : names)
        if (!columns_.count(name)) missing.push_back(name);
    if (missing.empty()) return;
    std::string sql = "SELECT ID";
    for (const auto& name : missing) sql += ", " + name;
    sql += " FROM Lishi ORDER BY SQQH, ID";
    std::vector<Column> loaded(missing.size());
    for (size_t c = 0; c < missing.size(); ++c) loaded[c].isText = missing[c].rfind("txt", 0) == 0;
    auto stmt = db.prepare(sql);
    size_t row = 0;
    while (stmt.step()) {
        if (row >= history.ids.size() || stmt.int64At(0) != history.ids[row])
            throw platform::DbError("the stored draws changed during the search");
        for (size_t c = 0; c < missing.size(); ++c) {
            const int at = static_cast<int>(c) + 1;
            Cell cell;
            cell.null = stmt.isNullAt(at);
            if (loaded[c].isText)
                cell.text = stmt.textAt(at);
            else
                cell.number = stmt.int64At(at);
            loaded[c].push(cell);
        }
        ++row;
    }
    if (row != history.ids.size()) throw platform::DbError("the stored draws changed");
    for (size_t c = 0; c < missing.size(); ++c) columns_[missing[c]] = std::move(loaded[c]);
}

namespace {

// Which columns a search writes.
struct WritePlan {
    std::vector<PositionSet> sets;
    std::vector<int> rewrittenPositions; // fixed position: L<p><X>S or P
    bool displayRewritten = false;       // txtHisPreLst
    bool tokensRewritten = false;        // txtHisPreLst<suffix>
    bool countsWritten = false;          // intTh
    std::vector<std::string> names;
};

WritePlan planFor(const SearchRequest& r) {
    WritePlan plan;
    plan.sets = positionSets(r);
    if (!r.freePosition())
        for (int p = 1; p <= 5; ++p)
            if (r.combination() || r.positions[p - 1]) plan.rewrittenPositions.push_back(p);
    plan.displayRewritten =
        !r.lastPeriod() && (r.freePosition() || !plan.rewrittenPositions.empty());
    plan.tokensRewritten = r.freePosition() && !r.lastPeriod();
    // A combination search without combinations leaves the counts as they were.
    plan.countsWritten = !r.combination() || !plan.sets.empty();

    for (int p : plan.rewrittenPositions)
        plan.names.push_back(history::attributeColumn(p, r.kind, r.lastPeriod() ? "S" : "P"));
    if (plan.displayRewritten) plan.names.push_back("txtHisPreLst");
    if (plan.tokensRewritten) plan.names.push_back(history::textColumn(true, r.kind));
    if (plan.countsWritten) plan.names.push_back("intTh");
    if (r.combination()) plan.names.push_back("bolOk");
    if (r.combination() && r.freePosition()) plan.names.push_back("txtHisP6");
    return plan;
}

} // namespace

void SearchStateWriter::loadAddedRows(platform::Database& db, const StoredHistory& history,
                                      size_t from) {
    if (columns_.empty()) return;
    std::string sql = "SELECT ID";
    for (const auto& entry : columns_) sql += ", " + entry.first;
    sql += " FROM Lishi WHERE ID = ?1";
    auto stmt = db.prepare(sql);
    for (size_t row = from; row < history.ids.size(); ++row) {
        stmt.bind(1, history.ids[row]);
        if (!stmt.step()) throw platform::DbError("a stored draw is missing");
        int at = 1;
        for (auto& entry : columns_) {
            Column& column = entry.second;
            Cell cell;
            cell.null = stmt.isNullAt(at);
            if (column.isText)
                cell.text = stmt.textAt(at);
            else
                cell.number = stmt.int64At(at);
            column.push(cell);
            ++at;
        }
        stmt.reset();
    }
}

void SearchStateWriter::write(const StoredHistory& history, const SearchRequest& r,
                              const Tally& tally) {
    platform::Database db(path_);
    try {
        // While only draws after the newest were added, the mirror of the earlier rows holds.
        const bool onlyAdded = generation_ == history.generation &&
                               history.ids.size() >= ids_.size() &&
                               std::equal(ids_.begin(), ids_.end(), history.ids.begin());
        if (!onlyAdded)
            columns_.clear();
        else if (history.ids.size() > ids_.size())
            loadAddedRows(db, history, ids_.size());
        ids_ = history.ids;
        generation_ = history.generation;
        writeChanges(db, history, r, tally);
    } catch (...) {
        columns_.clear(); // the database kept its old values; read them again next time
        throw;
    }
}

void SearchStateWriter::writeChanges(platform::Database& db, const StoredHistory& history,
                                     const SearchRequest& r, const Tally& tally) {
    const WritePlan plan = planFor(r);
    const auto& names = plan.names;
    const auto& sets = plan.sets;
    const size_t rows = history.ids.size();
    const size_t n = static_cast<size_t>(r.distance);

    platform::Transaction transaction(db);
    loadColumns(db, names, history);
    std::vector<Column*> mirror;
    for (const auto& name : names) mirror.push_back(&columns_[name]);

    std::string sql = "UPDATE Lishi SET ";
    for (size_t c = 0; c < names.size(); ++c)
        sql += (c ? ", " : "") + names[c] + " = ?" + std::to_string(c + 1);
    sql += " WHERE ID = ?" + std::to_string(names.size() + 1);
    auto update = db.prepare(sql);

    std::vector<Cell> next(names.size());
    for (size_t row = 0; row < rows; ++row) {
        size_t c = 0;
        // Fixed position: the value of the draw one (or N) back; 0 where there is none. The
        // combination search leaves the first row's 前期 values alone.
        std::array<Cell, 5> compared{};
        for (int p : plan.rewrittenPositions) {
            Cell cell;
            const size_t back = r.lastPeriod() ? 1 : n;
            if (row >= back)
                cell.number = history.values[row - back][p - 1];
            else if (r.combination() && !r.lastPeriod() && row == 0)
                cell = mirror[c]->at(row);
            compared[p - 1] = cell;
            next[c++] = cell;
        }
        // 前期: the display text of the draw N back; the first row keeps its own.
        if (plan.displayRewritten) {
            Cell cell;
            if (row == 0) {
                cell = mirror[c]->at(row);
            } else if (row + 1 >= n) {
                const TextValue v = textAt(*history.plain, row + 1 - n);
                cell.null = v.null;
                cell.text = v.text;
            }
            next[c++] = cell;
        }
        // The token text compared in free mode.
        Cell tokens;
        if (r.freePosition()) {
            if (r.lastPeriod()) {
                const TextValue v = textAt(*history.kindText, row);
                tokens.null = v.null;
                tokens.text = v.text;
            } else if (row + 1 >= n) {
                const TextValue v = textAt(*history.kindText, row + 1 - n);
                tokens.null = v.null;
                tokens.text = v.text;
            } else if (row == 0) {
                tokens = mirror[c]->at(row);
            }
            if (plan.tokensRewritten) next[c++] = tokens;
        }
        auto agrees = [&](const PositionSet& set, size_t i) {
            const int p = set.positions[i];
            if (!r.freePosition()) {
                const Cell& v = compared[p - 1];
                return !v.null && v.number == r.targets[p - 1];
            }
            return set.tokens[i] && !tokens.null &&
                   tokens.text.find(*set.tokens[i]) != std::string::npos;
        };
        auto count = [&](const PositionSet& set) {
            std::int64_t agreeing = 0;
            for (size_t i = 0; i < set.positions.size(); ++i) agreeing += agrees(set, i) ? 1 : 0;
            return agreeing;
        };
        if (plan.countsWritten) {
            next[c++] = Cell{false, count(r.combination() ? sets.back() : sets.front()), {}};
        }
        if (r.combination()) {
            bool any = false;
            for (const auto& set : sets)
                any = any || count(set) == static_cast<std::int64_t>(set.positions.size());
            next[c++] = Cell{false, any ? 1 : 0, {}};
            if (r.freePosition()) next[c++] = tokens;
        }

        bool changed = false;
        for (size_t i = 0; i < names.size(); ++i)
            changed = changed || !(mirror[i]->at(row) == next[i]);
        if (!changed) continue;
        for (size_t i = 0; i < names.size(); ++i) {
            const int index = static_cast<int>(i) + 1;
            if (next[i].null)
                update.bindNull(index);
            else if (mirror[i]->isText)
                update.bind(index, std::string_view(next[i].text));
            else
                update.bind(index, next[i].number);
            mirror[i]->set(row, next[i]);
        }
        update.bind(static_cast<int>(names.size()) + 1, history.ids[row]);
        update.run();
    }
    writeTally(db, tally);
    transaction.commit();
}

} // namespace search
