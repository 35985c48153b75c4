#pragma once
// Progress of a long command shown on a terminal: the share done, on one line of stderr that is
// rewritten in place and cleared at the end. Nothing is written when stderr is not a terminal
// (scripts read the output) or when the work ends within half a second.

#include "history/progress.h"

#include <chrono>
#include <cstddef>
#include <string>

namespace app {

class TerminalProgress : public history::Progress {
  public:
    // label: what is under way, shown before the share.
    explicit TerminalProgress(std::string label);
    ~TerminalProgress() override;
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    void setTotal(std::size_t total) override;
    bool advance(std::size_t done) override;

  private:
    std::string label_;
    bool terminal_;
    bool shown_ = false;
    std::size_t total_ = 0;
    int percent_ = -1;
    std::chrono::steady_clock::time_point start_;
};

} // namespace app
