#pragma once
// A thin RAII layer over the SQLite C API (one connection is used by one thread at a time): a
// connection, prepared statements with bound values, and a transaction guard that rolls back unless
// committed. Failures throw DbError.
//
// Files are kept in write-ahead-log mode (useWriteAheadLog). A connection never checkpoints or
// removes the log when it closes: a connection left open on a file that another process has since
// replaced must not touch the log of the file now at the path. The log is checkpointed as SQLite
// does after large commits, and emptied by checkpoint() before a file is replaced (replaceFile).
//
// SQLite plays any log it finds beside a file into it, whichever file wrote the log. So before a
// connection opens a file, the identity of the file (device and inode) is recorded beside it
// (logOwnerPath); a log left beside a file that the record names as another file (a copy put
// back over the file a killed program left its log beside) is moved aside and kept, never
// applied. A log without a record (left before records were kept) is the file's own.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace platform {

class LogOwnerRecord;

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
    // The text without a copy, valid until the statement steps again.
    std::string_view textViewAt(int column) const;
    bool isNullAt(int column) const;
    // The value is stored as an integer (not text, a real number, a blob or NULL).
    bool isIntegerAt(int column) const;

  private:
    sqlite3* db_ = nullptr;
    sqlite3_stmt* stmt_ = nullptr;
};

// A value the program hands to SQL through a function of its own (Database::defineFunction).
struct SqlValue {
    // Other: a value SQL holds that is neither (a real number, a blob).
    enum class Type { Null, Integer, Text, Other };
    Type type = Type::Null;
    std::int64_t integer = 0;
    std::string_view text;

    static SqlValue null() { return {}; }
    static SqlValue of(std::int64_t value) { return {Type::Integer, value, {}}; }
    static SqlValue of(std::string_view value) { return {Type::Text, 0, value}; }
};

// How a connection opens its file. ReadOnly: an existing file in a folder that cannot be written,
// read without writing anything beside it: through its log when the log holds changes (the log's
// index file must then be there as well), else the file alone, which nothing can change then.
enum class Access { ReadWrite, ReadOnly };

class Database {
  public:
    Database();
    // Opens (and, to write, creates when missing) the database file at path. A symbolic link at
    // path is followed: the log and what goes with it lie beside the file it leads to.
    explicit Database(const std::string& path, Access access = Access::ReadWrite);
    ~Database();
    Database(Database&& other) noexcept;
    Database& operator=(Database&& other) noexcept;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    bool isOpen() const { return db_ != nullptr; }
    // Opened with Access::ReadOnly: every write fails, and nothing is checkpointed.
    bool readOnly() const { return readOnly_; }
    // Where a log found beside the file that was not its own (a copy of the file put back beside
    // the log another file left) was moved at this opening, instead of being played into the
    // file; empty when none was. See the header comment.
    const std::string& foreignLogKept() const { return foreignLogKept_; }
    const std::string& path() const { return path_; }
    // The file itself: path(), or the file a symbolic link at path() leads to.
    const std::string& filePath() const { return filePath_; }
    // False when the file at path() is no longer the one this connection opened (another
    // process renamed a new file over it): writes would go to a file nobody reads.
    bool stillAtPath() const;
    // The device and inode of the file opened, for telling two connections to one file.
    std::pair<std::uint64_t, std::uint64_t> fileIdentity() const { return {device_, inode_}; }
    // Changes when another connection (of this process or another) committed a change to the
    // file; this connection's own commits leave it (SQLite's data_version).
    std::int64_t dataVersion();
    // True once this connection committed a change (in write-ahead-log mode, where emptying the
    // log at the end is this connection's business only when it wrote there).
    bool hasCommitted() const;
    // Tells connections apart: every connection opened by this process has its own.
    std::uint64_t serial() const { return serial_; }
    void close();

    // Keeps the file in write-ahead-log mode from now on (a setting stored in the file). False
    // when it stays in its journal mode (another connection is using the file in that mode).
    bool useWriteAheadLog();
    // Copies everything the log holds into the file, flushes it and empties the log. Throws
    // when a reader of another connection keeps the log in use beyond the busy wait.
    void checkpoint();
    // The same without waiting for readers; false when one kept it from completing.
    bool tryCheckpoint();
    // Puts the complete database file at replacement (flushed to the disk, not open) in the place
    // of this connection's file, and reopens this connection on it. The log is emptied first and
    // the old file's log files removed before the rename, so a kill at any moment leaves at the
    // path either the old file, whole, or the new one, with no log of the other beside it. When
    // the rename fails this connection is reopened on the old file and the error rethrown.
    void replaceFile(const std::string& replacement);

    // SQL on this connection can call name(...) with 1 to kMaxArguments arguments; answer gets
    // them (texts valid during the call) and gives the value, or throws to fail the statement.
    // A text it gives must stay valid until the statement that called it is done. Not callable
    // from the schema (triggers, views).
    using Function = std::function<SqlValue(std::span<const SqlValue>)>;
    static constexpr int kMaxArguments = 16;
    void defineFunction(const std::string& name, Function answer);
    void removeFunction(const std::string& name);

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
    void openReadOnly();

    sqlite3* db_ = nullptr;
    std::string path_;
    std::string filePath_;
    bool readOnly_ = false;
    // The identity of the file opened.
    std::uint64_t device_ = 0;
    std::uint64_t inode_ = 0;
    std::uint64_t serial_ = 0;
    std::string foreignLogKept_;
    // Heap-held: SQLite's commit hook points at it, and it stays put when the connection moves.
    std::unique_ptr<LogOwnerRecord> ownerRecord_;
};

// The file that records whose log lies beside a database file: path + "-wal.owner" (path is the
// file itself, not a link to it).
std::string logOwnerPath(const std::string& databasePath);
// What every opening does first: moves a log that is not the file's own aside, returning where
// it was kept (empty when the log is the file's own or there is none), and records the file as
// the owner of the log its connections write. Throws DbError when such a log cannot be moved.
std::string keepForeignLogAside(const std::string& databasePath);

// A read transaction: every statement within it reads one state of the file, and PRAGMA
// data_version inside it counts that same state. Ends (it changed nothing) when it goes. Inside a
// transaction already open it does nothing.
class ReadTransaction {
  public:
    explicit ReadTransaction(Database& db);
    ~ReadTransaction();
    ReadTransaction(const ReadTransaction&) = delete;
    ReadTransaction& operator=(const ReadTransaction&) = delete;

  private:
    Database& db_;
    bool began_ = false;
};

// What a commit promises. Durable: the change survives a power cut once commit() returns (the
// log is flushed at the commit). MayBeLost: a power cut may undo the change, but never damages the
// file; for state that is written again by the next run (a search's working columns).
enum class Durability { Durable, MayBeLost };

// Begins a transaction on construction; rolls back in the destructor unless commit() ran.
class Transaction {
  public:
    explicit Transaction(Database& db, Durability durability = Durability::Durable);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

  private:
    void restoreDurability();

    Database& db_;
    Durability durability_;
    bool done_ = false;
};

} // namespace platform
