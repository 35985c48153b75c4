#pragma once
// History maintenance: the backup file the cut-backs write, the entries of the cut-back boxes,
// and the compaction of the database file.

#include "history/history_table.h"
#include "platform/database.h"

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace history {

// The backup text of the first count rows: one line per draw in the text format, CR LF ends.
std::string backupText(const std::vector<HistoryRow>& rows, size_t count);
// The same for the rows from..to-1 (the draws a deletion removes).
std::string backupText(const std::vector<HistoryRow>& rows, size_t from, size_t to);

// The rows among the first count that the backup text cannot carry: a period id outside
// 1..99999999 or of draw number 00, or numbers that are not five different ones of 01..11 (a
// damaged or foreign row). A rebuild from the backup would lose them.
std::vector<size_t> rowsBackupCannotCarry(const std::vector<HistoryRow>& rows, size_t count);

// How many rows (from the oldest) a cut back to limit keeps: those up to the first row above it.
size_t rowsUpTo(const std::vector<HistoryRow>& rows, int limit);

// The cut-back entry: a ten-digit period id (blanks around it allowed), in stored form. Anything
// else gives nothing.
std::optional<int> cutBackLimit(std::string_view entry);

// The delete-last-N entry: a whole number (blanks around it and a sign allowed) that fits 32
// bits. Anything else gives nothing.
std::optional<int> periodCount(std::string_view entry);

class CompactError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Checks the open database, writes a compacted copy into tmpPath (replacing an older
// one; the copy stays), puts a copy of it in place of the database file (written completely and
// flushed under another name, then renamed), and reopens db on the compacted file. The live file
// is never removed before its replacement is complete: on any failure it stays as it was and db
// is open on it again. Throws CompactError (or DbError when even the reopening fails, leaving db
// closed).
void compactDatabase(platform::Database& db, const std::string& tmpPath);

} // namespace history
