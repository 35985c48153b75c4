#include "platform/database.h"

#include "platform/file_io.h"

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
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

[[noreturn]] void fail(sqlite3* db, std::string_view what) {
    std::string message(what);
    if (db) message += ": " + std::string(sqlite3_errmsg(db));
    throw DbError(message);
}

} // namespace

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

Database::Database(const std::string& path) : path_(path) {
    sqlite3* db = nullptr;
    const int rc =
        sqlite3_open_v2(path.c_str(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        std::string message = "cannot open database " + path;
        if (db) message += ": " + std::string(sqlite3_errmsg(db));
        sqlite3_close(db);
        throw DbError(message);
    }
    db_ = db;
    serial_ = nextSerial++;
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

bool Database::stillAtPath() const {
    struct stat info {};
    if (::stat(path_.c_str(), &info) != 0) return false;
    return info.st_dev == device_ && info.st_ino == inode_;
}

std::int64_t Database::dataVersion() {
    auto stmt = prepare("PRAGMA data_version");
    return stmt.step() ? stmt.int64At(0) : 0;
}

Database::~Database() {
    close();
}

Database::Database(Database&& other) noexcept
    : db_(std::exchange(other.db_, nullptr)), path_(std::move(other.path_)), device_(other.device_),
      inode_(other.inode_), serial_(other.serial_) {}

Database& Database::operator=(Database&& other) noexcept {
    if (this != &other) {
        close();
        db_ = std::exchange(other.db_, nullptr);
        path_ = std::move(other.path_);
        device_ = other.device_;
        inode_ = other.inode_;
        serial_ = other.serial_;
    }
    return *this;
}

bool Database::useWriteAheadLog() {
    auto stmt = prepare("PRAGMA journal_mode = WAL");
    try {
        return stmt.step() && stmt.textAt(0) == "wal";
    } catch (const DbError&) {
        return false; // busy: the file keeps its journal
    }
}

void Database::checkpoint() {
    auto stmt = prepare("PRAGMA wal_checkpoint(TRUNCATE)");
    if (stmt.step() && stmt.intAt(0) != 0)
        throw DbError("the database's log is in use by a reader; nothing was changed, try again");
}

bool Database::tryCheckpoint() {
    sqlite3_busy_timeout(db_, 0);
    bool done = false;
    try {
        auto stmt = prepare("PRAGMA wal_checkpoint(TRUNCATE)");
        done = stmt.step() && stmt.intAt(0) == 0;
    } catch (const DbError&) {
        done = false;
    }
    sqlite3_busy_timeout(db_, 2000);
    return done;
}

void Database::replaceFile(const std::string& replacement) {
    const std::string live = path_;
    // The old file holds everything its log held; the log is empty.
    checkpoint();
    close();
    // Were the old log files left, the new file would be read through them.
    ::unlink((live + "-wal").c_str());
    ::unlink((live + "-shm").c_str());
    try {
        renameDurably(replacement, live);
    } catch (...) {
        *this = Database(live);
        throw;
    }
    *this = Database(live);
}

void Database::defineFunction(const std::string& name, Function answer) {
    if (!db_) throw DbError("database is not open");
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
    if (!db_) throw DbError("database is not open");
    char* error = nullptr;
    const std::string text(sql);
    if (sqlite3_exec(db_, text.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = error ? error : "statement failed";
        sqlite3_free(error);
        throw DbError(message);
    }
}

Statement Database::prepare(std::string_view sql) {
    if (!db_) throw DbError("database is not open");
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
