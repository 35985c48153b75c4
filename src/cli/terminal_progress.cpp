#include "cli/terminal_progress.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace app {

TerminalProgress::TerminalProgress(std::string label)
    : label_(std::move(label)), terminal_(isatty(STDERR_FILENO) == 1),
      start_(std::chrono::steady_clock::now()) {}

TerminalProgress::~TerminalProgress() {
    if (shown_) std::fputs("\r\033[K", stderr);
}

void TerminalProgress::setTotal(std::size_t total) {
    total_ = total;
    percent_ = -1;
}

bool TerminalProgress::advance(std::size_t done) {
    if (!terminal_ || total_ == 0) return true;
    const int percent = static_cast<int>(std::min<std::size_t>(done, total_) * 100 / total_);
    if (percent == percent_) return true;
    if (!shown_ && std::chrono::steady_clock::now() - start_ < std::chrono::milliseconds(500))
        return true;
    percent_ = percent;
    shown_ = true;
    std::fprintf(stderr, "\r%s %d%%", label_.c_str(), percent);
    std::fflush(stderr);
    return true;
}

} // namespace app
