#pragma once
// The searches as the defined statements run them, one after another on the database: the
// row-by-row rewrite passes, the agreement UPDATEs, the hit query and the tally table. The fast
// searches of the program must leave exactly the same database and find the same hits.

#include "platform/database.h"
#include "search/search_request.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

struct StatementSearchResult {
    std::vector<std::int64_t> hitIds;                // ascending SQQH, then ID
    std::vector<std::pair<int, std::int64_t>> carcu; // by Count descending, then Nmb
};

StatementSearchResult runStatementSearch(platform::Database& db, const search::SearchRequest& r);

// Every row of Lishi (by ID) and Carcu (as stored), one line each, NULL shown as <null>.
std::vector<std::string> dumpTables(platform::Database& db);

} // namespace testing_support
