#pragma once
// The exports of the window's grids, as the window and the command line call them: the history as
// a text file named after its newest period, and the history grid, the hit grid and the result
// grid as workbooks. Each writes exactly the texts its grid shows, into a file of the data folder,
// and replaces an earlier file of that name only when the new one is complete.

#include "history/progress.h"
#include "workspace/search_service.h"
#include "workspace/workspace.h"

#include <string>

namespace app {

// What an export did.
struct ExportResult {
    Outcome outcome;  // when ok, the message says what was written where
    std::string path; // the file written; empty when nothing was
    bool cancelled = false;
};

class ExportService {
  public:
    explicit ExportService(Workspace& workspace) : workspace_(workspace) {}

    // The text export's file: 更新至 + the newest period in eight digits + 期 + the game's name +
    // 历史号码.txt. Empty while the history is empty.
    std::string textPath() const;
    // The workbooks of the three grids.
    std::string historySheetPath() const;
    std::string hitsSheetPath() const;
    std::string tallySheetPath() const;

    // The history as text, one line per draw as the history grid shows it (the id, then each
    // number in two digits followed by a blank), lines ended by CR LF. Refused for an empty
    // history.
    ExportResult exportText();
    // The history grid, its header row included, to lishi.xlsx; can be cancelled.
    ExportResult exportHistorySheet(history::Progress& progress);
    // The hit grid and the result grid of a search to Jiansuo.xlsx and Jieguo.xlsx. An empty
    // result (no search yet) writes the header row only.
    ExportResult exportHitsSheet(const SearchResult& result);
    ExportResult exportTallySheet(const SearchResult& result);

  private:
    std::string dataFile(const std::string& name) const;

    Workspace& workspace_;
};

} // namespace app
