// The workspace opened and closed: its history file (and another game's in its place), what
// killed runs and replaced files left in the data folder, and the writes that end in the
// background.

#include "workspace/workspace.h"

#include "workspace/game_service.h"
#include "workspace/history_file_names.h"

#include "history/game_record.h"
#include "history/period.h"
#include "history/ticket_table.h"
#include "platform/file_io.h"

#include <filesystem>
#include <fstream>
#include <utility>

namespace app {

namespace {

platform::SettingsStore openStore(const WorkspaceOptions& options) {
    if (options.settingsFile) return platform::SettingsStore::fromFile(*options.settingsFile);
    return platform::SettingsStore(kApplicationName);
}

} // namespace

Workspace::Workspace(WorkspaceOptions options)
    : options_(std::move(options)), settings_(openStore(options_)) {
    startGame_ = settings().game;
    if (options_.game) settings_.mutableValues().game = *options_.game;
    const Settings& s = settings();
    putGamesInForce();
    for (const auto& problem : shippedGames(options_.gameTable.value_or("")).problems)
        databaseNotice_ += (databaseNotice_.empty() ? "" : "\n") + problem;
    removeLeftoversOfKilledRuns();
    // Before any connection (the reading ahead's included) opens a file.
    keepForeignLogsAside();
    databasePath_ = (std::filesystem::path(options_.dataDir) / historyFileName(s.game)).string();
    // Read ahead only while no other operation writes: the columns and the history read below
    // must be one state of the file. When another operation holds the lock, nothing is read ahead.
    platform::FileLock quiet;
    std::future<void> begun;
    if (options_.readSearchColumnsAhead) {
        try {
            quiet = platform::FileLock::acquire(lockPath(), std::chrono::milliseconds(0));
        } catch (const std::exception&) {
        }
        if (quiet.held()) {
            std::promise<void> readingBegun;
            begun = readingBegun.get_future();
            columnReading_ = search::ColumnCache::readFileAhead(
                databasePath(), options_.searchKindAhead.value_or(s.searchKind),
                std::move(readingBegun));
        }
    }
    openDatabase();
    if (begun.valid()) begun.wait();
    quiet.release();
    refreshNextPeriod();
    followZodiacYear();
    resetSpanStart();
    updateSpan();
    reloadTargets();
    // The zodiac values follow the rule the menu shows, in the window and on the command line.
    zodiac_.setValueOrder(s.zodiacInAnimalOrder, s.zodiacBase);
    zodiac_.updateYearGroups();
}

Workspace::~Workspace() {
    waitForWrites();
    // Once the program is gone the database file alone holds every change (a copy of it is
    // whole). Never on a file another process has since replaced; never waiting for a reader.
    // A run that only read leaves the log alone: emptying it counts as a change for everyone
    // else who has the file open (a window would read its history again for nothing).
    try {
        if (db_.isOpen() && db_.hasCommitted() && db_.stillAtPath()) db_.tryCheckpoint();
    } catch (const std::exception&) {
        // The log keeps the changes; the next start reads them from there.
    }
}

void Workspace::setPendingWrite(std::future<WriteReport> pending) {
    waitForWrites();
    pendingWrite_ = std::move(pending);
}

std::string Workspace::waitForWrites() {
    if (pendingWrite_.valid()) {
        WriteReport report = pendingWrite_.get();
        if (!report.problem.empty()) writeProblem_ = std::move(report.problem);
        if (!report.notice.empty()) writeNotice_ = std::move(report.notice);
    }
    return writeProblem_;
}

bool Workspace::writePending() const {
    return pendingWrite_.valid() &&
           pendingWrite_.wait_for(std::chrono::seconds(0)) != std::future_status::ready;
}

std::string Workspace::takeWriteProblem() {
    waitForWrites();
    return std::exchange(writeProblem_, std::string());
}

std::string Workspace::takeWriteNotice() {
    waitForWrites();
    return std::exchange(writeNotice_, std::string());
}

void Workspace::ensureKinds(std::initializer_list<history::Kind> kinds) {
    if (!db_.isOpen() || history_.hasKinds(kinds)) return;
    history_.ensureKinds(database(), kinds);
}

void Workspace::followZodiacYear() {
    // The zodiac year of the next period, or of today while there is none.
    if (nextPeriodText_.empty()) {
        const auto d = today();
        zodiac_.setYear(history::Zodiac::yearOfDate(
            static_cast<int>(d.year()), static_cast<int>(static_cast<unsigned>(d.month())),
            static_cast<int>(static_cast<unsigned>(d.day()))));
    } else {
        zodiac_.setYearOfPeriod(nextPeriodText_);
    }
}

void Workspace::loadHistory(platform::Database& db) {
    dataVersion_ = history_.load(db, options_.historyReadHook);
    dataSerial_ = db.serial();
    drawsUnread_ = false;
}

void Workspace::readUnreadDraws() {
    loadHistory(db_);
    spanStart_.clear();
    spanEnd_.clear();
    refreshNextPeriod();
    followZodiacYear();
    resetSpanStart();
    updateSpan();
    reloadTargets();
    zodiac_.updateYearGroups();
}

std::int32_t Workspace::newestStoredPeriod() {
    if (!drawsUnread_) return history_.empty() ? 0 : history_.newest().period;
    waitForWrites();
    if (!db_.isOpen()) return 0;
    // A period stored as text or worse sorts above every number: only whole numbers count.
    auto newest = db_.prepare("SELECT SQQH FROM Lishi WHERE SQQH BETWEEN 1 AND 9999999999 "
                              "ORDER BY SQQH DESC LIMIT 1");
    return newest.step() ? newest.intAt(0) : 0;
}

// The suffixes every game's files may carry: "" for kelvora11S5.db, "-<code>" for the others.
static std::vector<std::string> allGameSuffixes() {
    std::vector<std::string> suffixes{""};
    for (const auto& game : history::games()->all())
        suffixes.push_back("-" + std::to_string(game.code()));
    return suffixes;
}

void Workspace::removeLeftoversOfKilledRuns() {
    if (!folderWritable()) return;
    // Only while no other operation runs: its files in the making are no leftovers.
    platform::FileLock quiet;
    try {
        quiet = platform::FileLock::acquire(lockPath(), std::chrono::milliseconds(0));
    } catch (const std::exception&) {
        return;
    }
    if (!quiet.held()) return;
    const std::filesystem::path folder = options_.dataDir;
    for (const std::string& suffix : allGameSuffixes()) {
        // Replacements are made beside the file a link in the folder leads to.
        const std::string replacement =
            platform::pendingName((folder / (kHistoryStem + suffix + ".db")).string());
        const std::string copy = (folder / ("kelvora11S5Tmp" + suffix + ".db")).string();
        // Versions before the program's own suffix built the new history under ".new"; a file
        // of that name beside the program's database is still its own.
        const std::string older =
            platform::replacedFile((folder / (kHistoryStem + suffix + ".db")).string()) + ".new";
        for (const std::string& path :
             {replacement, replacement + "-journal", replacement + "-wal", replacement + "-shm",
              copy + "-journal", platform::pendingName(copy),
              platform::pendingName((folder / ("lsbf" + suffix + ".txt")).string()), older,
              older + "-journal", older + "-wal", older + "-shm"}) {
            std::error_code ignored;
            std::filesystem::remove(path, ignored);
        }
    }
}

void Workspace::keepForeignLogsAside() {
    if (!folderWritable()) return; // nothing can be moved there, and nothing is written
    // Every game's file, before any connection (finding which game a file holds included) reads
    // one of them through a log that is not its own.
    for (const std::string& suffix : allGameSuffixes()) {
        const std::string file = kHistoryStem + suffix + ".db";
        const std::string path = (std::filesystem::path(options_.dataDir) / file).string();
        std::string keptAt;
        try {
            keptAt = platform::keepForeignLogAside(path);
        } catch (const std::exception&) {
            continue; // opening the database says what stands in the way
        }
        if (keptAt.empty()) continue;
        databaseNotice_ +=
            "历史数据库旁边的日志文件" + file +
            "-wal不是现在这个数据库文件留下的（数据库文件被换成了"
            "另一个副本），为了不把另一个文件的修改混进来，没有使用它，已移到“" +
            keptAt +
            "”保存。现在的历史号码就是这个数据库文件里的内容；如果放回的副本不对，请退出程序，"
            "换回原来的数据库文件，再把保存的日志文件改名为" +
            file + "-wal放在它旁边。";
    }
}

void Workspace::openDatabase() {
    waitForWrites();
    refusedFileGame_.reset();
    const history::Game game = historyGame(settings().game);
    bool writable = true;
    try {
        std::error_code error;
        std::filesystem::create_directories(options_.dataDir, error);
        writable = folderWritable();
        if (auto two = twoFilesProblem(game)) {
            db_.close();
            history_.clear();
            databaseProblem_ = std::move(*two);
            return;
        }
        const std::string file = std::filesystem::path(databasePath()).filename().string();
        if (!writable && !std::filesystem::exists(databasePath(), error)) {
            db_.close();
            history_.clear();
            databaseProblem_ = "数据文件夹“" + options_.dataDir +
                               "”是只读的（不能写入），无法在其中新建" + history::gameName(game) +
                               "的历史数据库文件" + file +
                               "。请选择已有历史号码的彩种，或者用 --data-dir 指定一个可以写入的"
                               "数据文件夹。";
            return;
        }
        if (writable) keepForeignLogsAside();
        platform::Database db(databasePath(),
                              writable ? platform::Access::ReadWrite : platform::Access::ReadOnly);
        // A file that is not ours is left exactly as it is.
        if (const auto problem = history::foreignSchemaProblem(db); !problem.empty())
            throw platform::DbError("这不是本程序的历史数据库：" + problem);
        const auto record = history::readGameRecord(db);
        if (record.state == history::GameRecord::State::Foreign)
            throw platform::DbError("这不是本程序的历史数据库：文件头中是另一个程序的标记");
        if (record.state == history::GameRecord::State::Recorded &&
            record.code != static_cast<int>(game)) {
            // Two games' draws must never meet in one history: nothing is read or written.
            refusedFileGame_ = record.code;
            db_.close();
            history_.clear();
            const std::string recorded = history::gameName(history::Game{record.code});
            const std::string chosen = history::gameName(game);
            databaseProblem_ = "历史数据库文件“" + file + "”记录的是" + recorded +
                               "的历史号码，与所选的彩种" + chosen +
                               "不符（这个文件可能是手工复制进来的）。为了不把两个彩种的号码混在"
                               "一起，没有使用这个文件，也没有做任何改动。请把这个文件改名移走，"
                               "或者选择别的彩种；如果它确实是" +
                               chosen + "的历史号码，可以在窗口中确认把它作为" + chosen +
                               "的历史号码使用。";
            return;
        }
        // A file that can only be read is read as it is.
        if (writable) {
            history::createTables(db);
            history::createTicketTable(db);
            if (record.state == history::GameRecord::State::Unrecorded) {
                try {
                    history::recordGame(db, game);
                } catch (const platform::DbError&) {
                    // A file that cannot be written is still this game's for this run.
                }
            }
            // Kept in the file; when another connection holds it in its old mode, it stays so.
            db.useWriteAheadLog();
        }
        if (options_.readDraws) {
            loadHistory(db);
        } else {
            history_.clear();
            dataVersion_ = db.dataVersion();
            dataSerial_ = db.serial();
            drawsUnread_ = true;
        }
        db_ = std::move(db);
        databaseProblem_.clear();
    } catch (const std::exception& e) {
        db_.close();
        history_.clear();
        if (!writable) {
            // Nothing in a read-only folder can be renamed or created: no advice to do so.
            databaseProblem_ = "无法读取历史数据库 " + databasePath() + "（" + e.what() +
                               "）。数据文件夹“" + options_.dataDir +
                               "”是只读的（不能写入）：请把整个文件夹复制到可以写入的地方，再用 "
                               "--data-dir 指定复制的文件夹启动程序。";
            return;
        }
        databaseProblem_ = "无法打开历史数据库 " + databasePath() + "（" + e.what() +
                           "）。请检查数据文件夹是否存在并可写，然后重新启动程序。如果这个文件"
                           "已损坏或不是本程序的，请把它改名保存，重新启动程序（会新建一个空的"
                           "数据库），再读入历史号码文件夹中的文本备份。";
    }
}

void Workspace::switchHistory() {
    waitForWrites();
    // The file left behind holds every change of this workspace by itself, as at the end.
    try {
        if (db_.isOpen() && db_.hasCommitted() && db_.stillAtPath()) db_.tryCheckpoint();
    } catch (const std::exception&) {
        // The log keeps the changes; the next start reads them from there.
    }
    const std::string leaving = databasePath_;
    databasePath_ =
        (std::filesystem::path(options_.dataDir) / historyFileName(settings().game)).string();
    if (databasePath_ != leaving) keepShownHistory(leaving);
    if (!showKeptHistory()) openDatabase();
    spanStart_.clear();
    spanEnd_.clear();
    afterHistoryChange();
    followZodiacYear();
    zodiac_.updateYearGroups();
}

// The size, time of writing and database header of a file as it is on disk now; false when it
// cannot be read.
static bool readFileMark(const std::string& path, std::uintmax_t& size,
                         std::filesystem::file_time_type& written, std::string& header) {
    std::error_code error;
    size = std::filesystem::file_size(path, error);
    if (error) return false;
    written = std::filesystem::last_write_time(path, error);
    if (error) return false;
    std::ifstream file(path, std::ios::binary);
    char bytes[100];
    if (!file.read(bytes, sizeof bytes)) return false;
    header.assign(bytes, sizeof bytes);
    return true;
}

void Workspace::keepShownHistory(const std::string& path) {
    if (!db_.isOpen() || drawsUnread_ || refusedFileGame_) return;
    FileMark mark;
    if (!readFileMark(path, mark.size, mark.written, mark.header)) return;
    KeptHistory& kept = keptHistories_[path];
    kept.file = mark;
    kept.db = std::move(db_);
    kept.history = std::move(history_);
    kept.dataVersion = dataVersion_;
    kept.dataSerial = dataSerial_;
    db_.close();
    history_.clear();
}

bool Workspace::showKeptHistory() {
    const auto found = keptHistories_.find(databasePath_);
    if (found == keptHistories_.end()) return false;
    KeptHistory kept = std::move(found->second);
    keptHistories_.erase(found);
    const history::Game game = historyGame(settings().game);
    try {
        // The file must still be the one kept, alone in being the game's history, and record
        // the game; otherwise it is opened afresh, which says what is wrong.
        // Written since by anything but a connection's commit to the log (a checkpoint, a copy
        // in place): opened afresh.
        FileMark mark;
        if (!readFileMark(databasePath_, mark.size, mark.written, mark.header) ||
            !(mark == kept.file))
            return false;
        if (!kept.db.stillAtPath() || twoFilesProblem(game)) return false;
        const auto record = history::readGameRecord(kept.db);
        if (record.state != history::GameRecord::State::Recorded ||
            record.code != static_cast<int>(game))
            return false;
    } catch (const std::exception&) {
        return false;
    }
    db_ = std::move(kept.db);
    history_ = std::move(kept.history);
    dataVersion_ = kept.dataVersion;
    dataSerial_ = kept.dataSerial;
    drawsUnread_ = false;
    refusedFileGame_.reset();
    databaseProblem_.clear();
    // What another process stored there meanwhile is read now.
    if (!followOtherWriters().ok) {
        db_.close();
        history_.clear();
        return false;
    }
    return true;
}

Outcome Workspace::takeFileAsCurrentGame() {
    if (!refusedFileGame_) return requireDatabase();
    try {
        platform::Database db(databasePath());
        if (const auto problem = history::foreignSchemaProblem(db); !problem.empty())
            return Outcome::failure("这不是本程序的历史数据库：" + problem);
        history::recordGame(db, historyGame(settings().game));
    } catch (const std::exception& e) {
        return Outcome::failure(std::string("无法在历史数据库文件中记录彩种（") + e.what() +
                                "），文件没有改变。请检查数据文件夹是否可写。");
    }
    switchHistory();
    if (!db_.isOpen()) return Outcome::failure(databaseProblem_);
    settings_.save("GsZl");
    return Outcome::success();
}

Outcome Workspace::requireWritable() {
    if (auto open = requireDatabase(); !open.ok) return open;
    if (readOnly()) return Outcome::failure(readOnlyProblem());
    return Outcome::success();
}

Outcome Workspace::requireDatabase() {
    waitForWrites();
    if (!db_.isOpen())
        return Outcome::failure(databaseProblem_.empty() ? "历史数据库没有打开。"
                                                         : databaseProblem_);
    // What another process did since is followed before anything is read or written.
    if (drawsUnread_) {
        try {
            readUnreadDraws();
        } catch (const std::exception& e) {
            return Outcome::failure(std::string("读取历史数据库失败（") + e.what() +
                                    "），历史号码没有改变。请重试。");
        }
    }
    return followOtherWriters();
}

std::chrono::year_month_day Workspace::today() const {
    if (options_.today) return options_.today();
    // The games' days are Beijing days (UTC+8), whatever the computer's zone.
    return std::chrono::year_month_day{std::chrono::floor<std::chrono::days>(
        std::chrono::system_clock::now() + std::chrono::hours(8))};
}

std::string Workspace::historyPeriodText(size_t row) const {
    return history::gridPeriodText(rows()[row].period, settings().game);
}

std::string Workspace::historyLine(size_t row) const {
    std::string line = historyPeriodText(row) + " ";
    for (int n : rows()[row].numbers()) line += history::format00(n) + " ";
    return line;
}

} // namespace app
