#pragma once
// When a game's draws are made: the time of the day's first draw and the minutes between draws,
// in Beijing time, for the game's draws per day. Draw NN of a day is due at first + (NN - 1) x
// every; the last may fall at 24:00 and still belongs to that day.

#include "history/period.h"

#include <optional>
#include <string>
#include <string_view>

namespace history {

struct DrawSchedule {
    int firstMinute = 9 * 60 + 10; // minutes after midnight
    int everyMinutes = 10;

    bool operator==(const DrawSchedule&) const = default;
};

// 江西, 广东 and 上海 from 09:10, 黑龙江 from 08:35, every 10 minutes.
DrawSchedule defaultSchedule(Game game);

// Minutes after the midnight that starts the draw's day (up to 1440 for a draw at 24:00).
inline int dueMinute(const DrawSchedule& schedule, int drawNumber) {
    return schedule.firstMinute + (drawNumber - 1) * schedule.everyMinutes;
}

// "HH:MM" from 00:00 to 23:59, as minutes after midnight.
std::optional<int> parseClockTime(std::string_view text);
// "09:10"; 1440 gives "24:00".
std::string clockTimeText(int minute);

// Why the schedule cannot hold the day's draws (the last one past 24:00, no minutes between
// draws); nothing when it can.
std::optional<std::string> scheduleProblem(const DrawSchedule& schedule, int drawsPerDay);

} // namespace history
