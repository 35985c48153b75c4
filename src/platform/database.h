#pragma once
// A thin RAII layer over the SQLite C API (one connection is used by one thread at a time): a
// connection, prepared statements with bound values, and a transaction guard that rolls back unless
// committed. Failures throw DbError.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace platform {

class DbError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class Statement {
  public:
    Statement() = default;
    Statement(sqlite3* db, std::string_view sql);
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Bind indexes start at 1, as in SQLite.
    Statement& bind(int index, std::int64_t value);
    Statement& bind(int index, int value) { return bind(index, static_cast<std::int64_t>(value)); }
    Statement& bind(int index, std::string_view text);
    Statement& bindNull(int index);

    // Advances to the next row; false when the statement is done.
    bool step();
    // Runs a statement that returns no rows to completion and makes it ready to run again with
    // the same or new bindings.
    void run();
    // Rewinds the statement and clears its bindings.
    void reset();

    int columnCount() const;
    std::int64_t int64At(int column) const;
    int intAt(int column) const;
    std::string textAt(int column) const;
    bool isNullAt(int column) const;

  private:
    sqlite3* db_ = nullptr;
    sqlite3_stmt* stmt_ = nullptr;
};

class Database {
  public:
    Database() = default;
    // Opens (and creates when missing) the database file at path.
    explicit Database(const std::string& path);
    ~Database();
    Database(Database&& other) noexcept;
    Database& operator=(Database&& other) noexcept;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    bool isOpen() const { return db_ != nullptr; }
    const std::string& path() const { return path_; }
    // False when the file at path() is no longer the one this connection opened (another
    // process renamed a new file over it): writes would go to a file nobody reads.
    bool stillAtPath() const;
    // Grows when another connection changed the file (SQLite's data_version).
    std::int64_t dataVersion();
    void close();

    void exec(std::string_view sql);
    Statement prepare(std::string_view sql);
    std::int64_t lastInsertId() const;
    int changes() const;

    // "ok" when the file is sound, else the first problems SQLite reports.
    std::string integrityCheck();
    // Writes a compacted copy of the whole database into a new file.
    void vacuumInto(const std::string& target);

    sqlite3* handle() const { return db_; }

  private:
    sqlite3* db_ = nullptr;
    std::string path_;
    // The identity of the file opened.
    std::uint64_t device_ = 0;
    std::uint64_t inode_ = 0;
};

// Begins a transaction on construction; rolls back in the destructor unless commit() ran.
class Transaction {
  public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

  private:
    Database& db_;
    bool done_ = false;
};

} // namespace platform
