#include "search/column_cache.h"

#include <algorithm>

namespace search {

void ColumnCache::takeReadAhead() {
    if (!readAhead_.valid()) return;
    const auto ahead = readAhead_.get();
    const auto& rows = history_.rows();
    const bool current = ahead && ahead->generation == history_.generation() &&
                         ahead->ids.size() <= rows.size() &&
                         std::equal(ahead->ids.begin(), ahead->ids.end(), rows.begin(),
                                    [](std::int64_t id, const auto& row) { return id == row.id; });
    if (!current) return;
    columns_ = ahead->columns;
    tokenValues_ = ahead->tokenValues;
    generation_ = ahead->generation;
    rows_ = ahead->ids.size();
    version_ = ~std::uint64_t{0}; // draws added since are read by sync
}

void ColumnCache::sync(platform::Database& db) {
    takeReadAhead();
    // The txtHisLst columns change only with the stored draws, never through a search.
    if (version_ == history_.version()) return;
    const auto& rows = history_.rows();
    if (generation_ != history_.generation() || rows.size() < rows_) {
        columns_.clear();
        tokenValues_.clear();
    } else if (rows.size() > rows_ && !columns_.empty()) {
        for (auto& [name, column] : columns_) {
            auto extended = std::make_shared<TextColumn>(*column);
            auto stmt = db.prepare("SELECT " + name + " FROM Lishi WHERE ID = ?1");
            for (size_t r = rows_; r < rows.size(); ++r) {
                stmt.bind(1, rows[r].id);
                if (!stmt.step()) throw platform::DbError("a stored draw is missing");
                extended->push(stmt.textAt(0), stmt.isNullAt(0));
                stmt.reset();
            }
            column = std::move(extended);
        }
        for (auto& [kind, values] : tokenValues_) {
            const auto at = columns_.find(history::textColumn(false, kind));
            if (at == columns_.end())
                values = {};
            else
                extendTokenValues(values, *at->second, kind);
        }
    }
    version_ = history_.version();
    generation_ = history_.generation();
    rows_ = rows.size();
}

std::shared_ptr<const TextColumn> ColumnCache::column(platform::Database& db,
                                                      const std::string& name) {
    sync(db);
    auto at = columns_.find(name);
    if (at == columns_.end())
        at = columns_.emplace(name, std::make_shared<const TextColumn>(loadTextColumn(db, name)))
                 .first;
    return at->second;
}

void ColumnCache::prefetch(platform::Database& db, const std::vector<std::string>& names) {
    sync(db);
    std::vector<std::string> missing;
    for (const auto& name : names)
        if (!columns_.count(name)) missing.push_back(name);
    if (missing.empty()) return;
    auto loaded = loadTextColumns(db, missing);
    for (size_t c = 0; c < missing.size(); ++c)
        columns_[missing[c]] = std::make_shared<const TextColumn>(std::move(loaded[c]));
}

const TokenValues& ColumnCache::tokenValues(platform::Database& db, history::Kind kind) {
    const auto text = column(db, history::textColumn(false, kind));
    auto at = tokenValues_.find(kind);
    if (at == tokenValues_.end() || at->second.values.size() != text->size()) {
        tokenValues_.erase(kind);
        at = tokenValues_.emplace(kind, search::tokenValues(*text, kind)).first;
    }
    return at->second;
}

void ColumnCache::readAhead(const std::string& databasePath, history::Kind kind) {
    if (history_.empty() || readAhead_.valid()) return;
    readAhead_ =
        std::async(std::launch::async,
                   [path = databasePath, generation = history_.generation(),
                    kind]() -> std::shared_ptr<ReadAhead> {
                       try {
                           platform::Database db(path);
                           auto ahead = std::make_shared<ReadAhead>();
                           ahead->generation = generation;
                           const std::string tokens = history::textColumn(false, kind);
                           const std::vector<std::string> names = {"txtHisLst", tokens};
                           auto loaded = loadTextColumns(db, names, &ahead->ids);
                           for (size_t c = 0; c < names.size(); ++c)
                               ahead->columns[names[c]] =
                                   std::make_shared<const TextColumn>(std::move(loaded[c]));
                           ahead->tokenValues[kind] =
                               search::tokenValues(*ahead->columns[tokens], kind);
                           return ahead;
                       } catch (const std::exception&) {
                           return nullptr; // the search reads them itself
                       }
                   });
}

} // namespace search
