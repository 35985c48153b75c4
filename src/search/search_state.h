#pragma once
// The state a search leaves in the database: the rewritten comparison fields (L<p><X>S/P), the
// display and token fields of the draw N back (txtHisPreLst...), the working columns intTh, bolOk
// and txtHisP6, and the tally in Carcu. Written set-based in one transaction: each row is read
// once and only rows whose values change are written.

#include "platform/database.h"
#include "search/search_request.h"
#include "search/tally.h"

namespace search {

void writeSearchState(platform::Database& db, const SearchRequest& request, const Tally& tally);

// Rewrites Carcu with one row per value of the result kind, ascending.
void writeTally(platform::Database& db, const Tally& tally);

} // namespace search
