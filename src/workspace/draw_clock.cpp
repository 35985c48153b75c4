#include "workspace/draw_clock.h"

#include "workspace/json_text.h"

#include <algorithm>
#include <cstdio>

namespace app {

namespace {

using namespace std::chrono;

int periodOf(history::Date day, int drawNumber) {
    return history::dayNumber(day) * 100 + drawNumber;
}

std::string twoDigits(long long value) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "%02lld", value);
    return buffer;
}

// "04:32" under an hour, "1:04:32" from an hour on.
std::string countdownText(long long seconds) {
    if (seconds < 0) seconds = 0;
    const long long hours = seconds / 3600;
    const std::string minutesSeconds = twoDigits(seconds / 60 % 60) + ":" + twoDigits(seconds % 60);
    return hours > 0 ? std::to_string(hours) + ":" + minutesSeconds : minutesSeconds;
}

// The draw after the newest stored one, when it is a draw of the game's day (0 otherwise).
int drawAfter(int newestStored, int perDay) {
    if (newestStored <= 0 || newestStored % 100 > perDay) return 0;
    const auto after = history::lastEightAsNumber(history::nextPeriodText(newestStored, perDay));
    if (!after || *after % 100 < 1 || *after % 100 > perDay || !history::dateOfPeriod(*after).ok())
        return 0;
    return *after;
}

} // namespace

history::Date beijingDay(SystemTime when) {
    return history::Date(floor<days>(when + kBeijingOffset));
}

SystemTime beijingMoment(history::Date day, int minute) {
    return SystemTime(sys_days(day).time_since_epoch() + minutes(minute) - kBeijingOffset);
}

SystemTime dueMoment(int period, const history::DrawSchedule& schedule) {
    return beijingMoment(history::dateOfPeriod(period), history::dueMinute(schedule, period % 100));
}

std::string beijingIsoText(SystemTime when) {
    const auto local = floor<seconds>(when + kBeijingOffset);
    const auto day = floor<days>(local);
    const year_month_day date(day);
    const hh_mm_ss<seconds> time(local - day);
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02uT%02lld:%02lld:%02lld+08:00",
                  static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()), static_cast<long long>(time.hours().count()),
                  static_cast<long long>(time.minutes().count()),
                  static_cast<long long>(time.seconds().count()));
    return buffer;
}

ClockReading readClock(SystemTime now, history::Game game, const history::DrawSchedule& schedule,
                       int newestStored) {
    (void)game;
    const int perDay = std::max(1, schedule.drawsPerDay);
    const history::Date today = beijingDay(now);
    const history::Date yesterday{sys_days(today) - days(1)};
    const history::Date tomorrow{sys_days(today) + days(1)};
    ClockReading reading;

    // The draws of yesterday, today and tomorrow in the order they are made: a day's last draws
    // may fall after midnight, on the next calendar day, and still carry their own day's date.
    // The next draw is the first not due yet; the latest due, the one before it.
    reading.nextPeriod = periodOf(tomorrow, 1);
    reading.duePeriod = periodOf(yesterday, 1);
    bool found = false;
    for (const history::Date day : {yesterday, today, tomorrow}) {
        for (int n = 1; n <= perDay && !found; ++n) {
            if (beijingMoment(day, history::dueMinute(schedule, n)) > now) {
                reading.nextPeriod = periodOf(day, n);
                found = true;
            } else {
                reading.duePeriod = periodOf(day, n);
            }
        }
    }
    // Draws stored ahead of the schedule (a computer clock or a schedule that is behind the site):
    // the next draw is the one after the newest stored, as the entry line offers it.
    if (const int after = drawAfter(newestStored, perDay); after > reading.nextPeriod)
        reading.nextPeriod = after;
    const int nextNumber = reading.nextPeriod % 100;
    const bool tomorrows = reading.nextPeriod / 100 == history::dayNumber(tomorrow);
    const bool dayDone = tomorrows && nextNumber == 1;
    // Draws left of the day under way: none once its last draw is made.
    reading.drawsLeftToday = tomorrows ? 0 : perDay - nextNumber + 1;
    reading.nextDue = dueMoment(reading.nextPeriod, schedule);
    reading.secondsLeft = ceil<seconds>(reading.nextDue - now).count();
    reading.dueAt = dueMoment(reading.duePeriod, schedule);
    reading.secondsOverdue = floor<seconds>(now - reading.dueAt).count();

    const std::string nextTime = history::timeOfDayText(history::dueMinute(schedule, nextNumber));
    if (newestStored > 0 && newestStored < reading.duePeriod) {
        reading.state = ClockReading::State::Overdue;
        // Yesterday's last draw is named with its day.
        const bool yesterdays = history::dateOfPeriod(reading.duePeriod) != today;
        reading.text = std::string(yesterdays ? "昨天" : "") + "第" +
                       twoDigits(reading.duePeriod % 100) + "期已过开奖时间 " +
                       countdownText(reading.secondsOverdue) + "，等待号码";
    } else if (dayDone) {
        reading.state = ClockReading::State::DayDone;
        reading.text = "今日" + std::to_string(perDay) + "期已开完，明天 " + nextTime + " 开第01期";
    } else {
        reading.text = "下期 " + history::tenDigit(reading.nextPeriod) + " " + nextTime +
                       " 开奖（还有 " + countdownText(reading.secondsLeft) + "）";
    }
    return reading;
}

std::string clockJson(const ClockReading& reading, history::Game game) {
    Json json;
    json["game"] = static_cast<int>(game);
    json["next"] = history::tenDigit(reading.nextPeriod);
    json["due"] = beijingIsoText(reading.nextDue);
    json["seconds_left"] = reading.secondsLeft;
    json["draws_left_today"] = reading.drawsLeftToday;
    if (reading.state == ClockReading::State::Overdue) {
        json["waiting"] = history::tenDigit(reading.duePeriod);
        json["seconds_overdue"] = reading.secondsOverdue;
    }
    return jsonText(json);
}

} // namespace app
