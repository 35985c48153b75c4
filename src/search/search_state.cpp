#include "search/search_state.h"

#include "history/history_table.h"
#include "search/hit_finder.h"

#include <algorithm>
#include <array>
#include <span>
#include <string_view>
#include <unordered_map>

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

SearchStateWriter::Cell SearchStateWriter::Column::at(size_t row) const {
    Cell cell;
    cell.null = nulls[row] != 0;
    if (isText)
        cell.text = texts.at(row);
    else
        cell.number = numbers[row];
    return cell;
}

bool SearchStateWriter::Column::sameAt(size_t row, const Column& other) const {
    if (nulls[row] != other.nulls[row]) return false;
    if (nulls[row]) return true;
    return isText ? texts.at(row) == other.texts.at(row) : numbers[row] == other.numbers[row];
}

void SearchStateWriter::Column::push(const Cell& cell) {
    nulls.push_back(cell.null ? 1 : 0);
    if (isText)
        texts.push(cell.text, cell.null);
    else
        numbers.push_back(cell.number);
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
        if (!stmt.step()) throw platform::DbError("历史号码中少了一期");
        int at = 1;
        for (auto& entry : columns_) {
            Column& column = entry.second;
            Cell cell;
            cell.null = stmt.isNullAt(at);
            if (column.isText)
                cell.text = stmt.textViewAt(at);
            else
                cell.number = stmt.int64At(at);
            column.push(cell);
            ++at;
        }
        stmt.reset();
    }
}

void SearchStateWriter::write(platform::Database& db, const StoredHistory& history,
                              const SearchRequest& r, const Tally& tally) {
    // Another process's change after the search read the file: the results may not fit it.
    if (!db.stillAtPath())
        throw StaleSearch("another program replaced the database file after the search");
    if (db.dataVersion() != history.dataVersion)
        throw StaleSearch("another program changed the database after the search");
    try {
        // While only draws after the newest were added through this same connection, and no
        // other connection wrote, the mirror of the earlier rows holds.
        const bool onlyAdded = serial_ == db.serial() && dataVersion_ == history.dataVersion &&
                               generation_ == history.generation &&
                               history.ids.size() >= ids_.size() &&
                               std::equal(ids_.begin(), ids_.end(), history.ids.begin());
        if (!onlyAdded) columns_.clear();
        const size_t known = onlyAdded ? ids_.size() : 0;
        ids_ = history.ids;
        generation_ = history.generation;
        serial_ = db.serial();
        dataVersion_ = history.dataVersion;
        platform::Transaction transaction(db, platform::Durability::MayBeLost);
        if (history.ids.size() > known) loadAddedRows(db, history, known);
        writeChanges(db, history, r, tally);
        transaction.commit();
    } catch (...) {
        columns_.clear(); // the database kept its old values; compare with them next time
        throw;
    }
}

namespace {

// Row indexes by ID. IDs are mostly dense (assigned in storing order), so a table usually serves.
class RowIndex {
  public:
    explicit RowIndex(const std::vector<std::int64_t>& ids) {
        if (ids.empty()) return;
        const auto [low, high] = std::minmax_element(ids.begin(), ids.end());
        first_ = *low;
        const auto span = static_cast<std::uint64_t>(*high - *low);
        if (span < 4 * ids.size() + 4096) {
            dense_.assign(span + 1, -1);
            for (size_t row = 0; row < ids.size(); ++row)
                dense_[static_cast<size_t>(ids[row] - first_)] = static_cast<std::int64_t>(row);
        } else {
            for (size_t row = 0; row < ids.size(); ++row) sparse_[ids[row]] = row;
        }
    }

    // The row of id; throws when the history the search read has no such row.
    size_t at(std::int64_t id) const {
        if (!dense_.empty()) {
            const std::int64_t offset = id - first_;
            if (offset >= 0 && offset < static_cast<std::int64_t>(dense_.size()) &&
                dense_[static_cast<size_t>(offset)] >= 0)
                return static_cast<size_t>(dense_[static_cast<size_t>(offset)]);
        } else if (const auto found = sparse_.find(id); found != sparse_.end()) {
            return found->second;
        }
        throw platform::DbError("检索期间历史号码被改变了");
    }

  private:
    std::int64_t first_ = 0;
    std::vector<std::int64_t> dense_;
    std::unordered_map<std::int64_t, size_t> sparse_;
};

// The names SQL calls the writer by while a search's state is written.
constexpr const char* kChanged = "k11_row_changes";
constexpr const char* kNewValue = "k11_new_value";

} // namespace

void SearchStateWriter::writeChanges(platform::Database& db, const StoredHistory& history,
                                     const SearchRequest& r, const Tally& tally) {
    const WritePlan plan = planFor(r);
    const auto& names = plan.names;
    const auto& sets = plan.sets;
    const size_t rows = history.ids.size();
    const size_t n = static_cast<size_t>(r.distance);

    bool mirrored = true;
    for (const auto& name : names) mirrored = mirrored && columns_.count(name) > 0;
    // The first row keeps some of its stored values.
    std::vector<Cell> first(names.size());
    std::vector<std::string> firstTexts(names.size());
    if (rows > 0) {
        if (mirrored) {
            for (size_t c = 0; c < names.size(); ++c) first[c] = columns_[names[c]].at(0);
        } else if (!names.empty()) {
            std::string sql = "SELECT ";
            for (size_t c = 0; c < names.size(); ++c) sql += (c ? ", " : "") + names[c];
            auto stmt = db.prepare(sql + " FROM Lishi WHERE ID = ?1");
            stmt.bind(1, history.ids[0]);
            if (!stmt.step()) throw platform::DbError("历史号码中少了一期");
            for (size_t c = 0; c < names.size(); ++c) {
                const int at = static_cast<int>(c);
                first[c].null = stmt.isNullAt(at);
                if (names[c].rfind("txt", 0) == 0)
                    first[c].text = firstTexts[c] = stmt.textAt(at);
                else
                    first[c].number = stmt.int64At(at);
            }
        }
    }

    // The distinct tokens of the sets, and for each position of each set which one it is.
    std::vector<std::string> distinctTokens;
    std::vector<std::vector<int>> tokenIndex(sets.size());
    for (size_t s = 0; s < sets.size(); ++s) {
        for (const auto& token : sets[s].tokens) {
            int index = -1;
            if (token) {
                const auto at = std::find(distinctTokens.begin(), distinctTokens.end(), *token);
                index = static_cast<int>(at - distinctTokens.begin());
                if (at == distinctTokens.end()) distinctTokens.push_back(*token);
            }
            tokenIndex[s].push_back(index);
        }
    }
    if (distinctTokens.size() > 32) throw std::logic_error("more tokens than a row's mask holds");

    // The new value of every written column at every row.
    std::vector<Column> next(names.size());
    for (size_t c = 0; c < names.size(); ++c) {
        next[c].isText = names[c].rfind("txt", 0) == 0;
        next[c].nulls.reserve(rows);
        if (!next[c].isText) next[c].numbers.reserve(rows);
    }
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
                cell = first[c];
            compared[p - 1] = cell;
            next[c++].push(cell);
        }
        // 前期: the display text of the draw N back; the first row keeps its own.
        if (plan.displayRewritten) {
            Cell cell;
            if (row == 0) {
                cell = first[c];
            } else if (row + 1 >= n) {
                const TextValue v = textAt(*history.plain, row + 1 - n);
                cell.null = v.null;
                cell.text = v.text;
            }
            next[c++].push(cell);
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
                tokens = first[c];
            }
            if (plan.tokensRewritten) next[c++].push(tokens);
        }
        // Free mode: which of the sets' tokens the row's token text holds, each looked for once.
        std::uint32_t present = 0;
        if (r.freePosition() && !tokens.null)
            for (size_t t = 0; t < distinctTokens.size(); ++t)
                if (tokens.text.find(distinctTokens[t]) != std::string_view::npos)
                    present |= 1u << t;
        auto agrees = [&](const PositionSet& set, size_t i) {
            const int p = set.positions[i];
            if (!r.freePosition()) {
                const Cell& v = compared[p - 1];
                return !v.null && v.number == r.targets[p - 1];
            }
            const int t = tokenIndex[static_cast<size_t>(&set - sets.data())][i];
            return t >= 0 && (present & (1u << t)) != 0;
        };
        auto count = [&](const PositionSet& set) {
            std::int64_t agreeing = 0;
            for (size_t i = 0; i < set.positions.size(); ++i) agreeing += agrees(set, i) ? 1 : 0;
            return agreeing;
        };
        if (plan.countsWritten) {
            next[c++].push(Cell{false, count(r.combination() ? sets.back() : sets.front()), {}});
        }
        if (r.combination()) {
            bool any = false;
            for (const auto& set : sets)
                any = any || count(set) == static_cast<std::int64_t>(set.positions.size());
            next[c++].push(Cell{false, any ? 1 : 0, {}});
            if (r.freePosition()) next[c++].push(tokens);
        }
    }

    if (!names.empty() && rows > 0) {
        // Rows known to change; empty when the database is to compare for itself.
        std::vector<std::uint8_t> changed;
        size_t changes = 0;
        if (mirrored) {
            changed.assign(rows, 0);
            for (size_t row = 0; row < rows; ++row) {
                for (size_t c = 0; c < names.size() && !changed[row]; ++c)
                    changed[row] = columns_[names[c]].sameAt(row, next[c]) ? 0 : 1;
                changes += changed[row];
            }
        }
        const auto bindCell = [&](platform::Statement& stmt, int index, size_t c, size_t row) {
            if (next[c].nulls[row])
                stmt.bindNull(index);
            else if (next[c].isText)
                stmt.bind(index, next[c].texts.at(row));
            else
                stmt.bind(index, next[c].numbers[row]);
        };
        if (mirrored && changes * 8 <= rows) {
            // A few rows: each is found by its ID.
            std::string sql = "UPDATE Lishi SET ";
            for (size_t c = 0; c < names.size(); ++c)
                sql += (c ? ", " : "") + names[c] + " = ?" + std::to_string(c + 1);
            auto update = db.prepare(sql + " WHERE ID = ?" + std::to_string(names.size() + 1));
            for (size_t row = 0; row < rows; ++row) {
                if (!changed[row]) continue;
                for (size_t c = 0; c < names.size(); ++c)
                    bindCell(update, static_cast<int>(c) + 1, c, row);
                update.bind(static_cast<int>(names.size()) + 1, history.ids[row]);
                update.run();
                if (db.changes() != 1) throw platform::DbError("历史号码中少了一期");
            }
        } else {
            // Many rows, or nothing known of the stored values: one pass through the table. SQL
            // asks whether a row changes (known here, or told its stored values) and for the new
            // values of the rows that do.
            const RowIndex index(history.ids);
            std::int64_t lastId = history.ids[0];
            size_t lastRow = index.at(lastId);
            const auto rowOf = [&](const platform::SqlValue& id) {
                // The questions about one row come one after another.
                if (id.integer != lastId || id.type != platform::SqlValue::Type::Integer) {
                    lastRow = index.at(id.integer);
                    lastId = id.integer;
                }
                return lastRow;
            };
            db.defineFunction(kChanged, [&](std::span<const platform::SqlValue> args) {
                const size_t row = rowOf(args[0]);
                if (args.size() == 1) return platform::SqlValue::of(std::int64_t{changed[row]});
                for (size_t c = 0; c + 1 < args.size(); ++c) {
                    const auto& stored = args[c + 1];
                    const Column& values = next[c];
                    const bool same =
                        values.nulls[row] ? stored.type == platform::SqlValue::Type::Null
                        : values.isText   ? stored.type == platform::SqlValue::Type::Text &&
                                              stored.text == values.texts.at(row)
                                        : stored.type == platform::SqlValue::Type::Integer &&
                                              stored.integer == values.numbers[row];
                    if (!same) return platform::SqlValue::of(std::int64_t{1});
                }
                return platform::SqlValue::of(std::int64_t{0});
            });
            db.defineFunction(kNewValue, [&](std::span<const platform::SqlValue> args) {
                const Column& values = next[static_cast<size_t>(args[1].integer)];
                const size_t row = rowOf(args[0]);
                if (values.nulls[row]) return platform::SqlValue::null();
                if (values.isText) return platform::SqlValue::of(values.texts.at(row));
                return platform::SqlValue::of(values.numbers[row]);
            });
            std::string sql = "UPDATE Lishi SET ";
            std::string stored;
            for (size_t c = 0; c < names.size(); ++c) {
                sql += (c ? ", " : "") + names[c] + " = " + kNewValue + "(ID, " +
                       std::to_string(c) + ")";
                stored += ", " + names[c];
            }
            sql += std::string(" WHERE ") + kChanged + "(ID" + (mirrored ? "" : stored) + ")";
            const auto forget = [&] {
                db.removeFunction(kChanged);
                db.removeFunction(kNewValue);
            };
            try {
                db.exec(sql);
            } catch (...) {
                forget();
                throw;
            }
            forget();
        }
    }
    writeTally(db, tally);
    // The columns now hold the new values.
    for (size_t c = 0; c < names.size(); ++c) columns_[names[c]] = std::move(next[c]);
}

} // namespace search
