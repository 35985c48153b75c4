#pragma once
// A stream buffer that writes to a file descriptor (standard output) and remembers why a write
// failed: a full disk, a broken device, a pipe whose reader is gone. Through std::cout such a
// failure passes unnoticed unless the stream's state is looked at, and its reason is lost.

#include <cstddef>
#include <streambuf>
#include <vector>

namespace platform {

class DescriptorOutput : public std::streambuf {
  public:
    // closed: the descriptor was closed when the program started (and is now /dev/null, see
    // keepStandardDescriptorOpen): anything written to it fails with EBADF.
    explicit DescriptorOutput(int fd, bool closed = false);
    ~DescriptorOutput() override;
    DescriptorOutput(const DescriptorOutput&) = delete;
    DescriptorOutput& operator=(const DescriptorOutput&) = delete;

    // The errno of the first write that failed; 0 while everything written got through. Once a
    // write failed, later output is dropped.
    int error() const { return error_; }

  protected:
    int_type overflow(int_type ch) override;
    std::streamsize xsputn(const char* data, std::streamsize size) override;
    int sync() override;

  private:
    bool flushBuffer();

    int fd_;
    bool closed_;
    int error_ = 0;
    std::vector<char> buffer_;
};

// Makes sure the descriptors 0, 1 and 2 are open: one that is closed is opened on /dev/null, so
// that no file the program opens later (a database) takes its number and receives what is
// printed. Returns whether fd was open before.
bool keepStandardDescriptorOpen(int fd);

} // namespace platform
