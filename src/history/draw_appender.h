#pragma once
// Stores draws into Lishi with every derived column. Keeps the two draws stored before in
// memory, so a run of draws (typed, imported, fetched or rebuilt) never re-reads the table.
// The caller owns the transaction.

#include "history/attributes.h"
#include "history/history_table.h"
#include "history/zodiac.h"
#include "platform/database.h"

#include <optional>
#include <stdexcept>

namespace history {

class DrawAppender {
  public:
    // fillPreviousStrings: also write the txtHisPreLst columns (the draw two stored before), as
    // the rebuild does; other paths leave them unset.
    DrawAppender(platform::Database& db, Zodiac& zodiac, int segmentBase, bool fillPreviousStrings);

    // The draws stored before the first one appended here (the newest rows of the history).
    void seed(const DrawValues* secondNewest, const DrawValues* newest);

    // Derives and stores one draw under period period; the zodiac year follows the
    // period. Returns the row as the ordered view will hold it.
    HistoryRow append(int period, const Numbers& numbers);

  private:
    struct Previous {
        DrawValues values;
        DrawStrings strings;
    };

    platform::Database& db_;
    Zodiac& zodiac_;
    int segmentBase_;
    bool fillPreviousStrings_;
    platform::Statement insert_;
    int zodiacDay_ = -1;
    std::optional<Previous> newest_;
    std::optional<Previous> secondNewest_;
};

// The file holds a draw of this period or of a later one already (another process stored it since
// the caller looked): storing would put two draws under one period. Nothing was stored.
class PeriodTaken : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Stores one draw after the newest stored rows, in a transaction of its own: a typed draw. The
// previous-draw columns come from the newest stored rows. Returns the stored row with every kind.
// Throws PeriodTaken when the newest stored period is not before period.
HistoryRow storeDraw(platform::Database& db, Zodiac& zodiac, int segmentBase, int period,
                     const Numbers& numbers);

} // namespace history
