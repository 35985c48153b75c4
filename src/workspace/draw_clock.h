#pragma once
// The draw clock: which draw of the game comes next and when, in Beijing time whatever the
// computer's time zone, from the game's schedule and the newest stored draw. The status bar and
// the `clock` command show its reading; the automatic update and the watch mode wait on it.

#include "history/draw_schedule.h"
#include "history/online_update.h"
#include "history/period.h"

#include <chrono>
#include <functional>
#include <string>

namespace app {

using SystemTime = std::chrono::system_clock::time_point;
// The time now; tests put a clock of their own in its place.
using NowFunction = std::function<SystemTime()>;

// Beijing keeps UTC+8 all year (no daylight saving since 1991), so a fixed offset gives
// Asia/Shanghai exactly without the computer's zone database.
inline constexpr std::chrono::hours kBeijingOffset{8};

// The Beijing date of a moment.
history::Date beijingDay(SystemTime when);
// The moment a minute after the midnight that starts a Beijing day (1440: the next midnight).
SystemTime beijingMoment(history::Date day, int minute);
// The moment a draw (stored form yymmddNN) is due.
SystemTime dueMoment(int period, const history::DrawSchedule& schedule);
// "2025-02-09T09:10:00+08:00".
std::string beijingIsoText(SystemTime when);

struct ClockReading {
    enum class State {
        Counting, // the next draw is coming: 下期 … 开奖（还有 …）
        DayDone,  // today's draws are all made: 今日…期已开完，明天 … 开第01期
        Overdue, // the latest draw due is not stored yet: 第…期已过开奖时间 …，等待号码
    };
    State state = State::Counting;
    int nextPeriod = 0; // stored form
    SystemTime nextDue;
    long long secondsLeft = 0;
    int drawsLeftToday = 0;
    // The latest draw due by now (0 when none today or yesterday) and how long ago it was due.
    int duePeriod = 0;
    SystemTime dueAt;
    long long secondsOverdue = 0;
    std::string text; // the status bar's text
};

// The clock at a moment for a game whose newest stored draw is newestStored (0: none stored; a
// history without draws waits for none).
ClockReading readClock(SystemTime now, history::Game game, const history::DrawSchedule& schedule,
                       int newestStored);

// The reading as the `clock --json` object.
std::string clockJson(const ClockReading& reading, history::Game game);

} // namespace app
