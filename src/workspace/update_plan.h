#pragma once
// When the automatic update and the watch mode fetch: from a while after each draw's due time,
// again and again while the due draw is not stored, until they give it up and wait for the next
// draw. A plain state machine over the draw clock, so the timing is tested without waiting.

#include "workspace/draw_clock.h"

#include <algorithm>
#include <chrono>

namespace app {

struct UpdateTimings {
    std::chrono::seconds afterDue{60}; // the first try this long after a draw's due time
    std::chrono::seconds retry{30};    // then every so often while the draw is not listed
    std::chrono::seconds giveUp{600};  // and no longer than this after the first try
};

struct UpdateStep {
    enum class Kind {
        Wait,   // nothing to do before `at`
        Run,    // fetch now, for `period`
        GiveUp, // `period` could not be had; the next try is at `at` (after the next draw)
    };
    Kind kind = Kind::Wait;
    SystemTime at;
    int period = 0;
};

class UpdatePlan {
  public:
    explicit UpdatePlan(UpdateTimings timings = {}) : timings_(timings) {}

    // What to do at `now`, with the clock's reading then and the newest stored draw (0: none).
    // A GiveUp is returned once per draw.
    UpdateStep step(SystemTime now, const ClockReading& reading, int newestStored);
    // A fetch for `period` started at `now`.
    void attempted(SystemTime now, int period);

    const UpdateTimings& timings() const { return timings_; }

  private:
    UpdateTimings timings_;
    int chased_ = 0;        // the draw tried for last
    SystemTime chaseStart_; // its first try
    SystemTime lastAttempt_;
    int givenUp_ = 0;
};

} // namespace app
