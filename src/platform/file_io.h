#pragma once
// Whole-file reads and crash-safe writes. A file that is replaced is first written completely
// under a temporary name beside it, flushed to the disk, and then renamed over the old one, so a
// reader (or the next start after a power cut) sees either the old file or the new one.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace platform {

class FileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Why a system call failed (errno), in the words of the program's messages.
std::string systemReason(int error);

// The whole file as bytes; throws FileError saying why it cannot be read (also for anything that
// is not a regular file: a folder, a named pipe, a device, or one larger than maxBytes).
std::string readFile(const std::string& path, std::uintmax_t maxBytes = UINTMAX_MAX);

// Replaces (or creates) path with bytes, atomically. A path that is (or leads to) a named pipe
// or a device is written into as it is, never replaced by a regular file (a named pipe that no
// program reads is refused).
void writeFileAtomically(const std::string& path, std::string_view bytes);

// Replaces (or creates) target with a copy of source, atomically; a named pipe or a device is
// written into, as writeFileAtomically does.
void replaceWithCopy(const std::string& source, const std::string& target);

// Whether path is (or leads to) something that exists and is neither a regular file nor a folder:
// a named pipe, a device, a socket.
bool isSpecialFile(const std::string& path);
// Copies source into target, which is written as it is (no replacement, no flush to a disk).
void copyInto(const std::string& source, const std::string& target);
// Puts a finished file written under pendingName(target) in target's place: renamed durably
// over a regular file, or copied into a named pipe or a device and then removed.
void putInPlace(const std::string& pending, const std::string& target);

// The two halves of a replacement, for callers that must act in between (close a database):
// writeDurableCopy copies source to destination and flushes it to the disk; renameDurably moves
// from over to (over the file a symbolic link at to leads to) and makes the rename itself durable.
void writeDurableCopy(const std::string& source, const std::string& destination);
void renameDurably(const std::string& from, const std::string& to);

// Flushes a file written by other means (a database connection, since closed) to the disk.
void syncFile(const std::string& path);

// The file a replacement of path replaces: path itself, or the file a symbolic link at path
// leads to (through any chain of links), so that the link stays and keeps leading to the new
// file. A link that leads nowhere gives the path it names.
std::string replacedFile(const std::string& path);

// The temporary name a replacement of path is written under before the rename: beside the file
// replaced (see replacedFile), on its disk, ending in kPendingSuffix. The suffix is the
// program's own, so that a leftover of a killed write is known for ours, and a file of the
// user's ("out.txt.new") is never overwritten or removed.
inline constexpr const char* kPendingSuffix = ".kelvora11s5-new";
std::string pendingName(const std::string& path);

} // namespace platform
