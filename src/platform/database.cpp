#include "platform/database.h"

#include "platform/file_io.h"

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fstream>
#include <optional>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

std::atomic<std::uint64_t> nextSerial{1};

void callAnswer(sqlite3_context* context, int count, sqlite3_value** args) {
    const auto& answer = *static_cast<const Database::Function*>(sqlite3_user_data(context));
    try {
        SqlValue values[Database::kMaxArguments];
        count = std::min(count, Database::kMaxArguments);
        for (int i = 0; i < count; ++i) {
            switch (sqlite3_value_type(args[i])) {
            case SQLITE_NULL:
                break;
            case SQLITE_INTEGER:
                values[i] = SqlValue::of(static_cast<std::int64_t>(sqlite3_value_int64(args[i])));
                break;
            case SQLITE_TEXT:
                values[i] = SqlValue::of(
                    std::string_view(reinterpret_cast<const char*>(sqlite3_value_text(args[i])),
                                     static_cast<size_t>(sqlite3_value_bytes(args[i]))));
                break;
            default: // neither a whole number nor a text: told apart from both
                values[i].type = SqlValue::Type::Other;
                break;
            }
        }
        const SqlValue value =
            answer(std::span<const SqlValue>(values, static_cast<size_t>(count)));
        switch (value.type) {
        case SqlValue::Type::Null:
        case SqlValue::Type::Other:
            sqlite3_result_null(context);
            break;
        case SqlValue::Type::Integer:
            sqlite3_result_int64(context, value.integer);
            break;
        case SqlValue::Type::Text:
            // An empty view may have no data; SQLite would take that for NULL. Not copied: the
            // text outlives the statement (see defineFunction).
            sqlite3_result_text(context, value.text.empty() ? "" : value.text.data(),
                                static_cast<int>(value.text.size()), SQLITE_STATIC);
            break;
        }
    } catch (const std::exception& e) {
        sqlite3_result_error(context, e.what(), -1);
    }
}

[[noreturn]] void fail(sqlite3* db, std::string_view what) {
    std::string message(what);
    if (db) message += ": " + std::string(sqlite3_errmsg(db));
    throw DbError(message);
}

// What tells one database file from another, also from a copy put back in its place (which may
// keep the inode: cp writes into the file it replaces): the file itself and its size and time of
// last change. The program's connections write the file only when they checkpoint the log (or
// change its journal mode), and record the new identity right after.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t changedSeconds = 0;
    std::int64_t changedNanoseconds = 0;
    bool operator==(const FileIdentity&) const = default;
};

std::optional<FileIdentity> identityOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return std::nullopt;
    return FileIdentity{
        static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
        static_cast<std::uint64_t>(info.st_size), static_cast<std::int64_t>(info.st_mtim.tv_sec),
        static_cast<std::int64_t>(info.st_mtim.tv_nsec)};
}

// The record beside the file: its identity, and whether a checkpoint was under way (the file
// may then have changed after the record was written).
struct LogOwner {
    FileIdentity identity;
    bool checkpointing = false;
};

std::optional<LogOwner> recordedOwner(const std::string& databasePath) {
    std::ifstream in(logOwnerPath(databasePath));
    LogOwner owner;
    FileIdentity& id = owner.identity;
    std::string state;
    if (!(in >> id.device >> id.inode >> id.size >> id.changedSeconds >> id.changedNanoseconds >>
          state))
        return std::nullopt;
    owner.checkpointing = state == "checkpointing";
    return owner;
}

void writeOwner(const std::string& databasePath, const FileIdentity& id, bool checkpointing) {
    try {
        writeFileAtomically(logOwnerPath(databasePath),
                            std::to_string(id.device) + " " + std::to_string(id.inode) + " " +
                                std::to_string(id.size) + " " + std::to_string(id.changedSeconds) +
                                " " + std::to_string(id.changedNanoseconds) + " " +
                                (checkpointing ? "checkpointing" : "settled") + "\n");
    } catch (const FileError&) {
        // A read-only folder: no log can be written there either.
    }
}

// A log with frames in it: a header alone (or nothing) changes no file.
bool logHoldsChanges(const std::string& logPath) {
    struct stat info {};
    return ::stat(logPath.c_str(), &info) == 0 && info.st_size > 32;
}

// True when a connection of another process has the log open: it holds a shared lock on
// SQLite's "dead man switch" byte of the shared index (-shm) for as long as it is connected. Such
// a log is alive and never moved (that process follows the file it writes under the lock).
bool logInUse(const std::string& databasePath) {
    const int fd = ::open((databasePath + "-shm").c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = 128; // UNIX_SHM_DMS in SQLite's unix VFS
    probe.l_len = 1;
    const bool held = ::fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
    ::close(fd);
    return held;
}

// Before a file is opened: a log beside it that another file left is moved aside (returned), and
// the file's identity is recorded as the owner of the log its connections will write.
std::string guardLog(const std::string& path) {
    const auto identity = identityOf(path);
    if (!identity) return {}; // a new file: any log beside it would be played into nothing
    const std::string log = path + "-wal";
    std::string keptAt;
    const auto owner = recordedOwner(path);
    const bool sameFile = !owner || owner->checkpointing || owner->identity == *identity;
    if (!sameFile && logHoldsChanges(log) && !logInUse(path)) {
        char stamp[32];
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
        keptAt = log + ".foreign-" + stamp;
        for (int n = 2; ::access(keptAt.c_str(), F_OK) == 0; ++n)
            keptAt = log + ".foreign-" + stamp + "-" + std::to_string(n);
        if (::rename(log.c_str(), keptAt.c_str()) != 0)
            throw DbError("“" + path + "”旁边的日志文件属于另一个数据库文件，无法移开（" +
                          systemReason(errno) + "）；请先把“" + log + "”移走再打开");
        // The shared index describes the log moved away.
        ::unlink((path + "-shm").c_str());
    }
    if (!owner || owner->checkpointing || !(owner->identity == *identity))
        writeOwner(path, *identity, false);
    return keptAt;
}

// How many frames of log make a checkpoint after a commit (SQLite's own default).
constexpr int kCheckpointFrames = 1000;

} // namespace

// Writes the file's identity beside it after the connection wrote to the file itself.
class LogOwnerRecord {
  public:
    explicit LogOwnerRecord(std::string path) : path_(std::move(path)) {}
    template <typename Write> auto around(Write write) {
        if (const auto before = identityOf(path_)) writeOwner(path_, *before, true);
        struct Settle {
            const std::string& path;
            ~Settle() {
                if (const auto after = identityOf(path)) writeOwner(path, *after, false);
            }
        } settle{path_};
        return write();
    }
    // Set by every commit of the connection.
    bool committed = false;

  private:
    std::string path_;
};

namespace {

// SQLite's checkpoint after large commits, with the file's identity recorded around it.
int checkpointAfterCommit(void* record, sqlite3* db, const char* schema, int frames) {
    auto* owner = static_cast<LogOwnerRecord*>(record);
    owner->committed = true;
    if (frames >= kCheckpointFrames)
        owner->around([&] {
            return sqlite3_wal_checkpoint_v2(db, schema, SQLITE_CHECKPOINT_PASSIVE, nullptr,
                                             nullptr);
        });
    return SQLITE_OK;
}

} // namespace

std::string logOwnerPath(const std::string& databasePath) {
    return databasePath + "-wal.owner";
}

std::string keepForeignLogAside(const std::string& databasePath) {
    return guardLog(replacedFile(databasePath));
}

Statement::Statement(sqlite3* db, std::string_view sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &stmt_, nullptr) !=
        SQLITE_OK) {
        fail(db, "prepare failed");
    }
}

Statement::~Statement() {
    sqlite3_finalize(stmt_);
}

Statement::Statement(Statement&& other) noexcept
    : db_(std::exchange(other.db_, nullptr)), stmt_(std::exchange(other.stmt_, nullptr)) {}

Statement& Statement::operator=(Statement&& other) noexcept {
    if (this != &other) {
        sqlite3_finalize(stmt_);
        db_ = std::exchange(other.db_, nullptr);
        stmt_ = std::exchange(other.stmt_, nullptr);
    }
    return *this;
}

Statement& Statement::bind(int index, std::int64_t value) {
    if (sqlite3_bind_int64(stmt_, index, value) != SQLITE_OK) fail(db_, "bind failed");
    return *this;
}

Statement& Statement::bind(int index, std::string_view text) {
    if (sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT) != SQLITE_OK) {
        fail(db_, "bind failed");
    }
    return *this;
}

Statement& Statement::bindNull(int index) {
    if (sqlite3_bind_null(stmt_, index) != SQLITE_OK) fail(db_, "bind failed");
    return *this;
}

bool Statement::step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    fail(db_, "statement failed");
}

void Statement::run() {
    while (step()) {
    }
    // Bindings stay: a caller that binds every value again need not clear them.
    sqlite3_reset(stmt_);
}

void Statement::reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

int Statement::columnCount() const {
    return sqlite3_column_count(stmt_);
}

std::int64_t Statement::int64At(int column) const {
    return sqlite3_column_int64(stmt_, column);
}

int Statement::intAt(int column) const {
    return sqlite3_column_int(stmt_, column);
}

std::string Statement::textAt(int column) const {
    const auto* text = sqlite3_column_text(stmt_, column);
    if (!text) return {};
    return std::string(reinterpret_cast<const char*>(text),
                       static_cast<size_t>(sqlite3_column_bytes(stmt_, column)));
}

std::string_view Statement::textViewAt(int column) const {
    const auto* text = sqlite3_column_text(stmt_, column);
    if (!text) return {};
    return std::string_view(reinterpret_cast<const char*>(text),
                            static_cast<size_t>(sqlite3_column_bytes(stmt_, column)));
}

bool Statement::isNullAt(int column) const {
    return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

bool Statement::isIntegerAt(int column) const {
    return sqlite3_column_type(stmt_, column) == SQLITE_INTEGER;
}

Database::Database() = default;

Database::Database(const std::string& path, Access access)
    : path_(path), filePath_(replacedFile(path)) {
    if (access == Access::ReadOnly) {
        openReadOnly();
        return;
    }
    foreignLogKept_ = guardLog(filePath_);
    sqlite3* db = nullptr;
    const int rc =
        sqlite3_open_v2(path.c_str(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        std::string message = "无法打开数据库“" + path + "”";
        if (db) message += ": " + std::string(sqlite3_errmsg(db));
        sqlite3_close(db);
        throw DbError(message);
    }
    db_ = db;
    serial_ = nextSerial++;
    ownerRecord_ = std::make_unique<LogOwnerRecord>(filePath_);
    sqlite3_wal_hook(db_, checkpointAfterCommit, ownerRecord_.get());
    sqlite3_busy_timeout(db_, 2000);
    // Closing leaves the log alone (see the header); commits are durable unless a transaction
    // says otherwise; a log grown by a large commit shrinks back at the next one.
    sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    try {
        exec("PRAGMA synchronous = FULL");
        exec("PRAGMA journal_size_limit = 4194304");
    } catch (...) {
        close();
        throw;
    }
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        device_ = info.st_dev;
        inode_ = info.st_ino;
    }
}

namespace {

// An SQLite URI naming the file at path: every byte but the plain ones escaped.
std::string fileUri(const std::string& path) {
    static const char* hex = "0123456789ABCDEF";
    std::string uri = "file:";
    for (const unsigned char c : path) {
        if (std::isalnum(c) || c == '/' || c == '-' || c == '.' || c == '_' || c == '~') {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += hex[c >> 4];
            uri += hex[c & 15];
        }
    }
    return uri;
}

} // namespace

void Database::openReadOnly() {
    struct stat info {};
    if (::stat(filePath_.c_str(), &info) != 0)
        throw DbError("cannot open database " + path_ + ": " + std::strerror(errno));
    // A log with changes is read through its index; the file alone is read as a file nothing
    // changes (no lock, no index: a read-only folder can hold neither).
    const bool throughLog = logHoldsChanges(filePath_ + "-wal");
    // The log's index is only read as well (a file of the folder that its owner could write).
    const std::string uri =
        fileUri(filePath_) + (throughLog ? "?mode=ro&readonly_shm=1" : "?immutable=1");
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(
        uri.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        std::string message = "cannot open database " + path_;
        if (db) message += ": " + std::string(sqlite3_errmsg(db));
        sqlite3_close(db);
        throw DbError(message);
    }
    db_ = db;
    readOnly_ = true;
    serial_ = nextSerial++;
    sqlite3_busy_timeout(db_, 2000);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    try {
        // SQLite opens lazily: a log that cannot be read shows at the first read.
        exec("SELECT count(*) FROM sqlite_master");
    } catch (const DbError& e) {
        close();
        if (throughLog)
            throw DbError("the log " + filePath_ +
                          "-wal beside the database holds changes that cannot be read in a "
                          "folder that cannot be written without its index file " +
                          filePath_ + "-shm (" + e.what() + ")");
        throw;
    }
    device_ = info.st_dev;
    inode_ = info.st_ino;
}

bool Database::stillAtPath() const {
    struct stat info {};
    if (::stat(path_.c_str(), &info) != 0) return false;
    return info.st_dev == device_ && info.st_ino == inode_;
}

bool Database::hasCommitted() const {
    return ownerRecord_ && ownerRecord_->committed;
}

std::int64_t Database::dataVersion() {
    auto stmt = prepare("PRAGMA data_version");
    return stmt.step() ? stmt.int64At(0) : 0;
}

Database::~Database() {
    close();
}

Database::Database(Database&& other) noexcept
    : db_(std::exchange(other.db_, nullptr)), path_(std::move(other.path_)),
      filePath_(std::move(other.filePath_)), readOnly_(other.readOnly_), device_(other.device_),
      inode_(other.inode_), serial_(other.serial_),
      foreignLogKept_(std::move(other.foreignLogKept_)),
      ownerRecord_(std::move(other.ownerRecord_)) {}

Database& Database::operator=(Database&& other) noexcept {
    if (this != &other) {
        close();
        db_ = std::exchange(other.db_, nullptr);
        path_ = std::move(other.path_);
        filePath_ = std::move(other.filePath_);
        readOnly_ = other.readOnly_;
        device_ = other.device_;
        inode_ = other.inode_;
        serial_ = other.serial_;
        foreignLogKept_ = std::move(other.foreignLogKept_);
        ownerRecord_ = std::move(other.ownerRecord_);
    }
    return *this;
}

bool Database::useWriteAheadLog() {
    if (readOnly_) return false;
    auto stmt = prepare("PRAGMA journal_mode = WAL");
    try {
        // Changing the mode writes the file's header.
        return ownerRecord_->around([&] {
            const bool wal = stmt.step() && stmt.textAt(0) == "wal";
            stmt.reset(); // the mode is written when the statement ends
            return wal;
        });
    } catch (const DbError&) {
        return false; // busy: the file keeps its journal
    }
}

void Database::checkpoint() {
    if (readOnly_) throw DbError("the database is open for reading only");
    auto stmt = prepare("PRAGMA wal_checkpoint(TRUNCATE)");
    if (ownerRecord_->around([&] {
            const bool busy = stmt.step() && stmt.intAt(0) != 0;
            stmt.reset();
            return busy;
        }))
        throw DbError("数据库的日志文件正被另一个程序读取，没有改动，请稍后重试");
}

bool Database::tryCheckpoint() {
    if (readOnly_) return false;
    sqlite3_busy_timeout(db_, 0);
    bool done = false;
    try {
        auto stmt = prepare("PRAGMA wal_checkpoint(TRUNCATE)");
        done = ownerRecord_->around([&] {
            const bool emptied = stmt.step() && stmt.intAt(0) == 0;
            stmt.reset();
            return emptied;
        });
    } catch (const DbError&) {
        done = false;
    }
    sqlite3_busy_timeout(db_, 2000);
    return done;
}

void Database::replaceFile(const std::string& replacement) {
    const std::string live = path_;
    const std::string file = filePath_;
    // The old file holds everything its log held; the log is empty.
    checkpoint();
    close();
    // Were the old log files left, the new file would be read through them.
    ::unlink((file + "-wal").c_str());
    ::unlink((file + "-shm").c_str());
    // A link at the path stays: the file it leads to is replaced.
    try {
        renameDurably(replacement, live);
    } catch (...) {
        *this = Database(live);
        throw;
    }
    *this = Database(live);
}

void Database::defineFunction(const std::string& name, Function answer) {
    if (!db_) throw DbError("数据库没有打开");
    auto* held = new Function(std::move(answer));
    // SQLite owns held from here: it deletes it when the function goes, or now on a failure.
    if (sqlite3_create_function_v2(
            db_, name.c_str(), -1, SQLITE_UTF8 | SQLITE_DIRECTONLY, held, callAnswer, nullptr,
            nullptr, [](void* p) { delete static_cast<Function*>(p); }) != SQLITE_OK) {
        fail(db_, "cannot define function " + name);
    }
}

void Database::removeFunction(const std::string& name) {
    if (db_)
        sqlite3_create_function_v2(db_, name.c_str(), -1, SQLITE_UTF8, nullptr, nullptr, nullptr,
                                   nullptr, nullptr);
}

void Database::close() {
    if (db_) sqlite3_close_v2(db_);
    db_ = nullptr;
}

void Database::exec(std::string_view sql) {
    if (!db_) throw DbError("数据库没有打开");
    char* error = nullptr;
    const std::string text(sql);
    if (sqlite3_exec(db_, text.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = error ? error : "statement failed";
        sqlite3_free(error);
        throw DbError(message);
    }
}

Statement Database::prepare(std::string_view sql) {
    if (!db_) throw DbError("数据库没有打开");
    return Statement(db_, sql);
}

std::int64_t Database::lastInsertId() const {
    return sqlite3_last_insert_rowid(db_);
}

int Database::changes() const {
    return sqlite3_changes(db_);
}

std::string Database::integrityCheck() {
    auto stmt = prepare("PRAGMA integrity_check");
    std::string result;
    while (stmt.step()) {
        if (!result.empty()) result += "; ";
        result += stmt.textAt(0);
    }
    return result;
}

void Database::vacuumInto(const std::string& target) {
    auto stmt = prepare("VACUUM INTO ?1");
    stmt.bind(1, target);
    stmt.run();
}

ReadTransaction::ReadTransaction(Database& db) : db_(db) {
    if (!sqlite3_get_autocommit(db_.handle())) return;
    db_.exec("BEGIN");
    began_ = true;
}

ReadTransaction::~ReadTransaction() {
    if (!began_) return;
    try {
        db_.exec("COMMIT");
    } catch (const DbError&) {
        // A read changed nothing; closing the connection ends it as well.
    }
}

Transaction::Transaction(Database& db, Durability durability) : db_(db), durability_(durability) {
    // The level cannot change inside a transaction.
    if (durability_ == Durability::MayBeLost) db_.exec("PRAGMA synchronous = NORMAL");
    try {
        db_.exec("BEGIN IMMEDIATE");
    } catch (...) {
        restoreDurability();
        throw;
    }
}

Transaction::~Transaction() {
    if (!done_) {
        try {
            db_.exec("ROLLBACK");
        } catch (const DbError&) {
            // Nothing more can be done; SQLite rolls back on close as well.
        }
        restoreDurability();
    }
}

void Transaction::commit() {
    db_.exec("COMMIT");
    done_ = true;
    restoreDurability();
}

void Transaction::restoreDurability() {
    if (durability_ != Durability::MayBeLost) return;
    try {
        db_.exec("PRAGMA synchronous = FULL");
    } catch (const DbError&) {
        // Only a closed connection refuses it.
    }
}

} // namespace platform
