#include "platform/database_log.h"

#include "platform/database.h"
#include "platform/file_io.h"

#include <sqlite3.h>

#include <cerrno>
#include <ctime>
#include <fstream>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

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

// How many frames of log make a checkpoint after a commit (SQLite's own default).
constexpr int kCheckpointFrames = 1000;

} // namespace

// A log with frames in it: a header alone (or nothing) changes no file.
bool logHoldsChanges(const std::string& logPath) {
    struct stat info {};
    return ::stat(logPath.c_str(), &info) == 0 && info.st_size > 32;
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

void LogOwnerRecord::recordWriting() {
    if (const auto before = identityOf(path_)) writeOwner(path_, *before, true);
}

void LogOwnerRecord::recordSettled() {
    if (const auto after = identityOf(path_)) writeOwner(path_, *after, false);
}

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

std::string logOwnerPath(const std::string& databasePath) {
    return databasePath + "-wal.owner";
}

std::string keepForeignLogAside(const std::string& databasePath) {
    return guardLog(replacedFile(databasePath));
}

} // namespace platform
