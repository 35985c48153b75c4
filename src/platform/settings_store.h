#pragma once
// The per-user settings store: text values by section and key, under one application name.
// Backed by QSettings: the platform's native store, or an INI file given by path.
//
// Several processes may change one store. Each write replaces the whole file (a new file renamed
// over the old one), and a change that reads a value and writes back what it made of it holds the
// store's change lock (a lock file beside the settings file) from the reading to the writing, so
// that no other process writes in between. Taking the lock reads the file again; every write under
// it leaves the file with a time of change later than the one before, so that another process's
// cached copy is never taken for the current one.

#include "platform/file_lock.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QSettings;

namespace platform {

class SettingsStore {
  public:
    // The user's native store of the application.
    explicit SettingsStore(const std::string& application);
    // An INI file (tests, portable installs).
    static SettingsStore fromFile(const std::string& path);
    ~SettingsStore();
    SettingsStore(SettingsStore&&) noexcept;
    SettingsStore& operator=(SettingsStore&&) noexcept;

    // A stored value as text. damaged: its bytes are not text (not UTF-8, control characters, a
    // value of another type); text then holds what could be read of it.
    struct Value {
        std::string text;
        bool damaged = false;
    };
    std::optional<Value> readValue(const std::string& section, const std::string& key) const;
    std::optional<std::string> read(const std::string& section, const std::string& key) const;

    // The result of a write.
    struct Written {
        bool saved = false;
        // Not saved because another process held the change lock all the while.
        bool busy = false;
        // The file held lines that are not settings, which a write does not keep: the file as it
        // was was copied here first.
        std::string damagedCopy;
    };
    // Writes the value through to the store (under the change lock).
    Written write(const std::string& section, const std::string& key, const std::string& value);

    // Holds the change lock for as long as it lives; holds within one store nest.
    class Hold {
      public:
        Hold() = default;
        ~Hold();
        Hold(Hold&& other) noexcept;
        Hold& operator=(Hold&& other) noexcept;
        bool held() const { return store_ != nullptr; }

      private:
        friend class SettingsStore;
        SettingsStore* store_ = nullptr;
    };
    // Takes the change lock (waiting up to wait for another process to let it go) and reads the
    // store again. Not held when it stays taken; throws FileError when the lock file cannot be
    // made.
    Hold hold(std::chrono::milliseconds wait);
    // How long a write waits for the change lock.
    static constexpr std::chrono::milliseconds kLockWait{10000};

    // Where the values live (a file path), for messages.
    std::string location() const;
    // The lock file of changes, beside the settings file.
    std::string lockPath() const;
    // Reads the store again (another process may have written it).
    void reload();
    // The last reading found lines that are neither a section nor a key and its value.
    bool hasUnreadableLines() const { return unreadableLines_; }

  private:
    SettingsStore() = default;
    // What tells one version of the settings file from another: QSettings reads the file again
    // only when its size or its time of change (to the millisecond) differs from what it read.
    struct FileStamp {
        bool exists = false;
        long long size = 0;
        long long changedMs = 0;
        unsigned long long inode = 0;
        bool operator==(const FileStamp&) const = default;
    };
    static FileStamp stampOf(const std::string& path);
    static void changedAfter(const std::string& path, const FileStamp& before);
    // Reads the file again if it changed, and notes whether it held lines that are not settings.
    void sync();
    void letGo();

    std::function<std::unique_ptr<QSettings>()> open_;
    std::unique_ptr<QSettings> settings_;
    FileLock lock_;
    int holds_ = 0;
    bool unreadableLines_ = false;
    FileStamp seen_;
};

} // namespace platform
