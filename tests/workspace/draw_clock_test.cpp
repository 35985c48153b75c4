// The draw clock: due times of each game's schedule, the status texts across a day's last draw,
// midnight and 上海's draw at 24:00, the schedule settings, and the `clock` command.

#include "cli/cli_run.h"
#include "cli/live_commands.h"
#include "workspace/draw_clock.h"
#include "workspace/workspace_fixture.h"

#include <gtest/gtest.h>

using app::ClockReading;
using history::Game;

namespace {

app::SystemTime at(const std::string& beijing) {
    const auto moment = app::parseBeijingMoment(beijing);
    if (!moment) throw std::runtime_error("bad time " + beijing);
    return *moment;
}

ClockReading readAt(const std::string& beijing, Game game, int newestStored) {
    return app::readClock(at(beijing), game, history::defaultSchedule(game), newestStored);
}

TEST(DrawClock, EachGamesDefaultDueTimes) {
    struct Case {
        Game game;
        int lastDraw;
        const char* first;
        const char* last;
    };
    for (const Case& c :
         {Case{Game::Jiangxi, 84, "09:10", "23:00"}, Case{Game::Guangdong, 84, "09:10", "23:00"},
          Case{Game::Shanghai, 90, "09:10", "24:00"},
          Case{Game::Heilongjiang, 79, "08:35", "21:35"}}) {
        const auto schedule = history::defaultSchedule(c.game);
        EXPECT_EQ(history::drawsPerDay(c.game), c.lastDraw);
        EXPECT_EQ(history::clockTimeText(history::dueMinute(schedule, 1)), c.first);
        EXPECT_EQ(history::clockTimeText(history::dueMinute(schedule, c.lastDraw)), c.last);
        EXPECT_FALSE(history::scheduleProblem(schedule, c.lastDraw));
    }
    // 上海's 90th draw at 24:00 is due at the next midnight and keeps its day's id.
    EXPECT_EQ(
        app::beijingIsoText(app::dueMoment(25020990, history::defaultSchedule(Game::Shanghai))),
        "2025-02-10T00:00:00+08:00");
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
    // Draw 60 (18:59) stored; draw 61 due at 19:10.
    const auto reading = readAt("2025-02-09T19:05:28", Game::Jiangxi, 25020960);
    EXPECT_EQ(reading.state, ClockReading::State::Counting);
    EXPECT_EQ(reading.text, "下期 2025020961 19:10 开奖（还有 04:32）");
    EXPECT_EQ(reading.secondsLeft, 272);
    EXPECT_EQ(reading.drawsLeftToday, 24);
    EXPECT_EQ(app::clockJson(reading, Game::Jiangxi),
              "{\"game\":22,\"next\":\"2025020961\",\"due\":\"2025-02-09T19:10:00+08:00\","
              "\"seconds_left\":272,\"draws_left_today\":24}");
    // Before the first draw of the day the wait is in hours.
    EXPECT_EQ(readAt("2025-02-09T07:00:00", Game::Jiangxi, 25020884).text,
              "下期 2025020901 09:10 开奖（还有 2:10:00）");
}

TEST(DrawClock, OverdueUntilTheDrawIsStored) {
    const auto waiting = readAt("2025-02-09T19:12:10", Game::Jiangxi, 25020960);
    EXPECT_EQ(waiting.state, ClockReading::State::Overdue);
    EXPECT_EQ(waiting.text, "第61期已过开奖时间 02:10，等待号码");
    EXPECT_EQ(waiting.duePeriod, 25020961);
    // Stored: the countdown to 62.
    EXPECT_EQ(readAt("2025-02-09T19:12:10", Game::Jiangxi, 25020961).text,
              "下期 2025020962 19:20 开奖（还有 07:50）");
    // An empty history waits for nothing.
    EXPECT_EQ(readAt("2025-02-09T19:12:10", Game::Jiangxi, 0).state, ClockReading::State::Counting);
}

TEST(DrawClock, AcrossTheDaysLastDrawAndMidnight) {
    EXPECT_EQ(readAt("2025-02-09T22:59:59", Game::Jiangxi, 25020983).text,
              "下期 2025020984 23:00 开奖（还有 00:01）");
    EXPECT_EQ(readAt("2025-02-09T23:00:00", Game::Jiangxi, 25020983).text,
              "第84期已过开奖时间 00:00，等待号码");
    const auto done = readAt("2025-02-09T23:30:00", Game::Jiangxi, 25020984);
    EXPECT_EQ(done.state, ClockReading::State::DayDone);
    EXPECT_EQ(done.text, "今日84期已开完，明天 09:10 开第01期");
    EXPECT_EQ(done.drawsLeftToday, 0);
    EXPECT_EQ(done.nextPeriod, 25021001);
    // After midnight the day's first draw is today's.
    EXPECT_EQ(readAt("2025-02-10T00:00:01", Game::Jiangxi, 25020984).text,
              "下期 2025021001 09:10 开奖（还有 9:09:59）");
    // 黑龙江 ends at 21:35 with its 79th draw.
    EXPECT_EQ(readAt("2025-02-09T21:40:00", Game::Heilongjiang, 25020979).text,
              "今日79期已开完，明天 08:35 开第01期");
}

TEST(DrawClock, DrawsStoredAheadOfTheScheduleAndYesterdaysOverdueDraw) {
    // At 10:05 the schedule's next draw is 07, but 16 is stored: the next is 17, at its own time.
    const auto ahead = readAt("2025-02-09T10:05:00", Game::Jiangxi, 25020916);
    EXPECT_EQ(ahead.state, ClockReading::State::Counting);
    EXPECT_EQ(ahead.nextPeriod, 25020917);
    EXPECT_EQ(ahead.text, "下期 2025020917 11:50 开奖（还有 1:45:00）");
    EXPECT_EQ(ahead.drawsLeftToday, 68);
    // The whole day stored early: tomorrow's first.
    const auto done = readAt("2025-02-09T20:00:00", Game::Jiangxi, 25020984);
    EXPECT_EQ(done.state, ClockReading::State::DayDone);
    EXPECT_EQ(done.nextPeriod, 25021001);
    EXPECT_EQ(done.drawsLeftToday, 0);
    // Draws of a later day than tomorrow: counted down to by their id.
    EXPECT_EQ(readAt("2025-02-09T20:00:00", Game::Jiangxi, 25021105).text,
              "下期 2025021106 10:00 开奖（还有 38:00:00）");
    // An id the schedule has no time for (draw 90 of a game of 84) leaves the schedule's.
    EXPECT_EQ(readAt("2025-02-09T10:05:00", Game::Jiangxi, 25020990).nextPeriod, 25020907);
    // Yesterday's last draw still missing the next morning: named with its day.
    EXPECT_EQ(readAt("2025-02-10T08:00:00", Game::Jiangxi, 25020983).text,
              "昨天第84期已过开奖时间 9:00:00，等待号码");
}

TEST(DrawClock, ShanghaisDrawAtMidnightBelongsToTheDayBefore) {
    EXPECT_EQ(readAt("2025-02-09T23:55:00", Game::Shanghai, 25020989).text,
              "下期 2025020990 24:00 开奖（还有 05:00）");
    // Never "已开完" before midnight: the 90th draw is still to come.
    EXPECT_EQ(readAt("2025-02-09T23:55:00", Game::Shanghai, 25020989).drawsLeftToday, 1);
    // Just after midnight: yesterday's 90th is due and waited for.
    const auto waiting = readAt("2025-02-10T00:01:00", Game::Shanghai, 25020989);
    EXPECT_EQ(waiting.text, "昨天第90期已过开奖时间 01:00，等待号码");
    EXPECT_EQ(waiting.duePeriod, 25020990);
    // Stored: the next day's first draw.
    EXPECT_EQ(readAt("2025-02-10T00:01:00", Game::Shanghai, 25020990).text,
              "下期 2025021001 09:10 开奖（还有 9:09:00）");
}

TEST(DrawClock, ChangedScheduleAndItsSettings) {
    testing_support::WorkspaceFixture f;
    app::Workspace& w = f.workspace.operator*();
    // Every 12 minutes from 09:10 the 84th draw would fall at 25:46.
    EXPECT_FALSE(w.setSetting("DrawEvery22", "12").ok);
    EXPECT_TRUE(w.setSetting("DrawEvery22", "8").ok);
    EXPECT_TRUE(w.setSetting("DrawFirst22", "08:00").ok);
    const auto& schedule = w.settings().schedule(Game::Jiangxi);
    EXPECT_EQ(history::clockTimeText(history::dueMinute(schedule, 84)), "19:04");
    EXPECT_EQ(app::readClock(at("2025-02-09T08:05:00"), Game::Jiangxi, schedule, 25020901).text,
              "下期 2025020902 08:08 开奖（还有 03:00）");
    // Refused: the 84th draw would fall after midnight, and times or minutes that are none.
    EXPECT_FALSE(w.setSetting("DrawFirst22", "13:00").ok);
    EXPECT_FALSE(w.setSetting("DrawFirst22", "24:00").ok);
    EXPECT_FALSE(w.setSetting("DrawFirst22", "9:10").ok);
    EXPECT_FALSE(w.setSetting("DrawEvery22", "0").ok);
    EXPECT_FALSE(w.setSetting("DrawEvery22", "20").ok);
    EXPECT_EQ(*w.settingText("DrawFirst22"), "08:00");
    EXPECT_EQ(*w.settingText("DrawEvery22"), "8");
    // Other games keep theirs; the values outlive the run.
    EXPECT_EQ(*w.settingText("DrawFirst569"), "08:35");
    app::Workspace& again = f.reopen();
    EXPECT_EQ(again.settings().schedule(Game::Jiangxi), (history::DrawSchedule{8 * 60, 8}));
}

TEST(DrawClock, ClockCommand) {
    testing_support::WorkspaceFixture f;
    f.type("2025020901", {{"01", "02", "03", "04", "05"}});
    f.workspace.reset();
    auto run = testing_support::runCli(f.dataDir(), f.settingsPath(),
                                       {"clock", "--at", "2025-02-09T09:12:00"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "下期 2025020902 09:20 开奖（还有 08:00）\n");
    run = testing_support::runCli(f.dataDir(), f.settingsPath(),
                                  {"clock", "--json", "--at", "2025-02-09T09:21:00"});
    EXPECT_EQ(run.out, "{\"game\":22,\"next\":\"2025020903\",\"due\":"
                       "\"2025-02-09T09:30:00+08:00\",\"seconds_left\":540,"
                       "\"draws_left_today\":82,\"waiting\":\"2025020902\","
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
              "下期 2025020917 11:50 开奖（还有 1:45:00）\n");
}

} // namespace
