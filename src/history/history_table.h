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

// What is wrong with a stored row.
enum class Damage {
    Numbers,     // the period is sound, the numbers are not five different ones of 01..11
    Period,      // the period is not an id yymmddNN
    StoredTwice, // a sound draw whose period an earlier stored row holds already
    OutOfOrder,  // a sound draw stored after a later period: the draws stored before it are not
                 // the ones before it, so its previous-draw columns describe another draw
};

// A stored row that cannot be a draw of the history as it stands: its period is not an id
// yymmddNN (an integer of 1..99999999 with a draw number of at least 01), its numbers are not five
// different ones of 01..11 (a number missing, text, or out of range), its period is stored twice,
// or it is stored out of the order of the periods. A row whose period or numbers are damaged is
// read with the numbers that are not of 1..11 as 0 (and a period that is no integer as 0); no
// analysis may use the history while any of them is there.
struct DamagedRow {
    std::int64_t id = 0;
    std::size_t place = 0; // 1-based, in the table's stored order (ID)
    Damage kind = Damage::Numbers;
    std::int32_t period = 0;      // when the period is sound
    std::int32_t storedAfter = 0; // OutOfOrder: the latest period stored before it
    std::string stored;           // SQQH and the five numbers as stored, blank-separated

    // The repair removes it (a damaged row, or a period's second row); else it only moves.
    bool removed() const { return kind != Damage::OutOfOrder; }
};

// How the user reads them: "第16090852期的号码已损坏", "历史号码表第3行的期号已损坏",
// "第16090852期存了两次（历史号码表第7行）", "第16090851期在第16090852期之后才存入"; at most `most`
// of them, then how many there are in all.
std::string describeDamagedRows(const std::vector<DamagedRow>& rows, std::size_t most = 5);

// Adds to damaged the rows of sound draws that stand where the ordered view cannot have them: the
// rows of a period stored before (StoredTwice), and those stored after a later period (OutOfOrder).
// rows in any order; the rows listed in damaged already are passed over. damaged ends in the
// table's stored order.
void findMisplacedRows(const std::vector<HistoryRow>& rows, std::vector<DamagedRow>& damaged);

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
// Rows that cannot be a draw are listed in damaged when it is given.
std::vector<HistoryRow> loadHistory(platform::Database& db, bool allKinds = false,
                                    std::vector<DamagedRow>* damaged = nullptr);
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
