#pragma once
// Whose write-ahead log lies beside a database file: the file's identity is recorded beside it
// (logOwnerPath) before a connection opens it and again whenever a connection writes the file
// itself, so that a log another file left there is moved aside and never played into it.

#include <string>
#include <utility>

struct sqlite3;

namespace platform {

// Records the file's identity beside it around what a connection writes to the file itself.
class LogOwnerRecord {
  public:
    explicit LogOwnerRecord(std::string path) : path_(std::move(path)) {}
    template <typename Write> auto around(Write write) {
        recordWriting();
        struct Settle {
            LogOwnerRecord& record;
            ~Settle() { record.recordSettled(); }
        } settle{*this};
        return write();
    }
    // Set by every commit of the connection.
    bool committed = false;

  private:
    // The identity before the write, marked as a checkpoint under way (the file may change
    // after the record is written); the identity after it, settled.
    void recordWriting();
    void recordSettled();

    std::string path_;
};

// Before a file is opened: a log beside it that another file left is moved aside (returned), and
// the file's identity is recorded as the owner of the log its connections will write.
std::string guardLog(const std::string& path);

// A log with frames in it: a header alone (or nothing) changes no file.
bool logHoldsChanges(const std::string& logPath);

// SQLite's checkpoint after large commits (the write-ahead-log hook; record is the connection's
// LogOwnerRecord), with the file's identity recorded around it.
int checkpointAfterCommit(void* record, sqlite3* db, const char* schema, int frames);

} // namespace platform
