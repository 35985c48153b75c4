// Prepared statements with bound values, and the transactions of a connection.

#include "platform/database.h"

#include <sqlite3.h>

#include <utility>

namespace platform {

namespace {

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

bool Statement::isIntegerAt(int column) const {
    return sqlite3_column_type(stmt_, column) == SQLITE_INTEGER;
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
