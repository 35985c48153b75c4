#pragma once
// Finds the hit rows of a pattern or combination search in memory, from the stored draws and the
// stored token strings, with exactly the comparison values the database rewrites define: the
// draw N periods back in the ordered view, the filler 0 (or empty text) for rows without one.

#include "history/history_table.h"
#include "search/search_request.h"
#include "search/text_column.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace search {

// The values behind each row's token text, where the text is exactly the token string of its
// five values (as every storing path writes it): then "holds token cXv" is "holds v at least c
// times", which is quicker to ask than a text search. Other texts are searched as text.
struct TokenValues {
    std::vector<history::PositionValues> values;
    std::vector<std::uint8_t> exact; // the text is countedTokens(values)
};
TokenValues tokenValues(const TextColumn& column, int kind);
// Reads the rows of column beyond those values already holds (draws added since).
void extendTokenValues(TokenValues& values, const TextColumn& column, int kind);

struct SearchInput {
    const std::vector<history::HistoryRow>& rows;
    // txtHisLst<suffix> of the search kind, every row (needed in free-position mode).
    const TextColumn* kindText = nullptr;
    // The same column read as values; optional, it only makes free-position searches faster.
    const TokenValues* kindValues = nullptr;
    // What the first row keeps through the rewrites: its txtHisPreLst<suffix> (free 前期) and its
    // comparison values L<p><X>P (fixed 前期 combination search).
    std::string firstRowPreviousText;
    std::array<std::int16_t, 5> firstRowPreviousValues{};
};

// The token a free-position statement looks for, or none when the target has no counter (that
// position then never agrees). One list per set of positions compared together: the chosen
// positions of a pattern search, or each combination.
struct PositionSet {
    std::vector<int> positions;                     // 1..5
    std::vector<std::optional<std::string>> tokens; // free mode, one per position
};
std::vector<PositionSet> positionSets(const SearchRequest& request);

// Indexes into input.rows of the hits within the span, ascending.
std::vector<std::uint32_t> findHits(const SearchInput& input, const SearchRequest& request);

// The comparison of findHits made ready for many targets: what each row compares with (the
// earlier draw's values, or its token text where it cannot be read as values) is gathered once
// for the rows [first, last), so that each set of targets only compares.
class HitMatcher {
  public:
    // request gives everything but the targets and the span; input must outlive the matcher.
    HitMatcher(const SearchInput& input, const SearchRequest& request, size_t first, size_t last);

    // The hits among rows [first, last) (within those given above) for these targets, ascending.
    std::vector<std::uint32_t> hits(const std::array<std::int16_t, 5>& targets, size_t first,
                                    size_t last) const;
    // The same into hits, with masks as room to work in: both keep their memory between calls.
    void hits(const std::array<std::int16_t, 5>& targets, size_t first, size_t last,
              std::vector<std::uint32_t>& hits, std::vector<std::uint32_t>& masks) const;

  private:
    std::string_view freeText(size_t r) const;

    const SearchInput& input_;
    SearchRequest request_;
    size_t first_ = 0;
    // The earlier draw's values at positions 1..5 of each row from first_, one array a position.
    std::array<std::vector<std::int16_t>, 5> earlier_;
    // Free position: the rows whose earlier draw is known only as text, ascending.
    std::vector<std::uint32_t> textRows_;
};

// The span as a range of row indexes [first, last).
std::pair<size_t, size_t> spanRows(const std::vector<history::HistoryRow>& rows, int start,
                                   int end);

} // namespace search

namespace search {

// Reads what the first row of the ordered view keeps through the rewrites, for the search kind.
void loadFirstRowState(platform::Database& db, int kind, SearchInput& input);

} // namespace search
