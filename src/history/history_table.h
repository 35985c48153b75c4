#pragma once
// The history table Lishi and the tally table Carcu: their columns, creation, reading the
// ordered history into memory, and deleting rows.

#include "history/attributes.h"
#include "platform/database.h"

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace history {

// One stored draw as the readers see it: the ordered view holds these in ascending SQQH (rows of
// one period in the order they were stored).
struct HistoryRow {
    std::int64_t id = 0;
    std::int32_t period = 0;
    std::int32_t nextPeriod = 0; // QQH: the period plus one
    DrawValues values{};

    const PositionValues& numbers() const { return values[Number]; }
};

// "L" + position + letter + period suffix ("", "S" or "P"): L3B, L2AS, L5HP.
std::string attributeColumn(int position, int kind, const char* period = "");
// txtHisLst / txtHisPreLst followed by the kind's suffix; kind -1 names the plain column.
std::string textColumn(bool previous, int kind);

// What makes the open file not a history database of this program, read without changing
// anything: another program's tables without Lishi, or a Lishi or Carcu without the columns
// the program uses. Empty for a sound file and for an empty (new) one.
std::string foreignSchemaProblem(platform::Database& db);

// Creates Lishi (every column), its index on SQQH (unless withIndex is false: bulk storing makes
// it afterwards with createHistoryIndex), and Carcu when they are missing. Only the program's own
// definitions are used.
void createTables(platform::Database& db, bool withIndex = true);
void createHistoryIndex(platform::Database& db);

// The whole history in the order of the ordered view, with the numbers of each draw; the values
// of the other kinds stay 0 until loadKindValues reads them.
std::vector<HistoryRow> loadHistory(platform::Database& db, bool allKinds = false);
// Reads the stored values of one kind into rows loaded by loadHistory (same order and count).
void loadKindValues(platform::Database& db, int kind, std::vector<HistoryRow>& rows);
// The newest `count` rows of the ordered view with every kind (of those with a period before
// `before`), oldest first: what a draw appended after them derives its previous-draw columns from.
std::vector<HistoryRow> loadNewestRows(platform::Database& db, int count,
                                       int before = std::numeric_limits<int>::max());
// The rows with a period of at least `from` with their numbers, in the order of the ordered view.
std::vector<HistoryRow> loadRowsFrom(platform::Database& db, int from);

// deleteAllDraws: deletes every row of Lishi.
void deleteAllDraws(platform::Database& db);

// Deletes the newest draw of the ordered view; false when the history is empty.
bool deleteNewestDraw(platform::Database& db);

} // namespace history
