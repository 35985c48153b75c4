#pragma once
// The state a search leaves in the database: the rewritten comparison fields (L<p><X>S/P), the
// display and token fields of the draw N back (txtHisPreLst...), the working columns intTh, bolOk
// and txtHisP6, and the tally in Carcu, in one transaction. Only rows whose values change are
// written: the writer keeps in memory what each column it wrote holds, and where it knows nothing
// (its first write, or after another connection changed the file) the database compares each
// row's stored values with the new ones as it goes through the table once.

#include "history/attributes.h"
#include "platform/database.h"
#include "search/search_request.h"
#include "search/tally.h"
#include "search/text_column.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace search {

// The stored history a search reads, in the order of the ordered view.
struct StoredHistory {
    // Changes whenever stored draws were replaced or removed; draws added after the newest keep it.
    std::uint64_t generation = 0;
    // The database's data_version on the connection written through, when the search read it.
    std::int64_t dataVersion = 0;
    std::vector<std::int64_t> ids;               // ID of each row
    std::vector<history::PositionValues> values; // the search kind's values of each row
    std::shared_ptr<const TextColumn> plain;     // txtHisLst
    std::shared_ptr<const TextColumn> kindText;  // txtHisLst<suffix> of the search kind
};

// Rewrites Carcu with one row per value of the result kind, ascending.
void writeTally(platform::Database& db, const Tally& tally);

// The database changed after the search read it (another process wrote or replaced the file):
// nothing was written, and the search has to run again.
class StaleSearch : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class SearchStateWriter {
  public:
    // Writes through db, the connection the search read by (on whatever thread uses it now).
    // Throws StaleSearch when the file is no longer the one the search read, platform::DbError
    // when writing fails; the database is then as it was.
    void write(platform::Database& db, const StoredHistory& history, const SearchRequest& request,
               const Tally& tally);

  private:
    // A value of a column; a text is viewed where it is kept (a column, the history's texts).
    struct Cell {
        bool null = false;
        std::int64_t number = 0;
        std::string_view text;
        bool operator==(const Cell&) const = default;
    };
    // A column as the database holds it: numbers or texts, and which rows are NULL.
    struct Column {
        bool isText = false;
        std::vector<std::int64_t> numbers;
        TextColumn texts;
        std::vector<std::uint8_t> nulls;

        Cell at(size_t row) const;
        bool sameAt(size_t row, const Column& other) const;
        void push(const Cell& cell);
    };

    // Reads the mirrored columns of the rows added since the last write.
    void loadAddedRows(platform::Database& db, const StoredHistory& history, size_t from);
    void writeChanges(platform::Database& db, const StoredHistory& history,
                      const SearchRequest& request, const Tally& tally);

    // What the mirror was taken from: a connection, its data_version and the history.
    std::uint64_t serial_ = 0;
    std::int64_t dataVersion_ = 0;
    std::uint64_t generation_ = ~std::uint64_t{0};
    std::vector<std::int64_t> ids_;
    std::map<std::string, Column> columns_; // what the database holds, by column
};

} // namespace search
