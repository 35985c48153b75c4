#include "workspace/update_plan.h"

namespace app {

UpdateStep UpdatePlan::step(SystemTime now, const ClockReading& reading, int newestStored) {
    const SystemTime afterNext = reading.nextDue + timings_.afterDue;
    const int due = reading.duePeriod;
    const SystemTime start = reading.dueAt + timings_.afterDue;
    // A draw tried for and not stored is tried for to the end of its window, even when the next
    // draw has come due meanwhile (each update fetches that one too).
    if (chased_ != 0 && newestStored < chased_ && chased_ != givenUp_) {
        const SystemTime retryAt = lastAttempt_ + timings_.retry;
        if (retryAt > chaseStart_ + timings_.giveUp) {
            givenUp_ = chased_;
            // The next try: for a draw due since, at once; else after the next draw's time.
            const bool newerDue = due > chased_ && newestStored < due;
            return {UpdateStep::Kind::GiveUp, newerDue ? std::max(now, start) : afterNext, chased_};
        }
        if (now >= retryAt) return {UpdateStep::Kind::Run, now, chased_};
        return {UpdateStep::Kind::Wait, retryAt, chased_};
    }
    // The latest draw due is stored (or given up): the next draw is waited for.
    if (newestStored >= due || due <= givenUp_) return {UpdateStep::Kind::Wait, afterNext, 0};
    if (now < start) return {UpdateStep::Kind::Wait, start, due};
    // The first try is made even long after the draw's time (the program was started late).
    return {UpdateStep::Kind::Run, now, due};
}

void UpdatePlan::attempted(SystemTime now, int period) {
    if (period != chased_) {
        chased_ = period;
        chaseStart_ = now;
    }
    lastAttempt_ = now;
}

} // namespace app
