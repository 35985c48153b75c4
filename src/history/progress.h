#pragma once
// Progress of long work, and the user's way to cancel it. The window shows a progress dialog; the
// command line shows nothing. Work that is cancelled changes nothing.

#include <cstddef>

namespace history {

class Progress {
  public:
    virtual ~Progress() = default;
    // The amount of work ahead (steps).
    virtual void setTotal(std::size_t total) = 0;
    // done steps are finished; false when the user wants to stop.
    virtual bool advance(std::size_t done) = 0;
};

// Progress nobody watches.
class NoProgress : public Progress {
  public:
    void setTotal(std::size_t) override {}
    bool advance(std::size_t) override { return true; }
};

} // namespace history
