#pragma once
// Why a row is a hit: which sets of positions agreed and which positions of the earlier draw
// made them agree, with the comparison findHits makes. Asked afterwards for the rows a search
// found, from the draws in memory.

#include "history/history_table.h"
#include "search/hit_finder.h"
#include "search/search_request.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace search {

struct HitReason {
    // Bit s: the set s of positionSets(request) agreed.
    std::uint32_t sets = 0;
    // Bit p - 1: position p of the earlier draw took part. Fixed position: the positions of the
    // agreeing sets. Free position: the positions holding a value the agreeing sets looked for.
    std::uint8_t earlierPositions = 0;

    bool empty() const { return sets == 0; }
};

// The reason of one row, given the earlier draw's values of the search kind (none when that draw
// is not in memory: then a fixed position compares with the filler 0, a free one finds nothing).
HitReason hitReason(const SearchRequest& request, const std::vector<PositionSet>& sets,
                    const std::optional<history::PositionValues>& earlier);

// The reason of each hit, from the rows the search read (the values of request.kind loaded).
// A hit index beyond rows gets an empty reason.
std::vector<HitReason> hitReasons(const std::vector<history::HistoryRow>& rows,
                                  const SearchRequest& request,
                                  const std::vector<std::uint32_t>& hits);

// The agreeing sets as the user reads them: "1+2、2+5".
std::string setsText(const std::vector<PositionSet>& sets, const HitReason& reason);

} // namespace search
