#include "platform/descriptor_output.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace platform {

DescriptorOutput::DescriptorOutput(int fd, bool closed)
    : fd_(fd), closed_(closed), buffer_(1 << 16) {
    setp(buffer_.data(), buffer_.data() + buffer_.size());
}

DescriptorOutput::~DescriptorOutput() {
    flushBuffer();
}

bool DescriptorOutput::flushBuffer() {
    const char* data = pbase();
    size_t left = static_cast<size_t>(pptr() - pbase());
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    if (left == 0 || error_ != 0) return error_ == 0;
    if (closed_) {
        error_ = EBADF;
        return false;
    }
    while (left > 0) {
        const ssize_t written = ::write(fd_, data, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            error_ = errno;
            return false;
        }
        if (written == 0) {
            // Nothing taken and no reason given: told as a failed write rather than looped on.
            error_ = EIO;
            return false;
        }
        data += written;
        left -= static_cast<size_t>(written);
    }
    return true;
}

DescriptorOutput::int_type DescriptorOutput::overflow(int_type ch) {
    if (!flushBuffer()) return traits_type::eof();
    if (traits_type::eq_int_type(ch, traits_type::eof())) return traits_type::not_eof(ch);
    *pptr() = traits_type::to_char_type(ch);
    pbump(1);
    return ch;
}

std::streamsize DescriptorOutput::xsputn(const char* data, std::streamsize size) {
    std::streamsize done = 0;
    while (done < size) {
        if (error_ != 0) return done;
        const std::streamsize room = epptr() - pptr();
        if (room == 0) {
            if (!flushBuffer()) return done;
            continue;
        }
        const std::streamsize part = std::min(room, size - done);
        std::memcpy(pptr(), data + done, static_cast<size_t>(part));
        // pbump takes an int; a part is at most the buffer's size.
        pbump(static_cast<int>(part));
        done += part;
    }
    return done;
}

int DescriptorOutput::sync() {
    return flushBuffer() ? 0 : -1;
}

bool keepStandardDescriptorOpen(int fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) return true;
    // open gives the lowest free number: fd itself, when the ones below it are open.
    const int opened = ::open("/dev/null", O_RDWR);
    if (opened >= 0 && opened != fd) {
        ::dup2(opened, fd);
        ::close(opened);
    }
    return false;
}

} // namespace platform
