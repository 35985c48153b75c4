#include "platform/settings_store.h"

#include "platform/file_io.h"

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <filesystem>
#include <map>
#include <mutex>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>

namespace platform {

namespace {

// The settings files found damaged in this process, each with the version found so: QSettings
// shares what it read of a file among all its objects in a process, and does not read an
// unchanged file again for a new one.
struct DamagedVersion {
    long long size;
    long long changedMs;
    unsigned long long inode;
    bool operator==(const DamagedVersion&) const = default;
};
std::mutex damagedMutex;
std::map<std::string, DamagedVersion> damagedFiles;

bool isText(const QString& text) {
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == 0xFFFD || u == 0x7F || (u < 0x20 && u != '\t')) return false;
    }
    return true;
}

// A copy of a damaged settings file beside it, under a name not taken yet.
std::string keepDamagedCopy(const std::string& path) {
    for (int n = 1; n < 1000; ++n) {
        const std::string copy = path + ".damaged" + (n > 1 ? "-" + std::to_string(n) : "");
        std::error_code error;
        if (std::filesystem::exists(copy, error) || error) continue;
        writeDurableCopy(path, copy);
        return copy;
    }
    throw FileError("无法在“" + path + "”旁边另存副本");
}

} // namespace

SettingsStore::SettingsStore(const std::string& application) {
    const QString name = QString::fromStdString(application);
    open_ = [name] {
        return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, name,
                                           name);
    };
    settings_ = open_();
    sync();
}

SettingsStore SettingsStore::fromFile(const std::string& path) {
    SettingsStore store;
    const QString name = QString::fromStdString(path);
    store.open_ = [name] { return std::make_unique<QSettings>(name, QSettings::IniFormat); };
    store.settings_ = store.open_();
    store.sync();
    return store;
}

SettingsStore::FileStamp SettingsStore::stampOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return {};
    return {true, static_cast<long long>(info.st_size),
            static_cast<long long>(info.st_mtim.tv_sec) * 1000 + info.st_mtim.tv_nsec / 1000000,
            static_cast<unsigned long long>(info.st_ino)};
}

// Two writes within one tick of the file system's clock give the file the same time of change; a
// process that read the first would take an equally long second for the same file and not read it
// again. The new file's time is moved past the old one's.
void SettingsStore::changedAfter(const std::string& path, const FileStamp& before) {
    if (!before.exists) return;
    const FileStamp now = stampOf(path);
    if (!now.exists || now.changedMs > before.changedMs) return;
    const long long ms = before.changedMs + 1;
    const struct timespec times[2] = {{0, UTIME_OMIT}, {ms / 1000, (ms % 1000) * 1000000}};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

SettingsStore::~SettingsStore() = default;
SettingsStore::SettingsStore(SettingsStore&&) noexcept = default;
SettingsStore& SettingsStore::operator=(SettingsStore&&) noexcept = default;

void SettingsStore::sync() {
    settings_->sync();
    // Sections are parsed when first read: every one is, so that a line that is no setting is
    // found now.
    settings_->allKeys();
    const auto status = settings_->status();
    // QSettings rereads a file only when it changed; a reading that found nothing amiss in a
    // changed file clears what an earlier one found.
    const std::string path = location();
    const FileStamp now = stampOf(path);
    const DamagedVersion version{now.size, now.changedMs, now.inode};
    {
        std::lock_guard<std::mutex> lock(damagedMutex);
        if (status == QSettings::FormatError) {
            unreadableLines_ = true;
            damagedFiles[path] = version;
        } else if (now != seen_) {
            // Read again and found sound, or read before by another object of this process.
            const auto found = damagedFiles.find(path);
            unreadableLines_ = found != damagedFiles.end() && found->second == version;
        }
    }
    seen_ = now;
    // The status keeps the first problem met for good: a fresh object (which shares what was read)
    // tells of the next reading only.
    if (status != QSettings::NoError) settings_ = open_();
}

std::optional<SettingsStore::Value> SettingsStore::readValue(const std::string& section,
                                                             const std::string& key) const {
    const QString name = QString::fromStdString(section + "/" + key);
    if (!settings_->contains(name)) return std::nullopt;
    const QVariant value = settings_->value(name);
    QString text;
    bool damaged = false;
    switch (value.typeId()) {
    case QMetaType::QString:
        text = value.toString();
        break;
    case QMetaType::QStringList:
        // A hand-written value with commas and no quotes.
        text = value.toStringList().join(',');
        break;
    default:
        text = value.toString();
        damaged = true;
        break;
    }
    return Value{text.toStdString(), damaged || !isText(text)};
}

std::optional<std::string> SettingsStore::read(const std::string& section,
                                               const std::string& key) const {
    auto value = readValue(section, key);
    if (!value) return std::nullopt;
    return std::move(value->text);
}

SettingsStore::Written SettingsStore::write(const std::string& section, const std::string& key,
                                            const std::string& value) {
    Written result;
    Hold held;
    try {
        held = hold(kLockWait);
    } catch (const FileError&) {
        return result;
    }
    if (!held.held()) {
        result.busy = true;
        return result;
    }
    const std::string path = location();
    if (unreadableLines_) {
        // The write keeps only what could be read: what could not is kept in a copy.
        try {
            result.damagedCopy = keepDamagedCopy(path);
        } catch (const std::exception&) {
            return result;
        }
    }
    const FileStamp before = stampOf(path);
    {
        // A fresh object's status tells of this write alone; it shares what settings_ read.
        const auto writer = open_();
        writer->setValue(QString::fromStdString(section + "/" + key),
                         QString::fromStdString(value));
        writer->sync();
        result.saved = writer->status() == QSettings::NoError;
    }
    if (result.saved) {
        changedAfter(path, before);
        unreadableLines_ = false;
        std::lock_guard<std::mutex> lock(damagedMutex);
        damagedFiles.erase(path);
        seen_ = stampOf(path);
    }
    return result;
}

SettingsStore::Hold::~Hold() {
    if (store_) store_->letGo();
}

SettingsStore::Hold::Hold(Hold&& other) noexcept : store_(std::exchange(other.store_, nullptr)) {}

SettingsStore::Hold& SettingsStore::Hold::operator=(Hold&& other) noexcept {
    if (this != &other) {
        if (store_) store_->letGo();
        store_ = std::exchange(other.store_, nullptr);
    }
    return *this;
}

SettingsStore::Hold SettingsStore::hold(std::chrono::milliseconds wait) {
    Hold held;
    if (holds_ == 0) {
        const std::string path = lockPath();
        std::error_code error;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
        lock_ = FileLock::acquire(path, wait);
        if (!lock_.held()) return held;
        // What another process wrote before it let go.
        sync();
    }
    ++holds_;
    held.store_ = this;
    return held;
}

void SettingsStore::letGo() {
    if (holds_ > 0 && --holds_ == 0) lock_.release();
}

void SettingsStore::reload() {
    sync();
}

std::string SettingsStore::location() const {
    return settings_->fileName().toStdString();
}

std::string SettingsStore::lockPath() const {
    return location() + ".change-lock";
}

} // namespace platform
