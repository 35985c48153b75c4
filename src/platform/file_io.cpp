#include "platform/file_io.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

std::string reason(int error) {
    return std::strerror(error);
}

class Fd {
  public:
    Fd(const std::string& path, int flags, mode_t mode = 0644)
        : fd_(::open(path.c_str(), flags | O_CLOEXEC, mode)) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;

    bool ok() const { return fd_ >= 0; }
    int get() const { return fd_; }
    // Closes now and reports whether the close succeeded (a late write error shows here).
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

  private:
    int fd_;
};

void writeAll(int fd, const char* data, size_t size, const std::string& path) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            throw FileError("cannot write " + path + ": " + reason(errno));
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
}

// Makes a rename inside the folder durable.
void syncFolderOf(const std::string& path) {
    auto folder = std::filesystem::path(path).parent_path();
    if (folder.empty()) folder = ".";
    Fd dir(folder.string(), O_RDONLY | O_DIRECTORY);
    if (dir.ok()) ::fsync(dir.get());
}

// Creates destination, fills it through fill(fd, destination) and flushes it to the disk; on any
// failure the destination is removed.
template <typename Fill> void writeDurably(const std::string& destination, Fill fill) {
    Fd out(destination, O_WRONLY | O_CREAT | O_TRUNC);
    if (!out.ok()) throw FileError("cannot create " + destination + ": " + reason(errno));
    try {
        fill(out.get(), destination);
        if (::fsync(out.get()) != 0)
            throw FileError("cannot flush " + destination + ": " + reason(errno));
        if (!out.close()) throw FileError("cannot close " + destination + ": " + reason(errno));
    } catch (...) {
        ::unlink(destination.c_str());
        throw;
    }
}

} // namespace

std::string replacedFile(const std::string& path) {
    namespace fs = std::filesystem;
    fs::path file = path;
    // As many links as the system itself follows before it gives up (ELOOP).
    for (int links = 0; links < 40; ++links) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(file, error))) break;
        const fs::path target = fs::read_symlink(file, error);
        if (error) break;
        file = target.is_absolute() ? target : file.parent_path() / target;
    }
    return file.string();
}

std::string pendingName(const std::string& path) {
    return replacedFile(path) + ".new";
}

std::string readFile(const std::string& path, std::uintmax_t maxBytes) {
    // Not blocking on the open: a named pipe would otherwise wait for a writer for ever.
    Fd in(path, O_RDONLY | O_NONBLOCK);
    if (!in.ok()) throw FileError("cannot open " + path + ": " + reason(errno));
    struct stat info {};
    if (::fstat(in.get(), &info) != 0)
        throw FileError("cannot read " + path + ": " + reason(errno));
    if (S_ISDIR(info.st_mode)) throw FileError("cannot read " + path + ": it is a folder");
    if (!S_ISREG(info.st_mode))
        throw FileError("cannot read " + path + ": it is not a regular file");
    const auto tooLarge = [&] {
        return FileError("cannot read " + path + ": it is larger than " + std::to_string(maxBytes) +
                         " bytes");
    };
    if (info.st_size > 0 && static_cast<std::uintmax_t>(info.st_size) > maxBytes) throw tooLarge();
    std::string bytes;
    if (info.st_size > 0) bytes.reserve(static_cast<size_t>(info.st_size));
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(in.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            throw FileError("cannot read " + path + ": " + reason(errno));
        }
        if (got == 0) break;
        if (bytes.size() + static_cast<size_t>(got) > maxBytes) throw tooLarge();
        bytes.append(buffer, static_cast<size_t>(got));
    }
    return bytes;
}

void renameDurably(const std::string& from, const std::string& to) {
    // Renamed over a symbolic link, the new file would take the link's place and the file it
    // leads to would keep the old content, still read by everything that follows the link.
    const std::string replaced = replacedFile(to);
    if (::rename(from.c_str(), replaced.c_str()) != 0)
        throw FileError("cannot rename " + from + " to " + replaced + ": " + reason(errno));
    syncFolderOf(replaced);
}

void syncFile(const std::string& path) {
    Fd file(path, O_RDWR);
    if (!file.ok()) throw FileError("cannot open " + path + ": " + reason(errno));
    if (::fsync(file.get()) != 0) throw FileError("cannot flush " + path + ": " + reason(errno));
    if (!file.close()) throw FileError("cannot close " + path + ": " + reason(errno));
}

void writeFileAtomically(const std::string& path, std::string_view bytes) {
    const std::string pending = pendingName(path);
    writeDurably(pending, [&](int fd, const std::string& name) {
        writeAll(fd, bytes.data(), bytes.size(), name);
    });
    try {
        renameDurably(pending, path);
    } catch (...) {
        ::unlink(pending.c_str());
        throw;
    }
}

void writeDurableCopy(const std::string& source, const std::string& destination) {
    Fd in(source, O_RDONLY);
    if (!in.ok()) throw FileError("cannot open " + source + ": " + reason(errno));
    writeDurably(destination, [&](int fd, const std::string& name) {
        std::string buffer(1 << 20, '\0');
        for (;;) {
            const ssize_t got = ::read(in.get(), buffer.data(), buffer.size());
            if (got < 0) {
                if (errno == EINTR) continue;
                throw FileError("cannot read " + source + ": " + reason(errno));
            }
            if (got == 0) break;
            writeAll(fd, buffer.data(), static_cast<size_t>(got), name);
        }
    });
}

void replaceWithCopy(const std::string& source, const std::string& target) {
    const std::string pending = pendingName(target);
    writeDurableCopy(source, pending);
    try {
        renameDurably(pending, target);
    } catch (...) {
        ::unlink(pending.c_str());
        throw;
    }
}

} // namespace platform
