// The automatic update of two games at once against two results sites of our own, one of them
// failing (it answers far too late): the working game's draws are stored while the other's update
// still waits on its site, and the failing one ends as failed with the reason, nothing stored.

#include "cli/cli_run.h"
#include "workspace/games_update.h"
#include "workspace/online_update_fixture.h"

#include <QCoreApplication>
#include <QProcess>

#include <csignal>

using testing_support::drawsOfDays;

namespace {

TEST(GamesUpdate, AFailingSiteDelaysNoOtherGame) {
    testing_support::ensureCoreApplication();
    testing_support::WorkspaceFixture f;
    f.type("2016090801", {{"01", "02", "03", "04", "05"}});
    ASSERT_EQ(testing_support::runCli(
                  f.dataDir(), f.settingsPath(),
                  {"--game", "23", "add", "--period", "2016090801", "01", "02", "03", "04", "05"})
                  .status,
              0);
    site::ResultsSite working(drawsOfDays(160908, 1, 6));
    site::ResultsSite failing(drawsOfDays(160908, 1, 6),
                              site::PageStyle{.delay = std::chrono::seconds(30)});
    ASSERT_NE(working.listen(), 0);
    ASSERT_NE(failing.listen(), 0);

    auto options = f.options();
    options.pageTimeout = std::chrono::milliseconds(1500);
    options.updateTimeout = std::chrono::milliseconds(2500);
    f.workspace.reset();
    app::Workspace workspace(options);
    // 10:01:30 in Beijing: draw 06 was due at 10:00, the first try comes a minute after.
    const auto now = [] {
        using namespace std::chrono;
        return app::beijingMoment(year{2016} / 9 / 8, 10 * 60 + 1) + seconds(30);
    };
    app::GamesUpdate updates(workspace, now);
    updates.setToday([] { return history::Date(std::chrono::year{2016} / 9 / 8); });
    updates.setSiteOf([&](history::Game game) {
        return game == history::Game::Guangdong ? failing.baseUrl() : working.baseUrl();
    });

    auto events = updates.tick();
    std::vector<int> started;
    for (const auto& e : events)
        if (e.kind == app::GameUpdateEvent::Kind::Started) started.push_back(int(e.game));
    EXPECT_EQ(started, (std::vector<int>{22, 23}));
    EXPECT_EQ(updates.state(history::Game::Guangdong).kind, app::HallUpdateState::Kind::Fetching);

    // Both sites answer from this thread's event loop.
    std::map<int, app::GameUpdateEvent> finished;
    bool guangdongRunningWhenJiangxiDone = false;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (finished.size() < 2 && std::chrono::steady_clock::now() < until) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        for (auto& e : updates.tick()) {
            if (e.kind != app::GameUpdateEvent::Kind::Finished) continue;
            if (e.game == history::Game::Jiangxi)
                guangdongRunningWhenJiangxiDone = updates.running(history::Game::Guangdong);
            finished.emplace(int(e.game), std::move(e));
        }
    }
    ASSERT_EQ(finished.size(), 2u);
    EXPECT_TRUE(finished.at(22).outcome.complete) << finished.at(22).outcome.message;
    EXPECT_EQ(finished.at(22).outcome.stored, 5u);
    EXPECT_TRUE(guangdongRunningWhenJiangxiDone);
    EXPECT_FALSE(finished.at(23).outcome.complete);
    EXPECT_EQ(updates.state(history::Game::Jiangxi).kind, app::HallUpdateState::Kind::Waiting);
    const auto failed = updates.state(history::Game::Guangdong);
    EXPECT_EQ(failed.kind, app::HallUpdateState::Kind::Failed);
    EXPECT_FALSE(failed.why.empty());

    // What each stored, read as the hall reads it.
    app::HallService hall(workspace, now);
    EXPECT_EQ(hall.newestStored(history::Game::Jiangxi), 16090806);
    EXPECT_EQ(hall.newestStored(history::Game::Guangdong), 16090801);
}

TEST(GamesUpdate, TheWatchOfEveryGamePrintsEachGamesDrawsWithItsCode) {
    testing_support::ensureCoreApplication();
    testing_support::WorkspaceFixture f;
    f.type("2016090801", {{"01", "02", "03", "04", "05"}});
    ASSERT_EQ(testing_support::runCli(
                  f.dataDir(), f.settingsPath(),
                  {"--game", "23", "add", "--period", "2016090803", "01", "02", "03", "04", "05"})
                  .status,
              0);
    f.workspace.reset();
    site::ResultsSite site(drawsOfDays(160908, 1, 4));
    ASSERT_NE(site.listen(), 0);
    const QStringList common = {"--data-dir", QString::fromStdString(f.dataDir()), "--settings",
                                QString::fromStdString(f.settingsPath())};
    // --all is for the watch only, and follows each game's schedule rather than a poll.
    for (const QStringList& bad : {QStringList{"update", "--all"},
                                   QStringList{"update", "--watch", "--all", "--poll", "5"}}) {
        QProcess refused;
        refused.start(QString::fromUtf8(K11_EXECUTABLE), common + bad);
        ASSERT_TRUE(refused.waitForFinished(20000));
        EXPECT_EQ(refused.exitCode(), 2) << bad.join(' ').toStdString();
    }
    QProcess watch;
    watch.start(QString::fromUtf8(K11_EXECUTABLE),
                common + QStringList{"update", "--watch", "--all", "--site",
                                     QString::fromStdString(site.baseUrl()), "--today",
                                     "2016-09-08"});
    ASSERT_TRUE(watch.waitForStarted(5000));
    std::string out;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < until &&
           (out.find("stored 22 2016090804") == std::string::npos ||
            out.find("stored 23 2016090804") == std::string::npos)) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        out += watch.readAllStandardOutput().toStdString();
    }
    ::kill(static_cast<pid_t>(watch.processId()), SIGTERM);
    ASSERT_TRUE(watch.waitForFinished(10000));
    out += watch.readAllStandardOutput().toStdString();
    EXPECT_EQ(watch.exitCode(), 0) << watch.readAllStandardError().toStdString();
    // 江西 from its draw 01 on; 广东 after its draw 03.
    EXPECT_NE(out.find("stored 22 2016090802 "), std::string::npos) << out;
    EXPECT_NE(out.find("stored 22 2016090804 "), std::string::npos) << out;
    EXPECT_EQ(out.find("stored 23 2016090802 "), std::string::npos) << out;
    EXPECT_NE(out.find("stored 23 2016090804 "), std::string::npos) << out;
}

} // namespace
