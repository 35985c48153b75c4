#include "platform/file_io.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

std::string systemReason(int error) {
    switch (error) {
    case ENOENT:
        return "文件或文件夹不存在";
    case EACCES:
    case EPERM:
        return "没有权限";
    case ENOSPC:
        return "磁盘空间不足";
    case EDQUOT:
        return "磁盘配额已用完";
    case EROFS:
        return "所在的磁盘是只读的";
    case EISDIR:
        return "这是一个文件夹";
    case ENOTDIR:
        return "路径中有一段不是文件夹";
    case ENAMETOOLONG:
        return "文件名太长";
    case EIO:
        return "读写出错，磁盘可能有问题";
    case EPIPE:
        return "读取的一方已经关闭（管道已断开）";
    case EBADF:
        return "没有打开（已经关闭）";
    case ENXIO:
        return "另一端没有程序在读取";
    default:
        return std::string("系统错误：") + std::strerror(error);
    }
}

namespace {

std::string reason(int error) {
    return systemReason(error);
}

std::string quoted(const std::string& path) {
    return "“" + path + "”";
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
            throw FileError("无法写入" + quoted(path) + "：" + reason(errno));
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

// Creates destination, fills it through fill(fd, shown) and flushes it to the disk; on any failure
// the destination is removed. Messages name shown, the file the caller asked for (destination may
// be the temporary one in its place).
template <typename Fill>
void writeDurably(const std::string& destination, const std::string& shown, Fill fill) {
    Fd out(destination, O_WRONLY | O_CREAT | O_TRUNC);
    if (!out.ok()) {
        const int error = errno;
        const auto folder = std::filesystem::path(shown).parent_path();
        std::error_code ignored;
        if (error == ENOENT && !folder.empty() && !std::filesystem::exists(folder, ignored))
            throw FileError("无法建立文件" + quoted(shown) + "：文件夹" + quoted(folder.string()) +
                            "不存在");
        throw FileError("无法建立文件" + quoted(shown) + "：" + reason(error));
    }
    try {
        fill(out.get(), shown);
        if (::fsync(out.get()) != 0)
            throw FileError("无法把" + quoted(shown) + "写到磁盘上：" + reason(errno));
        if (!out.close()) throw FileError("无法写完" + quoted(shown) + "：" + reason(errno));
    } catch (...) {
        ::unlink(destination.c_str());
        throw;
    }
}

// Writes into a file that is not a regular file (a named pipe, a device) as it is: it cannot be
// replaced by renaming a copy over it, which would put a regular file in its place. A named pipe
// that no program reads is refused (ENXIO) rather than waited on for ever; once open, the writes
// wait for the reader as usual.
template <typename Fill> void writeInPlace(const std::string& path, Fill fill) {
    Fd out(path, O_WRONLY | O_NOCTTY | O_NONBLOCK);
    if (!out.ok()) throw FileError("无法写入" + quoted(path) + "：" + reason(errno));
    const int flags = ::fcntl(out.get(), F_GETFL);
    if (flags == -1 || ::fcntl(out.get(), F_SETFL, flags & ~O_NONBLOCK) == -1)
        throw FileError("无法写入" + quoted(path) + "：" + reason(errno));
    fill(out.get(), path);
    if (!out.close()) throw FileError("无法写完" + quoted(path) + "：" + reason(errno));
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
    return replacedFile(path) + kPendingSuffix;
}

bool isSpecialFile(const std::string& path) {
    struct stat info {};
    return ::stat(replacedFile(path).c_str(), &info) == 0 && !S_ISREG(info.st_mode) &&
           !S_ISDIR(info.st_mode);
}

std::string readFile(const std::string& path, std::uintmax_t maxBytes) {
    // Not blocking on the open: a named pipe would otherwise wait for a writer for ever.
    Fd in(path, O_RDONLY | O_NONBLOCK);
    if (!in.ok()) throw FileError("无法打开" + quoted(path) + "：" + reason(errno));
    struct stat info {};
    if (::fstat(in.get(), &info) != 0)
        throw FileError("无法读取" + quoted(path) + "：" + reason(errno));
    if (S_ISDIR(info.st_mode)) throw FileError("无法读取" + quoted(path) + "：这是一个文件夹");
    if (!S_ISREG(info.st_mode)) throw FileError("无法读取" + quoted(path) + "：这不是普通文件");
    const auto tooLarge = [&] {
        return FileError("无法读取" + quoted(path) + "：文件大于" + std::to_string(maxBytes) +
                         "字节");
    };
    if (info.st_size > 0 && static_cast<std::uintmax_t>(info.st_size) > maxBytes) throw tooLarge();
    std::string bytes;
    if (info.st_size > 0) bytes.reserve(static_cast<size_t>(info.st_size));
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(in.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            throw FileError("无法读取" + quoted(path) + "：" + reason(errno));
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
        throw FileError("无法把" + quoted(from) + "改名为" + quoted(replaced) + "：" +
                        reason(errno));
    syncFolderOf(replaced);
}

void syncFile(const std::string& path) {
    Fd file(path, O_RDWR);
    if (!file.ok()) throw FileError("无法打开" + quoted(path) + "：" + reason(errno));
    if (::fsync(file.get()) != 0)
        throw FileError("无法把" + quoted(path) + "写到磁盘上：" + reason(errno));
    if (!file.close()) throw FileError("无法写完" + quoted(path) + "：" + reason(errno));
}

void writeFileAtomically(const std::string& path, std::string_view bytes) {
    if (isSpecialFile(path)) {
        writeInPlace(path, [&](int fd, const std::string& name) {
            writeAll(fd, bytes.data(), bytes.size(), name);
        });
        return;
    }
    const std::string pending = pendingName(path);
    writeDurably(pending, path, [&](int fd, const std::string& name) {
        writeAll(fd, bytes.data(), bytes.size(), name);
    });
    // Through a symbolic link, the file it leads to is replaced and the link stays.
    const std::string replaced = replacedFile(path);
    if (::rename(pending.c_str(), replaced.c_str()) != 0) {
        const int error = errno;
        ::unlink(pending.c_str());
        throw FileError("无法写入" + quoted(path) + "：" + reason(error));
    }
    syncFolderOf(replaced);
}

namespace {

// Copies what is left to read from the descriptor in (the file source) into fd (the file name).
void copyAll(int in, const std::string& source, int fd, const std::string& name) {
    std::string buffer(1 << 20, '\0');
    for (;;) {
        const ssize_t got = ::read(in, buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR) continue;
            throw FileError("无法读取" + quoted(source) + "：" + reason(errno));
        }
        if (got == 0) break;
        writeAll(fd, buffer.data(), static_cast<size_t>(got), name);
    }
}

} // namespace

void writeDurableCopy(const std::string& source, const std::string& destination) {
    Fd in(source, O_RDONLY);
    if (!in.ok()) throw FileError("无法打开" + quoted(source) + "：" + reason(errno));
    writeDurably(destination, destination,
                 [&](int fd, const std::string& name) { copyAll(in.get(), source, fd, name); });
}

void copyInto(const std::string& source, const std::string& target) {
    Fd in(source, O_RDONLY);
    if (!in.ok()) throw FileError("无法打开" + quoted(source) + "：" + reason(errno));
    writeInPlace(target,
                 [&](int fd, const std::string& name) { copyAll(in.get(), source, fd, name); });
}

void putInPlace(const std::string& pending, const std::string& target) {
    if (!isSpecialFile(target)) {
        renameDurably(pending, target);
        return;
    }
    try {
        copyInto(pending, target);
    } catch (...) {
        ::unlink(pending.c_str());
        throw;
    }
    ::unlink(pending.c_str());
}

void replaceWithCopy(const std::string& source, const std::string& target) {
    if (isSpecialFile(target)) {
        copyInto(source, target);
        return;
    }
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
