// Writing beside other processes: the write lock of the data folder, and following what another
// window or command stored meanwhile before anything is read or written.

#include "workspace/workspace.h"

#include <filesystem>
#include <utility>

namespace app {

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

bool Workspace::followOutsideChanges() {
    if (!db_.isOpen() || writeLocks_ > 0 || writePending()) return false;
    const auto generation = history_.generation();
    const auto version = history_.version();
    const auto serial = db_.serial();
    if (!followOtherWriters().ok) return false;
    return history_.generation() != generation || history_.version() != version ||
           db_.serial() != serial;
}

} // namespace app
