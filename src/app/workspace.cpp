#include "app/workspace.h"

#include "app/history_file_names.h"

#include "history/draw_appender.h"
#include "history/game_record.h"
#include "history/period.h"
#include "platform/file_io.h"

#include <algorithm>
#include <filesystem>
#include <utility>

namespace app {

namespace {

platform::SettingsStore openStore(const WorkspaceOptions& options) {
    if (options.settingsFile) return platform::SettingsStore::fromFile(*options.settingsFile);
    return platform::SettingsStore(kApplicationName);
}

// The number formed by the leading digits of a box ("05" and "5_" give 5); empty when the box
// starts with anything else.
std::optional<int> leadingNumber(const std::string& text) {
    int value = 0;
    size_t digits = 0;
    while (digits < text.size() && digits < 4 && text[digits] >= '0' && text[digits] <= '9')
        value = value * 10 + (text[digits++] - '0');
    if (digits == 0) return std::nullopt;
    return value;
}

// Single-digit text of a one-digit box ("3" or "3_"); empty when it holds no digit.
std::optional<int> singleDigit(const std::string& text) {
    for (char c : text) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c != ' ' && c != '_') return std::nullopt;
    }
    return std::nullopt;
}

std::optional<int> wholeNumber(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return std::nullopt;
    const auto last = text.find_last_not_of(' ');
    const std::string t = text.substr(first, last - first + 1);
    size_t i = (t[0] == '-' || t[0] == '+') ? 1 : 0;
    if (i == t.size()) return std::nullopt;
    long value = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9') return std::nullopt;
        value = value * 10 + (t[i] - '0');
        if (value > 32768) return std::nullopt;
    }
    if (t[0] == '-') value = -value;
    if (value > 32767) return std::nullopt;
    return static_cast<int>(value);
}

// The newest draw is the last period there can be.
constexpr const char* kNoPeriodLeft =
    "最新一期之后已没有期号：期号最大为2099123199，无法再输入下一期。";

std::string position(int index) {
    return "第" + std::to_string(index + 1) + "个号码";
}

} // namespace

Workspace::Workspace(WorkspaceOptions options)
    : options_(std::move(options)), settings_(openStore(options_)) {
    startGame_ = settings().game;
    if (options_.game) settings_.mutableValues().game = *options_.game;
    const Settings& s = settings();
    drawsPerDay_ = history::drawsPerDay(s.game);
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

Outcome Workspace::checkDraws() const {
    if (history_.damaged().empty()) return Outcome::success();
    return Outcome::failure(
        "历史号码中有损坏的行：" + history::describeDamagedRows(history_.damaged()) +
        "。损坏的行不是开奖号码，不能用来分析；请先用“历史管理”菜单中的“修复损坏的历史号码”"
        "（命令repair）把它们另存到历史号码文件夹并从历史中删除。");
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

WriteLock::~WriteLock() {
    if (workspace_) workspace_->releaseWriteLock();
}

WriteLock::WriteLock(WriteLock&& other) noexcept
    : workspace_(std::exchange(other.workspace_, nullptr)) {}

WriteLock& WriteLock::operator=(WriteLock&& other) noexcept {
    if (this != &other) {
        if (workspace_) workspace_->releaseWriteLock();
        workspace_ = std::exchange(other.workspace_, nullptr);
    }
    return *this;
}

std::string Workspace::lockPath() const {
    return (std::filesystem::path(options_.dataDir) / "kelvora11S5.lock").string();
}

Outcome Workspace::lockForWriting(WriteLock& lock) {
    if (auto open = requireWritable(); !open.ok) return open;
    if (lock.workspace_ == this) return Outcome::success();
    if (writeLocks_ == 0) {
        try {
            fileLock_ = platform::FileLock::acquire(lockPath(), options_.lockWait);
        } catch (const std::exception& e) {
            return Outcome::failure(std::string("无法锁定数据文件夹（") + e.what() +
                                    "），历史号码没有改变。请检查数据文件夹是否可写。");
        }
        if (!fileLock_.held())
            return Outcome::failure("另一个操作（另一个窗口或命令行）正在修改历史号码，"
                                    "历史号码没有改变。请等它完成后再试。");
        if (auto followed = followOtherWriters(); !followed.ok) {
            fileLock_.release();
            return followed;
        }
    }
    ++writeLocks_;
    lock = WriteLock();
    lock.workspace_ = this;
    return Outcome::success();
}

void Workspace::releaseWriteLock() {
    if (writeLocks_ > 0 && --writeLocks_ == 0) fileLock_.release();
}

Outcome Workspace::followOtherWriters() {
    try {
        if (!db_.stillAtPath()) {
            // Another process put a new database file in place: work on that one.
            openDatabase();
            if (!db_.isOpen()) return Outcome::failure(databaseProblem_);
            spanStart_.clear();
            spanEnd_.clear();
            afterHistoryChange();
            return Outcome::success();
        }
        // Under the write lock nothing changes the file until this operation ends: what the
        // operation depends on is checked against the file itself, not only its version.
        const bool locked = writeLocks_ == 0 && fileLock_.held();
        if (!changedElsewhere() && (!locked || fileAgreesWithMemory())) return Outcome::success();
        // Another connection wrote: whatever this workspace keeps about the file is read again.
        // A new generation of the history also tells the column cache and the search writer to
        // forget what they hold.
        // A span end at the newest draw follows the draws stored elsewhere, as it does typing.
        const bool spanFollows = spanEnd_ == followingSpanEnd();
        loadHistory(db_);
        if (spanFollows) spanEnd_.clear();
        afterHistoryChange();
    } catch (const std::exception& e) {
        return Outcome::failure(std::string("读取历史数据库失败（") + e.what() +
                                "），历史号码没有改变。请重试。");
    }
    return Outcome::success();
}

void Workspace::loadHistory(platform::Database& db) {
    dataVersion_ = history_.load(db, options_.historyReadHook);
    dataSerial_ = db.serial();
}

bool Workspace::fileAgreesWithMemory() {
    auto query = db_.prepare(
        "SELECT COUNT(*), (SELECT SQQH FROM Lishi ORDER BY SQQH DESC, ID DESC LIMIT 1), "
        "(SELECT ID FROM Lishi ORDER BY SQQH DESC, ID DESC LIMIT 1) FROM Lishi");
    if (!query.step()) return false;
    const auto count = static_cast<size_t>(query.int64At(0));
    if (count != history_.size()) return false;
    if (count == 0) return true;
    return query.intAt(1) == history_.newest().period && query.int64At(2) == history_.newest().id;
}

bool Workspace::changedElsewhere() {
    const std::int64_t version = db_.dataVersion();
    if (db_.serial() != dataSerial_) {
        // This workspace reopened the file itself (it replaced it); nothing else wrote since.
        dataSerial_ = db_.serial();
        dataVersion_ = version;
        return false;
    }
    if (version == dataVersion_) return false;
    dataVersion_ = version;
    return true;
}

// The suffixes every game's files may carry: "" for kelvora11S5.db, "-<code>" for the others.
static std::vector<std::string> allGameSuffixes() {
    std::vector<std::string> suffixes{""};
    for (const history::Game game : history::kGames)
        suffixes.push_back("-" + std::to_string(static_cast<int>(game)));
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
        for (const std::string& path :
             {replacement, replacement + "-journal", replacement + "-wal", replacement + "-shm",
              copy + "-journal", platform::pendingName(copy),
              platform::pendingName((folder / ("lsbf" + suffix + ".txt")).string())}) {
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
        loadHistory(db);
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
    databasePath_ =
        (std::filesystem::path(options_.dataDir) / historyFileName(settings().game)).string();
    openDatabase();
    spanStart_.clear();
    spanEnd_.clear();
    afterHistoryChange();
    followZodiacYear();
    zodiac_.updateYearGroups();
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
    return followOtherWriters();
}

bool Workspace::followOutsideChanges() {
    if (!db_.isOpen() || writeLocks_ > 0 || writePending()) return false;
    const auto generation = history_.generation();
    const auto version = history_.version();
    const auto serial = db_.serial();
    if (!followOtherWriters().ok) return false;
    return history_.generation() != generation || history_.version() != version ||
           db_.serial() != serial;
}

bool Workspace::rereadSettings() {
    const history::Game shown = settings().game;
    const auto changed = settings_.reload();
    if (changed.empty()) return false;
    const auto has = [&](const char* key) {
        return std::find(changed.begin(), changed.end(), key) != changed.end();
    };
    if (has("GsZl")) {
        const history::Game chosen = settings().game;
        settings_.mutableValues().game = shown;
        // A game chosen elsewhere is switched to as the menu does (the history with it); a run
        // given its game on the command line keeps it.
        if (!options_.game && (chosen != shown || !db_.isOpen())) switchGame(chosen, false);
    }
    const Settings& s = settings();
    drawsPerDay_ = history::drawsPerDay(s.game);
    zodiac_.setValueOrder(s.zodiacInAnimalOrder, s.zodiacBase);
    refreshNextPeriod();
    reloadTargets();
    if (has("bolSq") || has("intPreQi")) resetSpanStart();
    return true;
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

void Workspace::setSpan(std::string start, std::string end) {
    spanStart_ = std::move(start);
    spanEnd_ = std::move(end);
}

Outcome Workspace::addDraw(const std::array<std::string, 5>& boxes,
                           const std::string& firstPeriod) {
    if (auto open = requireDatabase(); !open.ok) return open;

    history::Numbers numbers{};
    for (int i = 0; i < 5; ++i) {
        const auto n = leadingNumber(boxes[i]);
        if (!n) return Outcome::failure(position(i) + "没有填写：请输入01到11之间的号码。");
        if (*n < 1 || *n > 11)
            return Outcome::failure(position(i) + "“" + boxes[i].substr(0, 2) +
                                    "”不在01到11之间，请改正。");
        for (int j = 0; j < i; ++j) {
            if (numbers[j] == *n)
                return Outcome::failure(position(i) + "“" + history::format00(*n) + "”与" +
                                        position(j) + "重复，同一期的五个号码不能相同。");
        }
        numbers[i] = *n;
    }

    // The period follows the history as it is once no other process can change it.
    WriteLock lock;
    if (auto locked = lockForWriting(lock); !locked.ok) return locked;
    int period = 0;
    // A draw stored after damaged rows would be derived from them.
    if (auto sound = checkDraws(); !sound.ok) return sound;
    if (history_.empty()) {
        const auto parsed = history::parseTenDigitPeriod(firstPeriod);
        if (firstPeriod.empty())
            return Outcome::failure("历史号码为空：请先在期号框输入第一期的十位期号"
                                    "（例如2016090801），再输入五个号码。");
        if (!parsed)
            return Outcome::failure("期号“" + firstPeriod +
                                    "”无效：请输入十位数字的期号（年月日加当天期数，例如"
                                    "2016090801）。");
        if (*parsed % 100 > drawsPerDay_)
            return Outcome::failure("期号“" + firstPeriod + "”无效：这个彩种每天只有" +
                                    std::to_string(drawsPerDay_) + "期，当天期数须在01到" +
                                    std::to_string(drawsPerDay_) + "之间。");
        period = *parsed;
    } else if (nextPeriodText_.empty()) {
        return Outcome::failure(kNoPeriodLeft);
    } else {
        period = history::lastEightAsNumber(nextPeriodText_).value_or(history_.newest().period + 1);
    }

    const bool spanFollows = spanEnd_ == followingSpanEnd();
    try {
        history_.insert(history::storeDraw(db_, zodiac_, settings().segmentBase, period, numbers));
    } catch (const history::PeriodTaken&) {
        // Never reached while the lock is honoured; if it is not, nothing is stored twice.
        reloadHistory();
        afterHistoryChange();
        return Outcome::failure("第" + history::tenDigit(period) +
                                "期或更新的一期已经存入历史号码（另一个窗口或命令行刚存入），"
                                "这注号码没有存入。请看一下最新一期后重新输入。");
    } catch (const std::exception& e) {
        return Outcome::failure(std::string("保存号码失败：") + e.what() +
                                "。历史号码没有改变，请检查磁盘空间和数据文件夹后重试。");
    }
    if (spanFollows) spanEnd_.clear();
    afterHistoryChange();
    return Outcome::success(history::tenDigit(period));
}

void Workspace::afterHistoryChange() {
    reloadTargets();
    refreshNextPeriod();
    updateSpan();
}

void Workspace::historyChanged(bool resetSpan) {
    reloadHistory();
    if (resetSpan) {
        spanStart_.clear();
        spanEnd_.clear();
    }
    afterHistoryChange();
}

void Workspace::historyChanged(std::vector<history::HistoryRow> rows, bool resetSpan) {
    history_.replace(std::move(rows));
    if (resetSpan) {
        spanStart_.clear();
        spanEnd_.clear();
    }
    afterHistoryChange();
}

void Workspace::reloadHistory() {
    if (!db_.isOpen()) return;
    try {
        // The version read with the rows takes in what others stored meanwhile, now in memory.
        loadHistory(database());
    } catch (const std::exception&) {
        // The rows in memory stay as they were.
    }
}

void Workspace::refreshNextPeriod() {
    if (history_.empty()) {
        newestNextPeriod_ = 0;
        nextPeriodText_.clear();
        return;
    }
    const auto& newest = history_.newest();
    newestNextPeriod_ = newest.nextPeriod;
    nextPeriodText_ = history::nextPeriodText(newest.period, drawsPerDay_);
}

void Workspace::reloadTargets() {
    const Settings& s = settings();
    if (targetSource_ == TargetSource::Typed) {
        for (int k = 0; k < 5; ++k)
            if (const auto v = wholeNumber(typedTargets_[k]))
                targets_[k] = static_cast<std::int16_t>(*v);
        return;
    }
    if (history_.empty()) {
        targetTexts_ = {};
        return;
    }
    ensureKinds({s.searchKind});
    const long back = s.periodMode == search::PeriodMode::Last ? 0 : s.backDistance - 1;
    const long index = static_cast<long>(history_.size()) - 1 - back;
    if (index < 0 || index >= static_cast<long>(history_.size())) return;
    const auto& reference = rows()[static_cast<size_t>(index)];
    const bool showNames = s.searchKind == history::ZodiacKind;
    for (int k = 0; k < 5; ++k) {
        targets_[k] = reference.values[s.searchKind][k];
        targetTexts_[k] = showNames ? history::Zodiac::nameOf(targets_[k], s.zodiacBase)
                                    : std::to_string(targets_[k]);
    }
}

void Workspace::resetSpanStart() {
    if (history_.empty()) return;
    const Settings& s = settings();
    const int d = s.periodMode == search::PeriodMode::Last ? 1 : s.backDistance;
    spanStart_ = history::tenDigit(rows().front().period + d);
}

void Workspace::updateSpan() {
    // Boxes the user has not set (or that followed the history) take the whole history.
    if (history_.empty()) {
        spanStart_.clear();
        spanEnd_.clear();
        return;
    }
    if (spanStart_.empty()) resetSpanStart();
    if (spanEnd_.empty()) spanEnd_ = history::tenDigit(history_.newest().period);
}

Outcome Workspace::setBackDistance(const std::string& text) {
    // Nothing changes until the box holds a distance a search can use.
    const auto digit = singleDigit(text);
    if (!digit || *digit == 0)
        return Outcome::failure(std::string(digit ? "前期的期数不能是0" : "前期的期数没有填写") +
                                "：请输入1到9之间的数字。");
    settings_.mutableValues().backDistance = *digit;
    settings_.save("intPreQi");
    reloadTargets();
    resetSpanStart();
    return Outcome::success();
}

Outcome Workspace::setGame(history::Game game) {
    if (history::gameMenuIndex(game) < 0) return Outcome::success();
    return switchGame(game, true);
}

Outcome Workspace::switchGame(history::Game game, bool store) {
    const bool same = game == settings().game;
    settings_.mutableValues().game = game;
    drawsPerDay_ = history::drawsPerDay(game);
    // Each game has its own history: the other game's is shown at once. The choice is stored
    // only once that history is open, so that the next run does not start on a game whose file
    // could not be opened (or made).
    if (!same || !db_.isOpen()) {
        switchHistory();
        if (!db_.isOpen()) return Outcome::failure(databaseProblem_);
    }
    if (store) settings_.save("GsZl");
    return Outcome::success();
}

void Workspace::setZodiacBase(int base) {
    if (base < 0 || base > 1) return;
    settings_.mutableValues().zodiacBase = base;
    settings_.save("SxIni");
    zodiac_.setValueOrder(settings().zodiacInAnimalOrder, base);
}

void Workspace::setSegmentBase(int base) {
    if (base < 0 || base > 1) return;
    settings_.mutableValues().segmentBase = base;
    settings_.save("DsIni");
}

void Workspace::setZodiacOrder(bool animalOrder) {
    settings_.mutableValues().zodiacInAnimalOrder = animalOrder;
    settings_.save("SxSetup");
    zodiac_.setValueOrder(animalOrder, settings().zodiacBase);
}

void Workspace::setPositionMode(search::PositionMode mode) {
    settings_.mutableValues().positionMode = mode;
    modeChanged();
}

void Workspace::setPeriodMode(search::PeriodMode mode) {
    settings_.mutableValues().periodMode = mode;
    modeChanged();
}

void Workspace::modeChanged() {
    // The four mode buttons are one group: both choices are saved on every click.
    settings_.save("bolZyw");
    settings_.save("bolSq");
    reloadTargets();
    resetSpanStart();
}

void Workspace::setSearchKind(history::Kind kind) {
    if (kind < 0 || kind >= history::kKinds) return;
    settings_.mutableValues().searchKind = kind;
    reloadTargets();
    settings_.save("intLei");
}

void Workspace::setResultKind(history::Kind kind) {
    if (kind < 0 || kind >= history::kKinds) return;
    settings_.mutableValues().resultKind = kind;
    settings_.save("intXianshiLei");
}

void Workspace::setTargetSource(TargetSource source, const std::array<std::string, 5>& typed) {
    targetSource_ = source;
    typedTargets_ = typed;
    if (source == TargetSource::Typed) {
        reloadTargets();
    } else {
        // Back on the first tab the boxes' numbers are the targets; names keep the loaded ones.
        for (int k = 0; k < 5; ++k)
            if (const auto v = wholeNumber(targetTexts_[k]))
                targets_[k] = static_cast<std::int16_t>(*v);
    }
}

Outcome Workspace::setCombinationSize(const std::string& text) {
    // Any whole number is taken; a search with a size outside 1..5 finds no hit.
    const auto k = wholeNumber(text);
    if (!k) return Outcome::failure("组合位数“" + text + "”无效：请输入1到5之间的整数。");
    settings_.mutableValues().combinationSize = *k;
    settings_.save("intZhWSetup");
    return Outcome::success();
}

bool Workspace::changesDerivedValues(const std::string& key) {
    return key == "SxIni" || key == "DsIni" || key == "SxSetup";
}

std::optional<std::string> Workspace::settingText(const std::string& key) const {
    return settings_.text(key);
}

Outcome Workspace::setSetting(const std::string& key, const std::string& value) {
    // Keys with a menu or box go through it, so everything that follows a choice follows.
    const auto before = settings_.text(key);
    if (key == "GsZl") {
        // Stored by setGame once the game's history is open.
        const history::Game shown = settings().game;
        if (auto error = settings_.assign(key, value)) return Outcome::failure(*error);
        const history::Game game = settings().game;
        settings_.mutableValues().game = shown;
        return setGame(game);
    }
    if (auto error = settings_.set(key, value)) return Outcome::failure(*error);
    const Settings& s = settings();
    if (key == "SxIni") setZodiacBase(s.zodiacBase);
    if (key == "SxSetup") setZodiacOrder(s.zodiacInAnimalOrder);
    if (key == "bolSq" || key == "intPreQi") {
        reloadTargets();
        resetSpanStart();
    }
    if (key == "intLei") reloadTargets();
    if (changesDerivedValues(key) && settings_.text(key) != before && !history_.empty())
        return Outcome::success("已保存。已存的历史号码仍是按原来的设置计算的，"
                                "运行 rebuild 按新的设置重新计算。");
    return Outcome::success();
}

} // namespace app
