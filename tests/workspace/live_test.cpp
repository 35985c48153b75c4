// The live program against a results site that reveals today's draws as time passes: the watch
// mode of the command line, the timing of the automatic update's tries under a clock the tests
// set, and a notice for each stored draw.

#include "cli/live_commands.h"
#include "site/results_site.h"
#include "support/core_application.h"
#include "support/test_progress.h"
#include "workspace/history_service.h"
#include "workspace/live_service.h"
#include "workspace/update_plan.h"
#include "workspace/update_service.h"
#include "workspace/workspace_fixture.h"

#include <QCoreApplication>
#include <QProcess>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

using testing_support::WorkspaceFixture;
using namespace std::chrono_literals;

namespace {

app::SystemTime at(const std::string& beijing) {
    return *app::parseBeijingMoment(beijing);
}

std::array<int, 5> numbersOf(int n) {
    const int a = n % 11;
    return {a + 1, (a + 1) % 11 + 1, (a + 2) % 11 + 1, (a + 3) % 11 + 1, (a + 4) % 11 + 1};
}

// Yesterday (2025-02-08) whole, 84 draws, and today's (2025-02-09) first `today` draws.
std::vector<site::SiteDraw> twoDays(int today) {
    std::vector<site::SiteDraw> draws;
    for (int n = 1; n <= 84; ++n) draws.push_back({25020800 + n, numbersOf(n)});
    for (int n = 1; n <= today; ++n) draws.push_back({25020900 + n, numbersOf(n + 3)});
    return draws;
}

std::string numbersText(const std::array<int, 5>& numbers) {
    std::string text;
    for (int n : numbers)
        text += (text.empty() ? "" : " ") + std::string(n < 10 ? "0" : "") + std::to_string(n);
    return text;
}

// A workspace on 2025-02-09 holding yesterday's draws, updating from the site.
class Live : public ::testing::Test {
  protected:
    Live() {
        testing_support::ensureCoreApplication();
        std::ostringstream lines;
        for (int n = 1; n <= 84; ++n)
            lines << (25020800 + n) << " " << numbersText(numbersOf(n)) << "\n";
        std::ofstream(f.dir.file("yesterday.txt")) << lines.str();
        EXPECT_TRUE(f.workspace->setSetting("IniSerchDay", "16").ok);
        testing_support::StopAt never(1 << 30);
        const auto imported =
            app::HistoryService(*f.workspace).importFile(f.dir.file("yesterday.txt"), never);
        EXPECT_TRUE(imported.outcome.ok) << imported.outcome.message;
        f.workspace->setToday(history::Date{std::chrono::year{2025} / 2 / 9});
    }
    void useSite(site::ResultsSite& site) {
        ASSERT_NE(site.listen(), 0);
        ASSERT_TRUE(f.workspace->setSetting("UpdateSite", site.baseUrl()).ok);
    }
    WorkspaceFixture f;
};

TEST(UpdatePlan, TriesAfterTheDueTimeThenEveryHalfMinuteThenGivesUp) {
    app::UpdatePlan plan;
    const history::DrawSchedule schedule{9 * 60 + 10, 10, 84}; // every 10 minutes from 09:10
    auto step = [&](const std::string& when, int newest) {
        return plan.step(
            at(when), app::readClock(at(when), history::Game::Jiangxi, schedule, newest), newest);
    };
    using Kind = app::UpdateStep::Kind;
    // Draw 61 is due at 19:10: nothing before 19:11.
    auto s = step("2025-02-09T19:10:30", 25020960);
    EXPECT_EQ(s.kind, Kind::Wait);
    EXPECT_EQ(s.at, at("2025-02-09T19:11:00"));
    s = step("2025-02-09T19:11:00", 25020960);
    ASSERT_EQ(s.kind, Kind::Run);
    EXPECT_EQ(s.period, 25020961);
    plan.attempted(at("2025-02-09T19:11:00"), 25020961);
    // Not listed yet: again 30 seconds later, and so on up to ten minutes after the first try.
    s = step("2025-02-09T19:11:10", 25020960);
    EXPECT_EQ(s.kind, Kind::Wait);
    EXPECT_EQ(s.at, at("2025-02-09T19:11:30"));
    int tries = 1;
    for (auto when = at("2025-02-09T19:11:30"); tries < 100; when += 30s) {
        const auto reading = app::readClock(when, history::Game::Jiangxi, schedule, 25020960);
        s = plan.step(when, reading, 25020960);
        if (s.kind != Kind::Run) break;
        plan.attempted(when, s.period);
        ++tries;
    }
    // 19:11:00 .. 19:21:00, though draw 62 came due at 19:20 meanwhile.
    EXPECT_EQ(tries, 21);
    ASSERT_EQ(s.kind, Kind::GiveUp);
    EXPECT_EQ(s.period, 25020961);
    // Draw 62 is due since 19:20: it is tried for at once, in a window of its own.
    EXPECT_EQ(s.at, at("2025-02-09T19:21:30"));
    s = step("2025-02-09T19:21:40", 25020960);
    ASSERT_EQ(s.kind, Kind::Run);
    EXPECT_EQ(s.period, 25020962);
    // Stored: the next draw's time is waited for.
    s = step("2025-02-09T19:25:00", 25020962);
    EXPECT_EQ(s.kind, Kind::Wait);
    EXPECT_EQ(s.at, at("2025-02-09T19:31:00"));
}

TEST(UpdatePlan, AProgramStartedLateTriesAtOnceAndGivesUpTenMinutesLater) {
    app::UpdatePlan plan;
    const history::DrawSchedule schedule{9 * 60 + 10, 10, 84}; // every 10 minutes from 09:10
    const auto when = at("2025-02-09T19:45:00");
    // Draw 64 due at 19:40, the history from yesterday: one try now, then the next draw.
    auto reading = app::readClock(when, history::Game::Jiangxi, schedule, 25020884);
    auto s = plan.step(when, reading, 25020884);
    ASSERT_EQ(s.kind, app::UpdateStep::Kind::Run);
    plan.attempted(when, s.period);
    EXPECT_EQ(plan.step(when + 20s, reading, 25020884).kind, app::UpdateStep::Kind::Wait);
    EXPECT_EQ(plan.step(when + 30s, reading, 25020884).kind, app::UpdateStep::Kind::Run);
    plan.attempted(when + 600s, s.period);
    // The day was caught up with meanwhile but draw 64 is still missing: given up after 10 min.
    const auto later = app::readClock(when + 630s, history::Game::Jiangxi, schedule, 25020963);
    s = plan.step(when + 630s, later, 25020963);
    EXPECT_EQ(s.kind, app::UpdateStep::Kind::GiveUp);
    // 19:55:30: draw 65 (19:50) is due and missing too: tried for at once.
    EXPECT_EQ(s.at, when + 630s);
}

TEST_F(Live, SiteRevealsTodaysDrawsOneByOne) {
    site::ResultsSite site(twoDays(3));
    site.revealGradually(0ms, 1);
    EXPECT_EQ(site.revealedDraws(), 1);
    EXPECT_NE(site.page(22, "2025-02-09").find("2025020901"), std::string::npos);
    EXPECT_EQ(site.page(22, "2025-02-09").find("2025020902"), std::string::npos);
    // Earlier days are whole.
    EXPECT_NE(site.page(22, "2025-02-08").find("2025020884"), std::string::npos);
    site.revealGradually(40ms, 1);
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(site.revealedDraws(), 3);
    EXPECT_NE(site.page(22, "2025-02-09").find("2025020903"), std::string::npos);
}

TEST_F(Live, ANoticeForEachStoredDrawAndNoneForOnesAlreadyStored) {
    site::ResultsSite site(twoDays(5));
    site.revealGradually(0ms, 2);
    useSite(site);
    app::LiveService live(*f.workspace);
    EXPECT_TRUE(live.takeNews().draws.empty()); // the first look only remembers
    app::QuietUpdate quiet;
    app::UpdateService(*f.workspace).update(quiet);
    auto news = live.takeNews();
    ASSERT_EQ(news.notices.size(), 2u);
    EXPECT_EQ(news.notices[0], "江西11选5 第2025020901期：05 06 07 08 09");
    EXPECT_EQ(news.notices[1], "江西11选5 第2025020902期：06 07 08 09 10");
    // Nothing new on the site: nothing to tell.
    app::UpdateService(*f.workspace).update(quiet);
    EXPECT_TRUE(live.takeNews().notices.empty());
    // A typed draw is told as well, and the update then stores the ones after it.
    ASSERT_TRUE(f.workspace->addDraw({"07", "08", "09", "10", "11"}).ok);
    news = live.takeNews();
    ASSERT_EQ(news.notices.size(), 1u);
    EXPECT_EQ(news.notices[0], "江西11选5 第2025020903期：07 08 09 10 11");
    site.revealGradually(0ms, 5);
    const auto result = app::UpdateService(*f.workspace).update(quiet);
    EXPECT_EQ(result.stored, 2u) << result.outcome.message;
    news = live.takeNews();
    ASSERT_EQ(news.draws.size(), 2u);
    EXPECT_EQ(news.draws[0].period, 25020904);
    EXPECT_EQ(news.draws[1].period, 25020905);
    // Another game's history is no news.
    ASSERT_TRUE(f.workspace->setGame(history::Game::Shanghai).ok);
    EXPECT_TRUE(live.takeNews().notices.empty());
}

// update --watch --poll 1 as its own process: each revealed draw printed once, in order, and a
// termination request ends it with status 0.
TEST_F(Live, WatchStoresEveryRevealedDrawOnceAndEndsOnSigterm) {
    site::ResultsSite site(twoDays(4));
    site.revealGradually(1200ms, 1);
    useSite(site);
    f.workspace.reset();
    QProcess watch;
    watch.start(QString::fromUtf8(K11_EXECUTABLE),
                {"--data-dir", QString::fromStdString(f.dataDir()), "--settings",
                 QString::fromStdString(f.settingsPath()), "update", "--watch", "--poll", "1",
                 "--today", "2025-02-09"});
    ASSERT_TRUE(watch.waitForStarted(5000));
    std::string out;
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (std::count(out.begin(), out.end(), '\n') < 4 &&
           std::chrono::steady_clock::now() < deadline) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        watch.waitForReadyRead(10);
        out += watch.readAllStandardOutput().toStdString();
    }
    // A while longer: nothing is printed twice.
    for (int i = 0; i < 150; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(10ms);
    }
    watch.terminate();
    while (watch.state() != QProcess::NotRunning) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        watch.waitForFinished(10);
    }
    out += watch.readAllStandardOutput().toStdString();
    EXPECT_EQ(watch.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(watch.exitCode(), 0) << watch.readAllStandardError().toStdString();
    EXPECT_EQ(out, "stored 2025020901 05 06 07 08 09\n"
                   "stored 2025020902 06 07 08 09 10\n"
                   "stored 2025020903 07 08 09 10 11\n"
                   "stored 2025020904 08 09 10 11 01\n");
    const auto& reread = f.reopen();
    ASSERT_EQ(reread.rows().size(), 88u);
    EXPECT_EQ(reread.rows().back().period, 25020904);
}

// Five draws revealed at once: the watch prints each draw followed by the alerts it set off, each
// naming its draw, though the number that crossed at the first draw is drawn again at the fifth.
TEST_F(Live, WatchTellsEachAlertOfABatchAfterTheDrawWhereItCrossed) {
    site::ResultsSite site(twoDays(5));
    site.revealGradually(0ms, 5);
    useSite(site);
    // Yesterday left 09 ten draws away from the first position, 10 nine, 11 eight, 01 seven, 02
    // six: each reaches 11 at one of today's five draws.
    ASSERT_TRUE(app::LiveService(*f.workspace).addRule("前一 任意 遗漏>=11").ok);
    f.workspace.reset();
    QProcess watch;
    watch.start(QString::fromUtf8(K11_EXECUTABLE),
                {"--data-dir", QString::fromStdString(f.dataDir()), "--settings",
                 QString::fromStdString(f.settingsPath()), "update", "--watch", "--poll", "1",
                 "--today", "2025-02-09"});
    ASSERT_TRUE(watch.waitForStarted(5000));
    std::string out;
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (std::count(out.begin(), out.end(), '\n') < 10 &&
           std::chrono::steady_clock::now() < deadline) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        watch.waitForReadyRead(10);
        out += watch.readAllStandardOutput().toStdString();
    }
    watch.terminate();
    while (watch.state() != QProcess::NotRunning) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        watch.waitForFinished(10);
    }
    out += watch.readAllStandardOutput().toStdString();
    EXPECT_EQ(watch.exitCode(), 0) << watch.readAllStandardError().toStdString();
    EXPECT_EQ(out, "stored 2025020901 05 06 07 08 09\n"
                   "alert q1 09 current 11 at 2025020901\n"
                   "stored 2025020902 06 07 08 09 10\n"
                   "alert q1 10 current 11 at 2025020902\n"
                   "stored 2025020903 07 08 09 10 11\n"
                   "alert q1 11 current 11 at 2025020903\n"
                   "stored 2025020904 08 09 10 11 01\n"
                   "alert q1 01 current 11 at 2025020904\n"
                   "stored 2025020905 09 10 11 01 02\n"
                   "alert q1 02 current 11 at 2025020905\n");
}

// A watch whose output cannot be written (standard output on a full device) stops at the first
// line it cannot print, says why and ends with status 1, instead of watching on unheard.
TEST_F(Live, WatchWhoseOutputCannotBeWrittenStopsWithStatusOne) {
    site::ResultsSite site(twoDays(2));
    site.revealGradually(0ms, 2);
    useSite(site);
    f.workspace.reset();
    QProcess watch;
    watch.setStandardOutputFile(QStringLiteral("/dev/full"));
    watch.start(QString::fromUtf8(K11_EXECUTABLE),
                {"--data-dir", QString::fromStdString(f.dataDir()), "--settings",
                 QString::fromStdString(f.settingsPath()), "update", "--watch", "--poll", "1",
                 "--today", "2025-02-09"});
    ASSERT_TRUE(watch.waitForStarted(5000));
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (watch.state() != QProcess::NotRunning && std::chrono::steady_clock::now() < deadline) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        watch.waitForFinished(10);
    }
    const bool stopped = watch.state() == QProcess::NotRunning;
    if (!stopped) {
        watch.terminate();
        watch.waitForFinished(5000);
    }
    EXPECT_TRUE(stopped);
    EXPECT_EQ(watch.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(watch.exitCode(), 1);
    const std::string told = watch.readAllStandardError().toStdString();
    EXPECT_NE(told.find("磁盘空间不足"), std::string::npos) << told;
    // What it stored stays stored.
    EXPECT_EQ(f.reopen().rows().back().period, 25020902);
}

} // namespace
