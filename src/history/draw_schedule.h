#pragma once
// When a game's draws are made: the time of the day's first draw, the minutes between draws and
// the draws a day, in Beijing time. Draw NN of a day is due at first + (NN - 1) x every; the last
// ones may fall after midnight (up to 06:00) and still belong to the day of the first.

#include "history/period.h"

#include <optional>
#include <string>
#include <string_view>

namespace history {

struct DrawSchedule {
    int firstMinute = 9 * 60 + 30; // minutes after midnight
    int everyMinutes = 20;
    int drawsPerDay = 42;

    bool operator==(const DrawSchedule&) const = default;
};

// The limits of a schedule: draws a day, minutes between draws, and the latest the day's last
// draw may fall (minutes after the midnight that starts its day: 06:00 the next morning).
inline constexpr int kMostDrawsPerDay = 99;
inline constexpr int kMostMinutesBetween = 120;
inline constexpr int kLatestLastDraw = 30 * 60;

// Minutes after the midnight that starts the draw's day (past 1440 for a draw after midnight).
inline int dueMinute(const DrawSchedule& schedule, int drawNumber) {
    return schedule.firstMinute + (drawNumber - 1) * schedule.everyMinutes;
}

// "HH:MM" from 00:00 to 23:59, as minutes after midnight.
std::optional<int> parseClockTime(std::string_view text);
// "09:10"; 1440 gives "24:00".
std::string clockTimeText(int minute);
// The time of day of a due minute: 1520 gives "01:20" (the next morning), 1440 "24:00".
std::string timeOfDayText(int minute);

// Why the schedule cannot be (draws a day outside 1..99, minutes between draws outside 1..120,
// the first draw not a time of day, the last one later than 06:00 after midnight); nothing when
// it can.
std::optional<std::string> scheduleProblem(const DrawSchedule& schedule);
// "09:30起每20分钟一期，每天42期".
std::string scheduleText(const DrawSchedule& schedule);

} // namespace history
