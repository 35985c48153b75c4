#pragma once
// Replacing the whole history by a list of draws: the text import and the rebuild from the
// backup file. The rows are replaced in one transaction, so the history is either the new one or,
// after a failure or a cancel, exactly the old one.

#include "history/history_table.h"
#include "history/progress.h"
#include "history/text_format.h"
#include "history/zodiac.h"
#include "platform/database.h"

#include <optional>
#include <vector>

namespace history {

struct ReplaceOptions {
    int dsIni = 1;
    // The rebuild also fills the txtHisPreLst columns (the draw two lines back).
    bool fillPreviousStrings = false;
};

// Deletes every row of Lishi (Delrec) and stores the draws in their order, each derived through
// the bulk path under zodiac (whose year follows the draws; it is restored when nothing is
// stored). Returns the new rows in the order of the ordered view (SQQH, then storing order), or
// nothing when progress asked to stop. Throws platform::DbError when the database refuses; the
// history is then unchanged.
std::optional<std::vector<HistoryRow>> replaceHistory(platform::Database& db, Zodiac& zodiac,
                                                      const std::vector<ParsedDraw>& draws,
                                                      const ReplaceOptions& options,
                                                      Progress& progress);

} // namespace history
