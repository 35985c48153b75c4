#pragma once
// An advisory lock on a lock file, held by one open file at a time across processes (and across
// two opens within one process). Released when the object goes.

#include <chrono>
#include <string>

namespace platform {

class FileLock {
  public:
    FileLock() = default;
    ~FileLock();
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Takes the lock on path (creating the file), waiting up to wait for its holder to let go.
    // An empty lock when it stays taken; throws FileError when the file cannot be opened.
    static FileLock acquire(const std::string& path, std::chrono::milliseconds wait);

    bool held() const { return fd_ >= 0; }
    void release();

  private:
    int fd_ = -1;
};

} // namespace platform
