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
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace search {

// Text columns read on a connection of their own, with the ids of the rows they were read for.
struct ColumnReadAhead {
    // The history's generation when it was in memory at the start; none when the reading
    // started before the history was read (then the file must be the one it is read from).
    std::optional<std::uint64_t> generation;
    std::pair<std::uint64_t, std::uint64_t> file{};
    std::vector<std::int64_t> ids;
    std::map<std::string, std::shared_ptr<const TextColumn>> columns;
    std::map<int, TokenValues> tokenValues;
};
using ColumnReading = std::future<std::shared_ptr<ColumnReadAhead>>;

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
    // Starts reading those columns from the file at databasePath before any history is read (a
    // command line reads them while the history loads). Nothing when there is no such file.
    // begun is told once the reading sees the file as it will read it (or has given up): the
    // caller keeps writers away until then and until it has read the history itself, so both
    // read one state of the file.
    static ColumnReading readFileAhead(const std::string& databasePath, history::Kind kind,
                                       std::promise<void> begun);
    // Takes over a reading started by readFileAhead.
    void adopt(ColumnReading reading);

  private:
    void sync(platform::Database& db);
    void takeReadAhead(platform::Database& db);

    const history::OrderedHistory& history_;
    std::uint64_t version_ = ~std::uint64_t{0};
    std::uint64_t generation_ = ~std::uint64_t{0};
    size_t rows_ = 0;
    std::map<std::string, std::shared_ptr<const TextColumn>> columns_;
    std::map<int, TokenValues> tokenValues_;
    ColumnReading readAhead_;
};

} // namespace search
