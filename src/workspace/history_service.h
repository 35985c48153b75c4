#pragma once
// The operations that replace or trim the stored history, as the window and the command line
// call them: the text import, deleting the newest draw, clearing, cutting back to a period,
// deleting the last N periods, the rebuild from the backup file and the compaction. Questions to
// the user (confirmations, the file dialog, the input boxes) are the caller's; each operation
// takes what the user chose or typed. Every change runs in one transaction: on a failure or a
// cancel the history stays as it was and the message says so.

#include "history/progress.h"
#include "history/text_format.h"
#include "workspace/workspace.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace app {

// What an operation that stores or removes draws did.
struct HistoryResult {
    Outcome outcome;
    bool cancelled = false;
    bool changed = false; // the stored history changed (even when a later step failed)
    size_t stored = 0;    // draws stored (import, rebuild: the rows of the new history)
    size_t removed = 0;   // draws the history lost (deletions)
    // Lines of the file that were not stored.
    std::vector<history::ReportedLine> reported;
    // Where the history that was replaced or cleared was saved first; empty when nothing was.
    std::string backupFile;
};

// Saves the rows from..to-1 as an import-format text in folder, named prefix + the date and
// time, and keeps the newest `keep` files of that prefix. Returns the path; throws
// platform::FileError when it cannot be written.
std::string saveDrawsAsText(const std::string& folder, const std::vector<history::HistoryRow>& rows,
                            size_t from, size_t to, const std::string& prefix, size_t keep);
// The same for a text already made (lines ended by CR LF).
std::string saveTextCopy(const std::string& folder, const std::string& text,
                         const std::string& prefix, size_t keep);

// What a deletion the user typed would remove from the history as it is now, for the question
// asked before it.
struct DeletionPlan {
    Outcome outcome;             // the entry is refused when not ok (the message says why)
    size_t remove = 0;           // draws that would go
    size_t stored = 0;           // draws the history holds
    bool moreThanStored = false; // more periods asked for than the history holds
    std::string first, last;     // the oldest and the newest period that would go (ten digits)

    // The question before the deletion ("将删除N期历史号码（…至…），确定吗？"), or, when more
    // than the history holds is asked for, the question of a clear.
    std::string question() const;
};

// The start of the name of a text copy of draws of a game: prefix, the game's name and "-"
// ("备份-江西11选5-"), so that each game keeps its own copies.
std::string gameFilePrefix(const std::string& prefix, history::Game game);

// The start of the names of the copies of removed draws in 历史号码, followed by the game's name.
inline constexpr const char* kDeletedCopyPrefix = "删除-";

class HistoryService {
  public:
    explicit HistoryService(Workspace& workspace) : workspace_(workspace) {}

    // 历史号码 in the data folder, where the open-file dialog starts. Created when missing,
    // together with the sample history of simulated draws.
    std::string importFolder();
    // The file name rule of the import: the name, lower-cased, ends in "txt".
    static bool isTextFileName(const std::string& path);
    // The backup file the cut-backs write and the rebuild reads (lsbf.txt, one per game like the
    // database file).
    std::string backupPath() const;
    // The compaction copy beside the database file, one per game.
    std::string compactionPath() const;

    // The import, after the confirmation and the file dialog: replaces the history by the draws
    // of the file, a text file or (by the name's extension) a .csv, .xls or .xlsx sheet.
    HistoryResult importFile(const std::string& path, history::Progress& progress);
    // Deletes the newest draw, then compacts.
    HistoryResult deleteNewest();
    // Deletes every draw, after the confirmation.
    HistoryResult clearHistory();
    // Cutting back to a period: the input box's default text (the newest period) and the
    // operation with the entered text (a ten-digit period: keep every draw up to it).
    std::string cutBackDefault() const;
    HistoryResult cutBackTo(const std::string& entry, history::Progress& progress);
    // Deleting the last N periods: the input box's default text and the operation.
    static std::string deleteLastDefault() { return "1"; }
    HistoryResult deleteLast(const std::string& entry, history::Progress& progress);
    // What cutBackTo and deleteLast would remove with this entry.
    DeletionPlan planCutBack(const std::string& entry) const;
    DeletionPlan planDeleteLast(const std::string& entry) const;
    // Rebuilds the history from the backup file, re-deriving every draw.
    HistoryResult rebuildFromBackup(history::Progress& progress);
    // Re-derives every stored draw under the current settings (after a zodiac or segment base or
    // the zodiac rule changed): the cut-back's rebuild, keeping every draw.
    HistoryResult rebuild(history::Progress& progress);
    // Removes the stored rows that cannot be a draw, after saving them as they are stored (a
    // line of the period and the five numbers each) as a deletion copy in 历史号码, and
    // re-derives the rest under the current settings; the history is replaced in one step.
    HistoryResult repairDamaged(history::Progress& progress);

    // The largest file the import reads (a decade of one game's draws is under 10 MB).
    static constexpr std::uintmax_t kMaxImportBytes = 64 * 1024 * 1024;
    // How many text copies of replaced histories 历史号码 keeps.
    static constexpr size_t kKeptBackups = 10;
    // The same for the copies of draws a cut-back or a deletion removed.
    static constexpr size_t kKeptDeletions = 10;
    // Checks and compacts the database file and reopens it.
    Outcome compact();

    // The reported lines as the user reads them ("第12行：..."), at most maxLines of them.
    static std::string describeReported(const std::vector<history::ReportedLine>& reported,
                                        size_t maxLines);

  private:
    // Saves the history about to be replaced or cleared as an import-format text in 历史号码,
    // named with the date and time, and keeps the newest kKeptBackups of them. Returns its path
    // (empty for an empty history); throws platform::FileError when it cannot be written.
    std::string saveHistoryBeforeReplacing();
    // Saves the rows from..to-1 of the history as it is under the write lock, before they are
    // deleted, as "删除-" and the date and time in 历史号码 (the newest kKeptDeletions stay).
    // Returns its path (empty when nothing goes); throws platform::FileError.
    std::string saveDrawsBeforeDeleting(size_t from, size_t to);
    HistoryResult keepFirst(size_t keep, const std::string& what, history::Progress& progress);
    // Hands the new history to the workspace: rows that carry every kind, or nothing to have it
    // read from the database. replaced: a new history, whose span starts afresh.
    void publish(std::optional<std::vector<history::HistoryRow>> rows, bool replaced);

    Workspace& workspace_;
};

} // namespace app
