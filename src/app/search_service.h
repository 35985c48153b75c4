#pragma once
// The pattern search (检索) and the combination search (组合检索) as the window and the command
// line run them: the request from the workspace's settings, targets and span, the hits and the
// tally computed in memory, and the database's final state written in the background.

#include "app/workspace.h"
#include "history/attributes.h"
#include "search/hit_finder.h"
#include "search/search_request.h"
#include "search/search_state.h"
#include "search/tally.h"
#include "search/text_column.h"

#include <array>
#include <cstdint>
#include <future>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace app {

// A hit period as the hit grid shows it, kept apart from the history so the grid stays as it was
// when the history changes.
struct HitRow {
    std::int32_t period = 0;
    history::PositionValues values{}; // the result kind at positions 1..5
};

struct SearchResult {
    search::SearchRequest request;
    std::vector<std::uint32_t> hits;        // indexes into Workspace::rows() at the search
    std::vector<HitRow> hitRows;            // one per hit
    std::vector<std::string> previousTexts; // the last column of the hit grid, per hit
    search::Tally tally;
    std::vector<double> chance; // share by chance per entry of tally.byValue

    bool empty() const { return tally.byValue.empty(); }
};

// The grids' texts (MSFlexGrid2: hit periods; MSFlexGrid3: the tally by count).
std::vector<std::string> hitGridHeader(const SearchResult& result);
std::string hitGridCell(const SearchResult& result, size_t hit, int column);
std::vector<std::string> resultGridHeader();
std::string resultGridCell(const SearchResult& result, size_t row, int column);

class SearchService {
  public:
    explicit SearchService(Workspace& workspace) : workspace_(workspace) {}

    // Command1_Click: the pattern search over the chosen positions (the check boxes of the tab
    // in use).
    Outcome Command1_Click(const std::array<bool, 5>& positions, SearchResult& result);
    // Command2_Click: the combination search with the size of the combination box.
    Outcome Command2_Click(SearchResult& result);
    // Starts reading, in the background on a connection of its own, the texts the first search
    // with the current search kind needs, so that it answers as fast as the ones after it.
    void warmUp();

  private:
    Outcome run(search::SearchRequest request, SearchResult& result);
    // The request from the settings, targets and span; fails when something must be corrected.
    Outcome completeRequest(search::SearchRequest& request);
    SearchResult compute(const search::SearchRequest& request);
    std::vector<std::string> previousTexts(const search::SearchRequest& request,
                                           const std::vector<std::uint32_t>& hits);
    void startWrite(const search::SearchRequest& request, const search::Tally& tally);
    std::shared_ptr<const search::TextColumn> cachedColumn(const std::string& name);
    const search::TokenValues& cachedTokenValues(int kind);

    Workspace& workspace_;
    // Brings the caches to the history as it is now: draws added after the newest are read on
    // their own; any other change empties the caches.
    void syncCaches();

    std::uint64_t cacheVersion_ = ~std::uint64_t{0};
    std::uint64_t cacheGeneration_ = ~std::uint64_t{0};
    size_t cacheRows_ = 0;
    std::map<std::string, std::shared_ptr<const search::TextColumn>> columns_;
    std::map<int, search::TokenValues> tokenValues_;

    // Texts read ahead by warmUp, taken over by the first search when the history is still the
    // one they were read from.
    struct ReadAhead {
        std::uint64_t generation = 0;
        std::vector<std::int64_t> ids;
        std::map<std::string, std::shared_ptr<const search::TextColumn>> columns;
        std::map<int, search::TokenValues> tokenValues;
    };
    std::future<std::shared_ptr<ReadAhead>> readAhead_;
    // Used by one background write at a time (each waits for the one before).
    std::shared_ptr<search::SearchStateWriter> writer_;
};

} // namespace app
