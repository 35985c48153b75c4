// The draw clock: every shipped game's day, the status texts across a day's last draw and
// midnight, draws made after midnight, the schedule settings, and the `clock` command.

#include "cli/cli_run.h"
#include "cli/live_commands.h"
#include "history/game_catalog.h"
#include "workspace/draw_clock.h"
#include "workspace/workspace_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>

using app::ClockReading;
using history::Game;

namespace {

app::SystemTime at(const std::string& beijing) {
    const auto moment = app::parseBeijingMoment(beijing);
    if (!moment) throw std::runtime_error("bad time " + beijing);
    return *moment;
}

ClockReading readAt(const std::string& beijing, Game game, int newestStored) {
    return app::readClock(at(beijing), game, history::builtInGames().schedule(game), newestStored);
}

// The schedules of the first versions, every 10 minutes: 江西 84 a day from 09:10, 上海 90 from
// 09:10 (the last at 24:00), 黑龙江 79 from 08:35.
ClockReading readOld(const std::string& beijing, Game game, int newestStored) {
    const history::DrawSchedule schedule =
        game == Game::Shanghai       ? history::DrawSchedule{9 * 60 + 10, 10, 90}
        : game == Game::Heilongjiang ? history::DrawSchedule{8 * 60 + 35, 10, 79}
                                     : history::DrawSchedule{9 * 60 + 10, 10, 84};
    return app::readClock(at(beijing), game, schedule, newestStored);
}

// "2025-02-09T09:30:00" for a minute after the midnight that starts 2025-02-09 (past 1440: the
// next day).
std::string moment(int minute) {
    char text[32];
    std::snprintf(text, sizeof text, "2025-02-%02dT%02d:%02d:00", 9 + minute / 1440,
                  minute % 1440 / 60, minute % 60);
    return text;
}

TEST(DrawClock, EveryShippedGameAcrossItsDay) {
    for (const history::GameInfo& g : history::builtInGames().all()) {
        const auto& s = g.schedule;
        const int last = history::dueMinute(s, s.drawsPerDay);
        SCOPED_TRACE(g.name);
        // Before the first draw: the countdown to draw 01.
        const auto before = readAt(moment(s.firstMinute - 5), g.game, 25020842);
        EXPECT_EQ(before.nextPeriod, 25020901);
        EXPECT_EQ(before.drawsLeftToday, s.drawsPerDay);
        EXPECT_EQ(before.secondsLeft, 300);
        // Just before the last: it is still to come, and belongs to the day it started.
        const auto lastOne = readAt(moment(last - 1), g.game, 25020900 + s.drawsPerDay - 1);
        EXPECT_EQ(lastOne.state, ClockReading::State::Counting);
        EXPECT_EQ(lastOne.nextPeriod, 25020900 + s.drawsPerDay);
        EXPECT_EQ(lastOne.drawsLeftToday, 1);
        // Due and not stored: waited for.
        EXPECT_EQ(readAt(moment(last + 1), g.game, 25020900 + s.drawsPerDay - 1).state,
                  ClockReading::State::Overdue);
        // Stored: the next is the next day's 01, as `next` says.
        const auto after = readAt(moment(last + 1), g.game, 25020900 + s.drawsPerDay);
        EXPECT_NE(after.state, ClockReading::State::Overdue);
        EXPECT_EQ(after.nextPeriod, 25021001);
        EXPECT_EQ(history::nextPeriodText(25020900 + s.drawsPerDay, s.drawsPerDay), "2025021001");
    }
}

TEST(DrawClock, DrawsAfterMidnightBelongToTheDayBefore) {
    const Game xinjiang{1065}; // 10:20, every 20 minutes, 48 draws: the last at 02:00
    // 00:50 on the 10th: the 9th's draw 44 (00:40) is made, 45 comes at 01:00.
    const auto counting = readAt("2025-02-10T00:50:00", xinjiang, 25020944);
    EXPECT_EQ(counting.text, "下期 2025020945 01:00 开奖（还有 10:00）");
    EXPECT_EQ(counting.drawsLeftToday, 4);
    EXPECT_EQ(readAt("2025-02-10T00:50:00", xinjiang, 25020943).text,
              "昨天第44期已过开奖时间 10:00，等待号码");
    // The day's 48 made: the 10th's first at 10:20.
    EXPECT_EQ(readAt("2025-02-10T02:01:00", xinjiang, 25020948).text,
              "下期 2025021001 10:20 开奖（还有 8:19:00）");
    // A schedule that ends before midnight says the day is done until midnight.
    const auto done = readAt("2025-02-09T23:30:00", Game::Jiangxi, 25020942);
    EXPECT_EQ(done.state, ClockReading::State::DayDone);
    EXPECT_EQ(done.text, "今日42期已开完，明天 09:30 开第01期");
    EXPECT_EQ(
        app::beijingIsoText(app::dueMoment(25020948, history::builtInGames().schedule(xinjiang))),
        "2025-02-10T02:00:00+08:00");
}

TEST(DrawClock, BeijingTimeWhateverTheComputersZone) {
    // The clock works on instants; 01:30 UTC is 09:30 in Beijing.
    const app::SystemTime utc = std::chrono::sys_days{std::chrono::year{2025} / 2 / 9} +
                                std::chrono::hours(1) + std::chrono::minutes(30);
    EXPECT_EQ(app::beijingIsoText(utc), "2025-02-09T09:30:00+08:00");
    EXPECT_EQ(app::beijingDay(utc), (history::Date{std::chrono::year{2025} / 2 / 9}));
    // 23:30 UTC is already the next Beijing day.
    EXPECT_EQ(app::beijingDay(utc + std::chrono::hours(22)),
              (history::Date{std::chrono::year{2025} / 2 / 10}));
}

TEST(DrawClock, CountdownToTheNextDraw) {
    // Draw 30 (19:10) stored; draw 31 due at 19:30.
    const auto reading = readAt("2025-02-09T19:25:28", Game::Jiangxi, 25020930);
    EXPECT_EQ(reading.state, ClockReading::State::Counting);
    EXPECT_EQ(reading.text, "下期 2025020931 19:30 开奖（还有 04:32）");
    EXPECT_EQ(reading.drawsLeftToday, 12);
    EXPECT_EQ(app::clockJson(reading, Game::Jiangxi),
              "{\"game\":22,\"next\":\"2025020931\",\"due\":\"2025-02-09T19:30:00+08:00\","
              "\"seconds_left\":272,\"draws_left_today\":12}");
    EXPECT_EQ(readAt("2025-02-09T07:00:00", Game::Jiangxi, 25020842).text,
              "下期 2025020901 09:30 开奖（还有 2:30:00）");
}

TEST(DrawClock, OverdueUntilTheDrawIsStored) {
    const auto waiting = readOld("2025-02-09T19:12:10", Game::Jiangxi, 25020960);
    EXPECT_EQ(waiting.state, ClockReading::State::Overdue);
    EXPECT_EQ(waiting.text, "第61期已过开奖时间 02:10，等待号码");
    EXPECT_EQ(waiting.duePeriod, 25020961);
    // Stored: the countdown to 62.
    EXPECT_EQ(readOld("2025-02-09T19:12:10", Game::Jiangxi, 25020961).text,
              "下期 2025020962 19:20 开奖（还有 07:50）");
    // An empty history waits for nothing.
    EXPECT_EQ(readOld("2025-02-09T19:12:10", Game::Jiangxi, 0).state,
              ClockReading::State::Counting);
}

TEST(DrawClock, AcrossTheDaysLastDrawAndMidnight) {
    EXPECT_EQ(readOld("2025-02-09T22:59:59", Game::Jiangxi, 25020983).text,
              "下期 2025020984 23:00 开奖（还有 00:01）");
    EXPECT_EQ(readOld("2025-02-09T23:00:00", Game::Jiangxi, 25020983).text,
              "第84期已过开奖时间 00:00，等待号码");
    const auto done = readOld("2025-02-09T23:30:00", Game::Jiangxi, 25020984);
    EXPECT_EQ(done.state, ClockReading::State::DayDone);
    EXPECT_EQ(done.text, "今日84期已开完，明天 09:10 开第01期");
    EXPECT_EQ(done.drawsLeftToday, 0);
    EXPECT_EQ(done.nextPeriod, 25021001);
    // After midnight the day's first draw is today's.
    EXPECT_EQ(readOld("2025-02-10T00:00:01", Game::Jiangxi, 25020984).text,
              "下期 2025021001 09:10 开奖（还有 9:09:59）");
    // 黑龙江 ends at 21:35 with its 79th draw.
    EXPECT_EQ(readOld("2025-02-09T21:40:00", Game::Heilongjiang, 25020979).text,
              "今日79期已开完，明天 08:35 开第01期");
}

TEST(DrawClock, DrawsStoredAheadOfTheScheduleAndYesterdaysOverdueDraw) {
    // At 10:05 the schedule's next draw is 07, but 16 is stored: the next is 17, at its own time.
    const auto ahead = readOld("2025-02-09T10:05:00", Game::Jiangxi, 25020916);
    EXPECT_EQ(ahead.state, ClockReading::State::Counting);
    EXPECT_EQ(ahead.nextPeriod, 25020917);
    EXPECT_EQ(ahead.text, "下期 2025020917 11:50 开奖（还有 1:45:00）");
    EXPECT_EQ(ahead.drawsLeftToday, 68);
    // The whole day stored early: tomorrow's first.
    const auto done = readOld("2025-02-09T20:00:00", Game::Jiangxi, 25020984);
    EXPECT_EQ(done.state, ClockReading::State::DayDone);
    EXPECT_EQ(done.nextPeriod, 25021001);
    EXPECT_EQ(done.drawsLeftToday, 0);
    // Draws of a later day than tomorrow: counted down to by their id.
    EXPECT_EQ(readOld("2025-02-09T20:00:00", Game::Jiangxi, 25021105).text,
              "下期 2025021106 10:00 开奖（还有 38:00:00）");
    // An id the schedule has no time for (draw 90 of a game of 84) leaves the schedule's.
    EXPECT_EQ(readOld("2025-02-09T10:05:00", Game::Jiangxi, 25020990).nextPeriod, 25020907);
    // Yesterday's last draw still missing the next morning: named with its day.
    EXPECT_EQ(readOld("2025-02-10T08:00:00", Game::Jiangxi, 25020983).text,
              "昨天第84期已过开奖时间 9:00:00，等待号码");
}

TEST(DrawClock, ShanghaisDrawAtMidnightBelongsToTheDayBefore) {
    EXPECT_EQ(readOld("2025-02-09T23:55:00", Game::Shanghai, 25020989).text,
              "下期 2025020990 24:00 开奖（还有 05:00）");
    // Never "已开完" before midnight: the 90th draw is still to come.
    EXPECT_EQ(readOld("2025-02-09T23:55:00", Game::Shanghai, 25020989).drawsLeftToday, 1);
    // Just after midnight: yesterday's 90th is due and waited for.
    const auto waiting = readOld("2025-02-10T00:01:00", Game::Shanghai, 25020989);
    EXPECT_EQ(waiting.text, "昨天第90期已过开奖时间 01:00，等待号码");
    EXPECT_EQ(waiting.duePeriod, 25020990);
    // Stored: the next day's first draw.
    EXPECT_EQ(readOld("2025-02-10T00:01:00", Game::Shanghai, 25020990).text,
              "下期 2025021001 09:10 开奖（还有 9:09:00）");
}

TEST(DrawClock, ChangedScheduleAndItsSettings) {
    testing_support::WorkspaceFixture f;
    app::Workspace& w = f.workspace.operator*();
    // 42 draws every 31 minutes from 09:30 would end at 06:11 the next morning.
    EXPECT_FALSE(w.setSetting("DrawEvery22", "31").ok);
    EXPECT_TRUE(w.setSetting("DrawEvery22", "10").ok);
    EXPECT_TRUE(w.setSetting("DrawFirst22", "08:00").ok);
    const auto schedule = w.settings().schedule(Game::Jiangxi);
    EXPECT_EQ(schedule, (history::DrawSchedule{8 * 60, 10, 42}));
    EXPECT_EQ(app::readClock(at("2025-02-09T08:05:00"), Game::Jiangxi, schedule, 25020901).text,
              "下期 2025020902 08:10 开奖（还有 05:00）");
    // Refused: times or minutes that are none, more than 120 minutes, a day past 06:00.
    EXPECT_FALSE(w.setSetting("DrawFirst22", "24:00").ok);
    EXPECT_FALSE(w.setSetting("DrawFirst22", "9:10").ok);
    EXPECT_FALSE(w.setSetting("DrawEvery22", "0").ok);
    EXPECT_FALSE(w.setSetting("DrawEvery22", "121").ok);
    EXPECT_FALSE(w.setSetting("DrawEvery22", "60").ok);
    EXPECT_EQ(*w.settingText("DrawFirst22"), "08:00");
    EXPECT_EQ(*w.settingText("DrawEvery22"), "10");
    // Other games keep theirs; the values outlive the run.
    EXPECT_EQ(*w.settingText("DrawFirst569"), "08:24");
    app::Workspace& again = f.reopen();
    EXPECT_EQ(again.settings().schedule(Game::Jiangxi), (history::DrawSchedule{8 * 60, 10, 42}));
}

TEST(DrawClock, ClockCommand) {
    testing_support::WorkspaceFixture f;
    f.type("2025020901", {{"01", "02", "03", "04", "05"}});
    f.workspace.reset();
    auto run = testing_support::runCli(f.dataDir(), f.settingsPath(),
                                       {"clock", "--at", "2025-02-09T09:42:00"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "下期 2025020902 09:50 开奖（还有 08:00）\n");
    run = testing_support::runCli(f.dataDir(), f.settingsPath(),
                                  {"clock", "--json", "--at", "2025-02-09T09:51:00"});
    EXPECT_EQ(run.out, "{\"game\":22,\"next\":\"2025020903\",\"due\":"
                       "\"2025-02-09T10:10:00+08:00\",\"seconds_left\":1140,"
                       "\"draws_left_today\":40,\"waiting\":\"2025020902\","
                       "\"seconds_overdue\":60}\n");
    EXPECT_EQ(
        testing_support::runCli(f.dataDir(), f.settingsPath(), {"clock", "--at", "9:10"}).status,
        2);
}

// The entry line's next period and the clock's agree when the draws are ahead of the schedule.
TEST(DrawClock, ClockAndEntryLineAgreeOnTheNextPeriod) {
    testing_support::WorkspaceFixture f;
    f.type("2025020901",
           std::vector<std::array<std::string, 5>>(16, {"01", "02", "03", "04", "05"}));
    EXPECT_EQ(f.workspace->nextPeriodText(), "2025020917");
    f.workspace.reset();
    const auto run = testing_support::runCli(f.dataDir(), f.settingsPath(),
                                             {"clock", "--json", "--at", "2025-02-09T10:05:00"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("{\"game\":22,\"next\":\"2025020917\"", 0), 0u) << run.out;
    EXPECT_EQ(testing_support::runCli(f.dataDir(), f.settingsPath(),
                                      {"clock", "--at", "2025-02-09T10:05:00"})
                  .out,
              "下期 2025020917 14:50 开奖（还有 4:45:00）\n");
}

} // namespace
