#pragma once
// Replacing the whole history by a list of draws: the text import and the rebuild from the
// backup file. The new history is built in a new database file beside the live one, which then
// takes the place of the live file in one rename, so the history is either the new one or, after
// a failure or a cancel, exactly the old one.

#include "history/history_table.h"
#include "history/progress.h"
#include "history/text_format.h"
#include "history/zodiac.h"
#include "platform/database.h"

#include <optional>
#include <vector>

namespace history {

struct ReplaceOptions {
    int segmentBase = 1;
    // The rebuild also fills the txtHisPreLst columns (the draw two lines back).
    bool fillPreviousStrings = false;
};

// Replaces every row of Lishi (what deleteAllDraws and appending would leave) by the draws in their
// order, each derived through the bulk path under zodiac (whose year follows the draws; it is
// restored when nothing is stored). The new file is made from the program's own table definitions
// and keeps the rows of the live file's tally table Carcu and of the recorded tickets (Touzhu); it
// is flushed to the disk, renamed over the live file and db is reopened on it. Returns the new rows
// in the order of the ordered view (SQQH, then storing order), or nothing when progress asked to
// stop. Throws platform::DbError or platform::FileError when the new file cannot be made or put in
// place; the live file is then unchanged and db open on it. Only when the reopening after the
// rename fails is db left closed (the new history is stored).
std::optional<std::vector<HistoryRow>> replaceHistory(platform::Database& db, Zodiac& zodiac,
                                                      const std::vector<ParsedDraw>& draws,
                                                      const ReplaceOptions& options,
                                                      Progress& progress);

} // namespace history
