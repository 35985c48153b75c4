#pragma once
// The pattern search (检索) and the combination search (组合检索) as the window and the command
// line run them: the request from the workspace's settings, targets and span, the hits and the
// tally computed in memory, and the database's final state written in the background.

#include "history/attributes.h"
#include "search/chance.h"
#include "search/column_cache.h"
#include "search/hit_finder.h"
#include "search/search_request.h"
#include "search/search_state.h"
#include "search/tally.h"
#include "search/text_column.h"
#include "workspace/workspace.h"

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
    std::vector<search::ChanceBand> bands; // what chance gives, per entry of tally.byValue

    bool empty() const { return tally.byValue.empty(); }
};

// The grids' texts: the hit grid (hit periods) and the result grid (the tally by count).
std::vector<std::string> hitGridHeader(const SearchResult& result);
std::string hitGridCell(const SearchResult& result, size_t hit, int column);
std::vector<std::string> resultGridHeader();
std::string resultGridCell(const SearchResult& result, size_t row, int column);
// What chance gives for the value at row of the result grid.
search::ChanceBand resultGridBand(const SearchResult& result, size_t row);

class SearchService {
  public:
    explicit SearchService(Workspace& workspace)
        : workspace_(workspace), columns_(workspace.history()) {
        columns_.adopt(workspace.takeColumnReading());
    }

    // The pattern search (检索) over the chosen positions (the check boxes of the tab in use).
    Outcome patternSearch(const std::array<bool, 5>& positions, SearchResult& result);
    // The combination search (组合检索) with the combination size of the settings.
    Outcome combinationSearch(SearchResult& result);
    // Whether a search leaves its state in the database (the working columns and Carcu, written
    // in the background), as 检索 does; an export of a search's grids computes it in memory only
    // and leaves the history file untouched. On by default.
    void setStoresState(bool stores) { storesState_ = stores; }
    // Starts reading, in the background, the texts the first search with the current search kind
    // needs, so that it answers as fast as the ones after it.
    void warmUp();

    // The request the settings and targets make, without the span; fails when something must be
    // corrected first.
    Outcome requestFromSettings(search::SearchRequest& request);
    // What a search of request reads besides the rows, from the columns kept in memory; with
    // withFirstRow, what the first row keeps through the rewrites too. Valid until the next
    // search or change of the history.
    search::SearchInput searchInput(const search::SearchRequest& request, bool withFirstRow);

  private:
    Outcome run(search::SearchRequest request, SearchResult& result);
    // The settings and targets into request, without checking them.
    Outcome fillRequest(search::SearchRequest& request);
    // The request from the settings, targets and span; fails when something must be corrected.
    Outcome completeRequest(search::SearchRequest& request);
    SearchResult compute(const search::SearchRequest& request);
    std::vector<std::string> previousTexts(const search::SearchRequest& request,
                                           const std::vector<std::uint32_t>& hits);
    void startWrite(const search::SearchRequest& request, const search::Tally& tally);
    std::shared_ptr<const search::TextColumn> column(const std::string& name);

    Workspace& workspace_;
    search::ColumnCache columns_;
    // Used by one background write at a time (each waits for the one before).
    std::shared_ptr<search::SearchStateWriter> writer_;
    bool storesState_ = true;
};

} // namespace app
