#include "history/draw_schedule.h"

namespace history {

std::optional<int> parseClockTime(std::string_view text) {
    if (text.size() != 5 || text[2] != ':') return std::nullopt;
    for (size_t i : {0, 1, 3, 4})
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
    const int hours = (text[0] - '0') * 10 + (text[1] - '0');
    const int minutes = (text[3] - '0') * 10 + (text[4] - '0');
    if (hours > 23 || minutes > 59) return std::nullopt;
    return hours * 60 + minutes;
}

std::string clockTimeText(int minute) {
    const int hours = minute / 60;
    const int minutes = minute % 60;
    // Hours past 99 in full: a digit of its own for each (never a byte past '9').
    std::string text = std::to_string(hours);
    if (text.size() < 2) text.insert(0, "0");
    text += ':';
    text += static_cast<char>('0' + minutes / 10);
    text += static_cast<char>('0' + minutes % 10);
    return text;
}

std::string timeOfDayText(int minute) {
    // A draw at midnight closes its day: 24:00; those after it, the next morning's time.
    return clockTimeText(minute > 24 * 60 ? minute - 24 * 60 : minute);
}

std::optional<std::string> scheduleProblem(const DrawSchedule& schedule) {
    if (schedule.drawsPerDay < 1 || schedule.drawsPerDay > kMostDrawsPerDay)
        return "每天的期数必须在1到" + std::to_string(kMostDrawsPerDay) + "之间";
    if (schedule.firstMinute < 0 || schedule.firstMinute >= 24 * 60)
        return "第一期的开奖时间必须在 00:00 到 23:59 之间";
    if (schedule.everyMinutes < 1 || schedule.everyMinutes > kMostMinutesBetween)
        return "每期间隔必须在1到" + std::to_string(kMostMinutesBetween) + "分钟之间";
    const int last = dueMinute(schedule, schedule.drawsPerDay);
    if (last > kLatestLastDraw) {
        // Days after the first draw's day, and the time of day then.
        const int days = (last - 1) / (24 * 60);
        return "按这个时间，当天第" + std::to_string(schedule.drawsPerDay) + "期要到" +
               (days == 1 ? std::string("次日") : std::to_string(days) + "天后的") +
               clockTimeText(last - days * 24 * 60) + "才开奖：最后一期最晚在次日 06:00 开奖";
    }
    return std::nullopt;
}

std::string scheduleText(const DrawSchedule& schedule) {
    return clockTimeText(schedule.firstMinute) + "起每" + std::to_string(schedule.everyMinutes) +
           "分钟一期，每天" + std::to_string(schedule.drawsPerDay) + "期";
}

} // namespace history
