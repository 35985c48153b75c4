#include "history/history_import.h"

#include "history/draw_appender.h"
#include "platform/file_io.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>

namespace history {

namespace {

// How many draws are stored between two reports of progress.
constexpr size_t kProgressStep = 2048;

std::string quoted(const std::string& name) {
    std::string out = "\"";
    for (char c : name) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

bool sameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

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
        // A journal left by an earlier attempt would be played back into the new file.
        std::filesystem::remove(path_ + "-journal", ignored);
    }

    std::string path_;
    bool placed_ = false;
};

struct SchemaEntry {
    std::string type;
    std::string name;
    std::string sql;
};

// Everything the live file defines (tables, indexes, triggers, views), in the order it was made.
std::vector<SchemaEntry> schemaOf(platform::Database& db) {
    auto stmt = db.prepare("SELECT type, name, sql FROM sqlite_master "
                           "WHERE sql IS NOT NULL AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' "
                           "ORDER BY rowid");
    std::vector<SchemaEntry> entries;
    while (stmt.step()) entries.push_back({stmt.textAt(0), stmt.textAt(1), stmt.textAt(2)});
    return entries;
}

// The file-level settings a copy of the database keeps.
void copyFileSettings(platform::Database& from, platform::Database& to) {
    for (const char* name : {"page_size", "auto_vacuum", "user_version", "application_id"}) {
        auto query = from.prepare(std::string("PRAGMA ") + name);
        if (query.step())
            to.exec(std::string("PRAGMA ") + name + " = " + std::to_string(query.int64At(0)));
    }
}

// Copies the rows of every table but Lishi from the live file, keeping their row ids.
void copyOtherTables(platform::Database& fresh, const std::string& live,
                     const std::vector<SchemaEntry>& schema) {
    auto attach = fresh.prepare("ATTACH DATABASE ?1 AS live");
    attach.bind(1, live);
    attach.run();
    try {
        for (const auto& entry : schema) {
            if (entry.type != "table" || sameName(entry.name, "Lishi")) continue;
            std::string columns;
            auto info = fresh.prepare("SELECT name FROM pragma_table_info(?1)");
            info.bind(1, entry.name);
            while (info.step()) columns += (columns.empty() ? "" : ", ") + quoted(info.textAt(0));
            std::string upper = entry.sql;
            for (char& c : upper)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            if (upper.find("WITHOUT ROWID") == std::string::npos) columns = "rowid, " + columns;
            fresh.exec("INSERT INTO main." + quoted(entry.name) + " (" + columns + ") SELECT " +
                       columns + " FROM live." + quoted(entry.name));
        }
    } catch (...) {
        fresh.exec("DETACH DATABASE live");
        throw;
    }
    fresh.exec("DETACH DATABASE live");
}

void createAll(platform::Database& db, const std::vector<SchemaEntry>& schema, const char* type) {
    for (const auto& entry : schema)
        if (entry.type == type) db.exec(entry.sql);
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
            const auto schema = schemaOf(db);
            createAll(fresh, schema, "table");
            copyOtherTables(fresh, live, schema);

            fresh.exec("BEGIN");
            // Triggers act on the new rows as they would on the live table; the indexes are
            // built once every row is in.
            createAll(fresh, schema, "view");
            createAll(fresh, schema, "trigger");
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
            createAll(fresh, schema, "index");
            fresh.exec("COMMIT");
        }
        platform::syncFile(scratch.path());

        // The new file is complete on the disk; only the rename remains.
        db.close();
        try {
            platform::renameDurably(scratch.path(), live);
        } catch (...) {
            db = platform::Database(live);
            throw;
        }
        scratch.placed();
        replaced = true;
        db = platform::Database(live);
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
