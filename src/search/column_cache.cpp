#include "search/column_cache.h"

#include <algorithm>
#include <filesystem>

namespace search {

namespace {

// Reads txtHisLst and the token text of kind in one pass, on a connection of its own; begun is
// told once its view of the file is fixed (or it gave up).
std::shared_ptr<ColumnReadAhead> readColumns(const std::string& path, history::Kind kind,
                                             std::optional<std::uint64_t> generation,
                                             std::promise<void>* begun) {
    auto tell = [&] {
        if (begun) begun->set_value();
        begun = nullptr;
    };
    try {
        platform::Database db(path);
        // One read transaction: its view of the file is fixed by the first read.
        db.exec("BEGIN");
        db.prepare("SELECT count(*) FROM sqlite_master").step();
        tell();
        auto ahead = std::make_shared<ColumnReadAhead>();
        ahead->generation = generation;
        const std::string tokens = history::textColumn(false, kind);
        const std::vector<std::string> names = {"txtHisLst", tokens};
        auto loaded = loadTextColumns(db, names, &ahead->ids);
        db.exec("COMMIT");
        // What was read is the file now at the path, whichever that is.
        if (!db.stillAtPath()) return nullptr;
        ahead->file = db.fileIdentity();
        for (size_t c = 0; c < names.size(); ++c)
            ahead->columns[names[c]] = std::make_shared<const TextColumn>(std::move(loaded[c]));
        ahead->tokenValues[kind] = search::tokenValues(*ahead->columns[tokens], kind);
        return ahead;
    } catch (const std::exception&) {
        tell();
        return nullptr; // the search reads them itself
    }
}

} // namespace

void ColumnCache::takeReadAhead(platform::Database& db) {
    if (!readAhead_.valid()) return;
    const auto ahead = readAhead_.get();
    const auto& rows = history_.rows();
    // A reading from before the history was in memory counts when it read the file the history
    // came from: the texts it reads change only with the rows themselves, and a rebuild or a
    // cut-back replaces the file.
    const bool sameSource =
        ahead && (ahead->generation ? *ahead->generation == history_.generation()
                                    : ahead->file == db.fileIdentity() && db.stillAtPath());
    const bool current = sameSource && ahead->ids.size() <= rows.size() &&
                         std::equal(ahead->ids.begin(), ahead->ids.end(), rows.begin(),
                                    [](std::int64_t id, const auto& row) { return id == row.id; });
    if (!current) return;
    columns_ = ahead->columns;
    tokenValues_ = ahead->tokenValues;
    generation_ = history_.generation();
    rows_ = ahead->ids.size();
    version_ = ~std::uint64_t{0}; // draws added since are read by sync
}

void ColumnCache::sync(platform::Database& db) {
    takeReadAhead(db);
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
                if (!stmt.step()) throw platform::DbError("有一期已存的号码不见了");
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
    readAhead_ = std::async(std::launch::async, readColumns, databasePath, kind,
                            std::optional<std::uint64_t>(history_.generation()), nullptr);
}

ColumnReading ColumnCache::readFileAhead(const std::string& databasePath, history::Kind kind,
                                         std::promise<void> begun) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(databasePath, error)) {
        begun.set_value();
        return {};
    }
    return std::async(std::launch::async, [databasePath, kind, begun = std::move(begun)]() mutable {
        return readColumns(databasePath, kind, std::nullopt, &begun);
    });
}

void ColumnCache::adopt(ColumnReading reading) {
    if (reading.valid() && !readAhead_.valid()) readAhead_ = std::move(reading);
}

} // namespace search
