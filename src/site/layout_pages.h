#pragma once
// The part of a results page that lists a day's draws, in the layouts other than the draw_list
// table: the ways real sites lay out a day's results.

#include "site/results_site.h"

#include <optional>
#include <string>
#include <vector>

namespace site {

// One line of the list: a draw, or (no numbers) a draw of the day not made yet.
struct ListedEntry {
    int period = 0; // yymmddNN
    std::optional<std::array<int, 5>> numbers;
};

// The list of the entries (in page order) as style.layout lays it out, ids as style.ids writes
// them; tenDigits: the game's own ids have ten digits. earlier: the draws of the days before,
// oldest first, which a trend chart's figures run on from (style.carriedOmissions).
std::string layoutList(const std::vector<ListedEntry>& entries, bool tenDigits,
                       const PageStyle& style, int gameCode = 22,
                       const std::vector<ListedEntry>& earlier = {});

} // namespace site
