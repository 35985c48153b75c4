#pragma once
// The table of the tickets the player recorded (我的投注), Touzhu, kept in the game's history file
// beside Lishi and Carcu. This layer stores and carries the rows as they are; what a row means
// (its tickets, periods and settling) is the play layer's. A file without the table reads as one
// without records; older versions of the program open the file as before, since they read only
// Lishi and Carcu.

#include "platform/database.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace history {

// One stored row, its columns as text or integers as stored. A value of the wrong type reads as
// empty text or 0, and the play layer names the row as damaged.
struct TicketRow {
    std::int64_t id = 0;
    std::string recorded; // local date and time of recording, "2026-12-09 21:50:00"
    std::string play;     // the play's code, "r5"
    std::string entered;  // the tickets as the player entered them
    std::string tickets;  // every ticket it stands for, "01 02 03 04 05|01 02 03 04 06"
    std::int64_t multiplier = 1;
    std::int64_t priceFen = 200; // the price of one ticket in fen
    std::string periods;         // the periods in stored form, comma separated
    std::int64_t stopOnWin = 0;  // 1: a win cancels the later periods
    std::string multipliers;     // one per period, comma separated; empty: multiplier throughout
    bool typesSound = true;      // every column held the type it is written with
};

// Creates Touzhu when missing (nothing else of the file changes).
void createTicketTable(platform::Database& db);
bool hasTicketTable(platform::Database& db);

// Every row in the order of their ids; none when the table is missing.
std::vector<TicketRow> loadTicketRows(platform::Database& db);
// Inserts a row (its id is chosen by the table) and returns the id. The caller holds the
// transaction.
std::int64_t insertTicketRow(platform::Database& db, const TicketRow& row);
// Deletes the row; false when there is none of that id.
bool deleteTicketRow(platform::Database& db, std::int64_t id);

// Copies every row of Touzhu of the live file into fresh (a replacement of the history file being
// built), creating the table there from the program's own definition. Nothing when live has none.
void copyTicketRows(platform::Database& live, platform::Database& fresh);

} // namespace history
