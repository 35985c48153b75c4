#pragma once
// The text columns the searches read from the database, kept in memory and in step with the
// history: draws added after the newest are read on their own, any other change of the history
// empties the cache. The first search's columns can be read ahead in the background.

#include "history/attributes.h"
#include "history/ordered_history.h"
#include "platform/database.h"
#include "search/hit_finder.h"
#include "search/text_column.h"

#include <cstdint>
#include <future>
#include <map>
#include <memory>
#include <string>

namespace search {

class ColumnCache {
  public:
    explicit ColumnCache(const history::OrderedHistory& history) : history_(history) {}

    // A column of Lishi for every row of the history, read from db when not cached.
    std::shared_ptr<const TextColumn> column(platform::Database& db, const std::string& name);
    // The token column of a kind read as values.
    const TokenValues& tokenValues(platform::Database& db, history::Kind kind);
    // Reads the columns of names not cached yet, all in one pass through the table.
    void prefetch(platform::Database& db, const std::vector<std::string>& names);

    // Starts reading, on a connection of its own, the columns a search of kind needs first. The
    // next use takes them over when the history is still the one they were read from.
    void readAhead(const std::string& databasePath, history::Kind kind);

  private:
    struct ReadAhead {
        std::uint64_t generation = 0;
        std::vector<std::int64_t> ids;
        std::map<std::string, std::shared_ptr<const TextColumn>> columns;
        std::map<int, TokenValues> tokenValues;
    };

    void sync(platform::Database& db);
    void takeReadAhead();

    const history::OrderedHistory& history_;
    std::uint64_t version_ = ~std::uint64_t{0};
    std::uint64_t generation_ = ~std::uint64_t{0};
    size_t rows_ = 0;
    std::map<std::string, std::shared_ptr<const TextColumn>> columns_;
    std::map<int, TokenValues> tokenValues_;
    std::future<std::shared_ptr<ReadAhead>> readAhead_;
};

} // namespace search
