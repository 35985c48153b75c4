// The live window with 自动更新 on against a site that reveals the day's draws, under a clock the
// test sets: the countdown, each revealed draw in the history, the trend and the search results
// without a click, a typed draw during an automatic update, and a give-up told without a box.

#include "gui/window_fixture.h"

#include "cli/live_commands.h"
#include "gui/live/live_view.h"
#include "site/results_site.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

using testing_support::WindowFixture;

namespace {
// 江西 drawing every 10 minutes from 09:10, 84 a day: the times these tests are written for.
const std::string kTenMinutes = "[IniSetting]\nGameSchedules=\"22=09:10/10/84\"\n";
} // namespace
using namespace std::chrono_literals;

namespace {

app::SystemTime at(const std::string& beijing) {
    return *app::parseBeijingMoment(beijing);
}

// 2016-09-07 whole (84 draws) and 2016-09-08 (the fixture's today), five draws.
std::vector<site::SiteDraw> days() {
    std::vector<site::SiteDraw> draws;
    for (int n = 1; n <= 84; ++n)
        draws.push_back(
            {16090700 + n,
             {n % 11 + 1, (n + 1) % 11 + 1, (n + 2) % 11 + 1, (n + 3) % 11 + 1, (n + 4) % 11 + 1}});
    for (int n = 1; n <= 5; ++n) draws.push_back({16090800 + n, {n, n + 1, n + 2, n + 3, n + 4}});
    return draws;
}

class LiveWindow : public ::testing::Test {
  protected:
    LiveWindow() : site(days()) {
        site.revealGradually(0ms, 1);
        EXPECT_NE(site.listen(), 0);
        f.store.type("2016090801", {{"01", "02", "03", "04", "05"}});
        EXPECT_TRUE(f.workspace().setSetting("UpdateSite", site.baseUrl()).ok);
        EXPECT_TRUE(f.workspace().setSetting("AutoUpdate", "True").ok);
        f.open();
        live = f.window->findChild<app::gui::LiveView*>(QStringLiteral("liveView"));
        live->setClock([this] { return now; });
    }
    // One tick of the clock, then the background update waited for and followed.
    void tickAndWait() {
        live->tick();
        EXPECT_TRUE(QTest::qWaitFor([this] { return !live->updating(); }, 10000));
        QTest::qWait(50);
    }
    QString clockText() { return f.find<QLabel>("drawClock")->text(); }

    WindowFixture f{kTenMinutes}; // first: the site needs the application's event loop
    site::ResultsSite site;
    app::gui::LiveView* live = nullptr;
    app::SystemTime now = at("2016-09-08T09:15:00");
};

TEST_F(LiveWindow, RevealedDrawsAppearWithoutAClickAndTheSearchRunsAgain) {
    EXPECT_EQ(clockText(), "下期 2016090802 09:20 开奖（还有 05:00）");
    // The countdown follows the clock each second.
    now += 1s;
    QTest::qWait(1100);
    EXPECT_EQ(clockText(), "下期 2016090802 09:20 开奖（还有 04:59）");
    QTest::mouseClick(f.find<QPushButton>("Command1"), Qt::LeftButton);
    // The trend on show.
    f.find<QTabBar>("pageTabs")->setCurrentIndex(1);
    QTest::qWait(50);
    const int trendRows = f.find<QTableView>("trendView")->model()->rowCount();

    // Draw 02 due at 09:20, not on the site yet at 09:21: waited for, nothing stored.
    now = at("2016-09-08T09:21:00");
    tickAndWait();
    EXPECT_EQ(f.workspace().rows().size(), 1u);
    EXPECT_EQ(clockText(), "第02期已过开奖时间 01:00，等待号码");
    // Revealed: the retry 30 seconds later stores it, and every view follows.
    site.revealGradually(0ms, 2);
    now += 30s;
    tickAndWait();
    ASSERT_EQ(f.workspace().rows().size(), 2u);
    EXPECT_EQ(f.find<QTableView>("MSFlexGrid1")->model()->rowCount(), 2);
    EXPECT_EQ(f.find<QTableView>("trendView")->model()->rowCount(), trendRows + 1);
    EXPECT_EQ(f.find<QLineEdit>("Text1")->text(), "2016090803");
    EXPECT_EQ(f.window->statusBar()->currentMessage(), "江西11选5 第2016090802期：02 03 04 05 06");
    EXPECT_TRUE(f.find<QLabel>("staleResultsHint")->isHidden());
    live->tick();
    EXPECT_EQ(clockText(), "下期 2016090803 09:30 开奖（还有 08:30）");
    // Nothing new: no second notice, nothing asked.
    now += 30s;
    tickAndWait();
    EXPECT_EQ(f.workspace().rows().size(), 2u);
    EXPECT_TRUE(f.prompter.shown.empty());
    // The log has the tries and the notice, also in its file.
    ASSERT_FALSE(live->log().lines().empty());
    EXPECT_NE(QString::fromStdString(live->log().lines().back()).indexOf("第2016090802期"), -1);
}

TEST_F(LiveWindow, ADrawTypedDuringAnAutomaticUpdateIsStoredAndTheUpdateStoresTheNextOne) {
    site.revealGradually(0ms, 3);
    now = at("2016-09-08T09:31:00");
    // The pages come slowly: the update is still fetching while the draw is typed.
    site::PageStyle slow;
    slow.delay = 700ms;
    site::ResultsSite slowSite(days(), slow);
    slowSite.revealGradually(0ms, 3);
    ASSERT_NE(slowSite.listen(), 0);
    ASSERT_TRUE(f.workspace().setSetting("UpdateSite", slowSite.baseUrl()).ok);
    live->tick();
    ASSERT_TRUE(live->updating());
    // 02 typed meanwhile, as the site has it.
    const char* typed[] = {"02", "03", "04", "05", "06"};
    for (int i = 0; i < 5; ++i)
        QTest::keyClicks(f.find<QLineEdit>(QStringLiteral("MaskEdBox1_%1").arg(i + 1)), typed[i]);
    EXPECT_EQ(f.workspace().rows().size(), 2u);
    EXPECT_TRUE(QTest::qWaitFor([this] { return !live->updating(); }, 15000));
    QTest::qWait(50);
    ASSERT_EQ(f.workspace().rows().size(), 3u);
    EXPECT_EQ(f.workspace().rows().back().period, 16090803);
    EXPECT_TRUE(f.prompter.warnings().empty());
}

TEST_F(LiveWindow, ADrawNotHadInTenMinutesIsGivenUpInTheStatusBar) {
    now = at("2016-09-08T09:21:00");
    for (int i = 0; i < 30; ++i) {
        tickAndWait();
        if (f.window->statusBar()->currentMessage().indexOf("10分钟内没有取到") >= 0) break;
        now += 30s;
    }
    EXPECT_EQ(f.window->statusBar()->currentMessage(),
              "第2016090802期的开奖号码10分钟内没有取到，下次在 09:31 再试");
    EXPECT_TRUE(f.prompter.shown.empty());
    EXPECT_EQ(f.workspace().rows().size(), 1u);
}

TEST_F(LiveWindow, TurningAutomaticUpdateOffStopsTheTries) {
    auto* item = f.find<QAction>("mnuAutoUpdate");
    EXPECT_TRUE(item->isChecked());
    item->trigger();
    EXPECT_EQ(f.storedSetting("AutoUpdate"), "False");
    const int before = site.requests();
    now = at("2016-09-08T09:21:00");
    tickAndWait();
    EXPECT_EQ(site.requests(), before);
}

} // namespace
