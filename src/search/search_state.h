#pragma once
// The state a search leaves in the database: the rewritten comparison fields (L<p><X>S/P), the
// display and token fields of the draw N back (txtHisPreLst...), the working columns intTh, bolOk
// and txtHisP6, and the tally in Carcu. The writer keeps in memory what each column it wrote
// holds, so a search writes only the rows whose values change, in one transaction.

#include "history/attributes.h"
#include "platform/database.h"
#include "search/search_request.h"
#include "search/tally.h"
#include "search/text_column.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace search {

// The stored history a search reads, in the order of the ordered view.
struct StoredHistory {
    // Changes whenever stored draws were replaced or removed; draws added after the newest keep it.
    std::uint64_t generation = 0;
    std::vector<std::int64_t> ids;               // ID of each row
    std::vector<history::PositionValues> values; // the search kind's values of each row
    std::shared_ptr<const TextColumn> plain;     // txtHisLst
    std::shared_ptr<const TextColumn> kindText;  // txtHisLst<suffix> of the search kind
};

// Rewrites Carcu with one row per value of the result kind, ascending.
void writeTally(platform::Database& db, const Tally& tally);

class SearchStateWriter {
  public:
    // Writes through a connection of its own for each search (so it may run on another thread
    // than the window's, and always reaches the file now at the path).
    explicit SearchStateWriter(std::string databasePath);

    void write(const StoredHistory& history, const SearchRequest& request, const Tally& tally);

  private:
    struct Cell {
        bool null = false;
        std::int64_t number = 0;
        std::string text;
        bool operator==(const Cell&) const = default;
    };
    // A column as the database holds it: numbers or texts, and which rows are NULL.
    struct Column {
        bool isText = false;
        std::vector<std::int64_t> numbers;
        std::vector<std::string> texts;
        std::vector<std::uint8_t> nulls;

        Cell at(size_t row) const;
        void set(size_t row, const Cell& cell);
        void push(const Cell& cell);
    };

    void loadColumns(platform::Database& db, const std::vector<std::string>& names,
                     const StoredHistory& history);
    // Reads the mirrored columns of the rows added since the last write.
    void loadAddedRows(platform::Database& db, const StoredHistory& history, size_t from);
    void writeChanges(platform::Database& db, const StoredHistory& history,
                      const SearchRequest& request, const Tally& tally);

    std::string path_;
    std::uint64_t generation_ = ~std::uint64_t{0};
    std::vector<std::int64_t> ids_;
    std::map<std::string, Column> columns_; // what the database holds, by column
};

} // namespace search
