#pragma once
// The workspace: everything the main window holds, without widgets. The settings, the open
// history database, the ordered history in memory, the zodiac state, the next period id, the
// search targets and span, and every operation as a method whose widget reads are arguments.
// The window and the command line both drive this class.

#include "history/attributes.h"
#include "history/history_table.h"
#include "history/ordered_history.h"
#include "history/period.h"
#include "history/zodiac.h"
#include "platform/database.h"
#include "platform/file_lock.h"
#include "search/column_cache.h"
#include "search/search_request.h"
#include "workspace/settings.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace app {

// What an operation did: ok, or a message for the user saying what went wrong and what to do.
struct Outcome {
    bool ok = true;
    std::string message;

    static Outcome success(std::string text = {}) { return {true, std::move(text)}; }
    static Outcome failure(std::string text) { return {false, std::move(text)}; }
};

// What a background write came to: a problem that fails the operation, or a notice that leaves
// its result standing; both empty when all went well.
struct WriteReport {
    std::string problem;
    std::string notice;
};

struct WorkspaceOptions {
    std::string dataDir;
    // An INI file instead of the user's settings store.
    std::optional<std::string> settingsFile;
    // Today's date; the system clock when empty (tests set it).
    std::function<std::chrono::year_month_day()> today;
    // How long an operation that changes the database waits for another process's operation.
    std::chrono::milliseconds lockWait{15000};
    // How long the online update may take to read one day's page (download and reading), and
    // the whole update (every day, every page read again).
    std::chrono::milliseconds pageTimeout{30000};
    std::chrono::milliseconds updateTimeout{5 * 60 * 1000};
    // A command that searches: the text columns of the search kind (this one, else the settings')
    // are read on another thread while the history loads.
    bool readSearchColumnsAhead = false;
    std::optional<history::Kind> searchKindAhead;
    // The game of this run instead of the settings' (the command line's --game); not saved.
    std::optional<history::Game> game;
    // False for a run that needs no draw (a setting read or saved, the clock, the list of
    // games): the database is opened but its draws are not read until an operation asks for the
    // database (requireDatabase, lockForWriting), so the run costs the same at any history size.
    bool readDraws = true;
    // The game table file instead of the installed one (tests).
    std::optional<std::string> gameTable;
    // Tests: runs whenever the history is read from the file, after its rows and before the
    // file's version (another writer put there meets the reading at its most delicate point).
    std::function<void()> historyReadHook;
};

class Workspace;

// The data folder's write lock, held by an operation that changes the database for as long as it
// runs. Operations within an operation of the same workspace share it.
class WriteLock {
  public:
    WriteLock() = default;
    ~WriteLock();
    WriteLock(WriteLock&& other) noexcept;
    WriteLock& operator=(WriteLock&& other) noexcept;

  private:
    friend class Workspace;
    Workspace* workspace_ = nullptr;
};

// Where the search targets come from: the reference draw (first tab) or the typed boxes (second).
enum class TargetSource { ReferenceDraw, Typed };

class Workspace {
  public:
    // Runs the start-up sequence: reads the settings, opens (or creates) the database, loads the
    // history, shows the next period, the zodiac year, the search span and the targets.
    explicit Workspace(WorkspaceOptions options);
    ~Workspace();

    // ---- state ----
    const Settings& settings() const { return settings_.values(); }
    const std::string& dataDir() const { return options_.dataDir; }
    // The options this workspace was opened with (another workspace on the same folder).
    const WorkspaceOptions& options() const { return options_; }
    // Today's date (the clock tests and the command line's --today can set).
    std::chrono::year_month_day today() const;
    void setToday(std::chrono::year_month_day day) {
        options_.today = [day] { return day; };
    }
    std::chrono::milliseconds pageTimeout() const { return options_.pageTimeout; }
    // The history file of the current game (see historyFileName).
    std::string databasePath() const { return databasePath_; }
    // Each game keeps its own history file in the data folder: kelvora11S5.db holds the game it
    // records (a file that records none yet holds the game the settings named when this workspace
    // started), every other game has kelvora11S5-<code>.db beside it. The name of the file of a
    // game, and the suffix the files that go with it (the compaction copy, the cut-back's backup)
    // carry: "" for the game of kelvora11S5.db, "-<code>" for the others.
    std::string historyFileName(history::Game game) const;
    std::string gameFileSuffix(history::Game game) const;
    std::string gameFileSuffix() const { return gameFileSuffix(settings().game); }
    // When the current game's file records another game (a file copied in by hand), it is left
    // untouched and the database stays closed: the game it records. The user may then take the
    // file as the current game's history (takeFileAsCurrentGame) or choose another game.
    std::optional<int> refusedFileGame() const { return refusedFileGame_; }
    // Records the current game in its refused file and opens it.
    Outcome takeFileAsCurrentGame();
    std::chrono::milliseconds updateTimeout() const { return options_.updateTimeout; }
    // The text columns read while the history loaded (readSearchColumnsAhead), once.
    search::ColumnReading takeColumnReading() { return std::move(columnReading_); }
    bool databaseOpen() const { return db_.isOpen(); }
    // The history is open for reading only: the data folder cannot be written (a read-only
    // folder or disk). Everything that would change it is refused with readOnlyProblem().
    bool readOnly() const { return db_.isOpen() && db_.readOnly(); }
    std::string readOnlyProblem() const;
    // When two files of the data folder may each be the game's history (kelvora11S5.db is the
    // game's and kelvora11S5-<code>.db is there as well, a copy put in by hand, say): the
    // message naming both and what each holds. Neither is used for the game while both are there.
    std::optional<std::string> twoFilesProblem(history::Game game) const;
    // Opens a file of the data folder to read what it holds (for reading only when the folder
    // cannot be written).
    platform::Database openToRead(const std::string& path) const;
    // Why the database could not be opened; empty when it is open.
    const std::string& databaseProblem() const { return databaseProblem_; }
    // What the user should know about the opening of the database although it opened (a log
    // that was not the file's own, kept aside), once; empty when nothing.
    std::string takeDatabaseNotice() { return std::exchange(databaseNotice_, std::string()); }

    // The newest stored period (stored form), 0 when none is stored: from the draws in memory,
    // or with the draws unread (WorkspaceOptions::readDraws) from the file's period index.
    std::int32_t newestStoredPeriod();

    // The stored draws in the order of the ordered view. Numbers are always there; the values of
    // the other kinds are read on first use (ensureKinds). Rows stored in this session carry
    // every kind.
    const history::OrderedHistory& history() const { return history_; }
    const std::vector<history::HistoryRow>& rows() const { return history_.rows(); }
    // The stored rows that cannot be a draw; none in a sound history.
    const std::vector<history::DamagedRow>& damagedRows() const { return history_.damaged(); }
    // Fails, naming the damaged rows, while the history holds any: nothing may be computed from
    // them, and no draw derived after them, until they are repaired.
    Outcome checkDraws() const;
    void ensureKinds(std::initializer_list<history::Kind> kinds);
    // The period column of the history grid for a row (eight or ten digits by game).
    std::string historyPeriodText(size_t row) const;

    int drawsPerDay() const { return drawsPerDay_; }
    // The next period id in ten-digit form, as the entry line shows it; empty while the history
    // is empty.
    const std::string& nextPeriodText() const { return nextPeriodText_; }
    // The newest row's QQH (its period plus one); 0 while the history is empty.
    std::int32_t newestNextPeriod() const { return newestNextPeriod_; }
    const history::Zodiac& zodiac() const { return zodiac_; }

    // The targets of the searches, and what the first tab's boxes show.
    const std::array<std::int16_t, 5>& targets() const { return targets_; }
    const std::array<std::string, 5>& targetTexts() const { return targetTexts_; }
    TargetSource targetSource() const { return targetSource_; }

    // The search span as the two boxes show it.
    const std::string& spanStart() const { return spanStart_; }
    const std::string& spanEnd() const { return spanEnd_; }
    void setSpan(std::string start, std::string end);

    // ---- draws ----
    // Stores a typed draw. boxes are the five entry texts (leading digits give the number, a box
    // starting with a non-digit is empty). The draw goes under the shown next period id; while
    // the history is empty, under firstPeriod (a ten-digit id the user typed). Nothing is stored
    // when a number is missing, outside 01..11 or repeated; the message says which.
    Outcome addDraw(const std::array<std::string, 5>& boxes, const std::string& firstPeriod = {});

    // The targets anew: from the reference draw, or from the typed boxes.
    void reloadTargets();

    // ---- settings menus ----
    // Saves the game and switches to its history at once (a game the menu does not offer is
    // ignored). Fails with the message when the game's history file cannot be opened or records
    // another game; the database is closed then and nothing was changed in any file.
    Outcome setGame(history::Game game);
    void setZodiacBase(int base);
    void setSegmentBase(int base);
    // Whether zodiac values follow the animal order or the age; applies to draws stored from now
    // on (the stored ones keep theirs until a rebuild).
    void setZodiacOrder(bool animalOrder);

    // ---- search options ----
    void setPositionMode(search::PositionMode mode);
    void setPeriodMode(search::PeriodMode mode);
    // The period distance N of 前期 as typed in its one-digit box. An empty box or 0 is refused
    // with a message and changes nothing.
    Outcome setBackDistance(const std::string& text);
    void setSearchKind(history::Kind kind);
    void setResultKind(history::Kind kind);
    // The target tab in use and the typed target boxes as the window holds them.
    void setTargetSource(TargetSource source, const std::array<std::string, 5>& typed);
    // The combination size typed or picked in its box: any whole number (only 1 to 5 find hits).
    Outcome setCombinationSize(const std::string& text);

    // True for the settings under which the stored values were derived (zodiac base and rule,
    // segment base): after a change the stored history should be re-derived.
    static bool changesDerivedValues(const std::string& key);

    // ---- what another process did (the window looks now and then) ----
    // Follows another process's change of the database (a commit or a replaced file) now, unless
    // an operation or this workspace's own writing is going on. True when the history was read
    // again (the grids, next period, targets and span have to be shown anew).
    bool followOutsideChanges();
    // Reads the settings store again; true when a value changed (another process's `set`). The
    // next period, zodiac values, targets and span follow.
    bool rereadSettings();

    // Puts in force the games of the shipped table with the player's changes of the settings
    // (after they changed); the next period and the draws a day follow.
    void gamesChanged();

    // ---- settings by key (command line) ----
    std::optional<std::string> settingText(const std::string& key) const;
    Outcome setSetting(const std::string& key, const std::string& value);

    // ---- text of the history, as the text export writes it (one line per draw) ----
    std::string historyLine(size_t row) const;

    // ---- for the operation services (search, import, maintenance, online update, export) ----
    // Each service is its own class over the workspace (app/<service>.h); these give it the
    // shared state. The database is open only when databaseOpen().
    platform::Database& database() {
        waitForWrites();
        return db_;
    }
    history::Zodiac& mutableZodiac() { return zodiac_; }
    SettingsFile& settingsFile() { return settings_; }
    // Fails with the message for the user when the database is not open. Follows what another
    // process did to the database since this workspace last looked (see lockForWriting).
    Outcome requireDatabase();
    // The same, and fails when the history can only be read (see readOnly).
    Outcome requireWritable();
    // The database's data_version as this workspace last followed it.
    std::int64_t followedDataVersion() const { return dataVersion_; }
    // Takes the data folder's write lock for an operation that changes the database: waits for
    // background writing and for another process's operation (up to the lock wait), then follows
    // what another process did meanwhile (a database file renamed over ours is opened again, a
    // history changed in place is read again). Fails with the message for the user.
    Outcome lockForWriting(WriteLock& lock);
    // The lock file in the data folder.
    std::string lockPath() const;
    std::chrono::milliseconds lockWait() const { return options_.lockWait; }
    // Writing that goes on in the background (a search's final state). Every use of the database
    // through database() or requireDatabase() waits for it first.
    void setPendingWrite(std::future<WriteReport> pending);
    // True while background writing goes on.
    bool writePending() const;
    // Waits for background writing; returns what went wrong with it, once (empty when nothing).
    std::string waitForWrites();
    // A failure of background writing not yet reported to the user.
    std::string takeWriteProblem();
    // A notice of background writing that left the operation's result standing (the search's
    // working state was not kept), not yet reported to the user.
    std::string takeWriteNotice();
    // After the stored draws changed: the history in memory is replaced by rows (already stored,
    // in the order of the ordered view) or, without rows, re-read from the database; then the
    // next period, the targets and the span follow. resetSpan puts the span over the whole
    // history (a replaced history); otherwise boxes that followed the history keep following.
    void historyChanged(bool resetSpan);
    void historyChanged(std::vector<history::HistoryRow> rows, bool resetSpan);

  private:
    friend class WriteLock;
    void releaseWriteLock();
    Outcome followOtherWriters();
    // True when another connection committed to the file since the last look.
    bool changedElsewhere();
    // Reads the history and the version it counts as (one state of the file).
    void loadHistory(platform::Database& db);
    // Reads the draws left unread at the start (WorkspaceOptions::readDraws), and shows the next
    // period, the zodiac year, the span and the targets they give.
    void readUnreadDraws();
    // Under the write lock: true when the file's rows agree with the history in memory in what
    // writing depends on (how many, the newest period and row).
    bool fileAgreesWithMemory();
    void openDatabase();
    // Opens the history of the current game after a game switch.
    void switchHistory();
    // What a file on disk looks like: its size, time of writing and database header.
    struct FileMark {
        std::uintmax_t size = 0;
        std::filesystem::file_time_type written{};
        std::string header;
        bool operator==(const FileMark&) const = default;
    };
    // A game's history once read, with its open file, kept while another game is shown; the
    // file's mark then (a file copied over it in place is no commit its connection would see).
    struct KeptHistory {
        platform::Database db;
        history::OrderedHistory history;
        std::int64_t dataVersion = 0;
        std::uint64_t dataSerial = 0;
        FileMark file;
    };
    // Keeps the shown history (its file at path) for a switch back.
    void keepShownHistory(const std::string& path);
    // Shows the history kept for the file at databasePath(), following what another process did
    // to the file since (read again only when it changed); false when none is kept or the file
    // is no longer the one kept (then it is opened afresh).
    bool showKeptHistory();
    // Switches to the game's history; stores the choice (store) only once its file is open.
    Outcome switchGame(history::Game game, bool store);
    bool folderWritable() const;
    // The zodiac year of the next period, or of today while the history is empty.
    void followZodiacYear();
    // The game kelvora11S5.db holds: the one it records, else the settings' game at start.
    history::Game mainFileGame() const;
    // Removes what a killed import, rebuild or compaction left half-made in the data folder.
    void removeLeftoversOfKilledRuns();
    // Keeps aside a log beside a game's history file that is not its own, and says so in the
    // notice.
    void keepForeignLogsAside();
    void modeChanged();
    void reloadHistory();
    void refreshNextPeriod();
    void resetSpanStart();
    void updateSpan();
    // The span end box's text when it follows the history: the newest draw's id.
    std::string followingSpanEnd() const {
        return history::tenDigit(history_.empty() ? 0 : history_.newest().period);
    }
    void afterHistoryChange();
    void putGamesInForce();

    WorkspaceOptions options_;
    SettingsFile settings_;
    // The game the stored settings named when this workspace started.
    history::Game startGame_ = history::Game::Jiangxi;
    platform::Database db_;
    std::string databasePath_;
    std::string databaseProblem_;
    std::optional<int> refusedFileGame_;
    std::string databaseNotice_;
    history::OrderedHistory history_;

    int drawsPerDay_ = 84;
    std::string nextPeriodText_;
    std::int32_t newestNextPeriod_ = 0;
    history::Zodiac zodiac_;

    std::array<std::int16_t, 5> targets_{};
    std::array<std::string, 5> targetTexts_{};
    TargetSource targetSource_ = TargetSource::ReferenceDraw;
    std::array<std::string, 5> typedTargets_{};

    std::string spanStart_;
    std::string spanEnd_;

    std::future<WriteReport> pendingWrite_;
    search::ColumnReading columnReading_;
    std::string writeProblem_;
    std::string writeNotice_;

    platform::FileLock fileLock_;
    int writeLocks_ = 0;           // operations now holding the lock
    std::int64_t dataVersion_ = 0; // the database's data_version when last looked at
    std::uint64_t dataSerial_ = 0; // the connection dataVersion_ was read on
    bool drawsUnread_ = false;     // the open file's draws are not in history_ (readDraws)
    // The histories of the games shown before, by their file's path.
    std::map<std::string, KeptHistory> keptHistories_;
};

} // namespace app
