// The connection to a database file: opened for writing or for reading only, its log, the
// functions it defines, and replacing its file.

#include "platform/database.h"

#include "platform/database_log.h"
#include "platform/file_io.h"

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <utility>

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

} // namespace

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
        throw DbError("cannot define function " + name + ": " + sqlite3_errmsg(db_));
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

} // namespace platform
