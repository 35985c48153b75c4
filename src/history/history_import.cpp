#include "history/history_import.h"

#include "history/draw_appender.h"
#include "history/ticket_table.h"
#include "platform/file_io.h"

#include <algorithm>
#include <filesystem>
#include <string>

namespace history {

namespace {

// How many draws are stored between two reports of progress.
constexpr size_t kProgressStep = 2048;

// The new database file a replacement is built in, beside the live one. It is removed again
// unless it took the place of the live file.
class ScratchFile {
  public:
    explicit ScratchFile(std::string path) : path_(std::move(path)) { remove(); }
    ~ScratchFile() {
        if (!placed_) remove();
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const std::string& path() const { return path_; }
    void placed() { placed_ = true; }

  private:
    void remove() const {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
        // A journal or log left by an earlier attempt would be played back into the new file.
        for (const char* suffix : {"-journal", "-wal", "-shm"})
            std::filesystem::remove(path_ + suffix, ignored);
    }

    std::string path_;
    bool placed_ = false;
};

// The file-level settings a copy of the database keeps.
void copyFileSettings(platform::Database& from, platform::Database& to) {
    for (const char* name : {"page_size", "auto_vacuum", "user_version", "application_id"}) {
        auto query = from.prepare(std::string("PRAGMA ") + name);
        if (query.step())
            to.exec(std::string("PRAGMA ") + name + " = " + std::to_string(query.int64At(0)));
    }
}

// Copies the rows of the tally table Carcu from the live file.
void copyTally(platform::Database& live, platform::Database& fresh) {
    auto read = live.prepare("SELECT Nmb, Count FROM Carcu");
    auto write = fresh.prepare("INSERT INTO Carcu (Nmb, Count) VALUES (?1, ?2)");
    while (read.step()) {
        for (int c = 0; c < 2; ++c) {
            if (read.isNullAt(c))
                write.bindNull(c + 1);
            else
                write.bind(c + 1, read.int64At(c));
        }
        write.run();
    }
}

} // namespace

std::optional<std::vector<HistoryRow>> replaceHistory(platform::Database& db, Zodiac& zodiac,
                                                      const std::vector<ParsedDraw>& draws,
                                                      const ReplaceOptions& options,
                                                      Progress& progress) {
    const Zodiac before = zodiac;
    const std::string live = db.path();
    std::vector<HistoryRow> rows;
    rows.reserve(draws.size());
    progress.setTotal(draws.size());
    bool replaced = false;
    try {
        ScratchFile scratch(platform::pendingName(live));
        {
            // The new file is not live until it is renamed into place: nothing is journaled and
            // nothing waits for the disk until it is complete. A failure or a cancel only
            // removes it.
            platform::Database fresh(scratch.path());
            copyFileSettings(db, fresh);
            fresh.exec("PRAGMA journal_mode = OFF");
            fresh.exec("PRAGMA synchronous = OFF");
            fresh.exec("PRAGMA locking_mode = EXCLUSIVE");
            fresh.exec("PRAGMA cache_size = -65536");
            // The program's own definitions only: whatever else the live file holds (a trigger
            // planted in it, say) does not come along.
            createTables(fresh, false);
            copyTally(db, fresh);
            // The player's recorded tickets are not draws: they stay whatever the history is.
            copyTicketRows(db, fresh);

            fresh.exec("BEGIN");
            // The index is built once every row is in.
            DrawAppender appender(fresh, zodiac, options.segmentBase, options.fillPreviousStrings);
            for (size_t i = 0; i < draws.size(); ++i) {
                if (i % kProgressStep == 0 && !progress.advance(i)) {
                    zodiac = before;
                    return std::nullopt; // the new file is removed
                }
                rows.push_back(appender.append(draws[i].period, draws[i].numbers));
            }
            if (!progress.advance(draws.size())) {
                zodiac = before;
                return std::nullopt;
            }
            createHistoryIndex(fresh);
            fresh.exec("COMMIT");
            // The file is born in the journal mode every connection uses.
            fresh.exec("PRAGMA journal_mode = WAL");
        }
        platform::syncFile(scratch.path());

        // The new file is complete on the disk; only the rename remains.
        db.replaceFile(scratch.path());
        scratch.placed();
        replaced = true;
    } catch (...) {
        if (!replaced) zodiac = before;
        throw;
    }
    // Rows of one period keep the order they were stored in, as in the ordered view.
    const auto byPeriod = [](const HistoryRow& a, const HistoryRow& b) {
        return a.period < b.period;
    };
    if (!std::is_sorted(rows.begin(), rows.end(), byPeriod))
        std::stable_sort(rows.begin(), rows.end(), byPeriod);
    return rows;
}

} // namespace history
