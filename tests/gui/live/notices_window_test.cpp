// The window's notices with 自动更新 on against a site that reveals three draws at once, under a
// clock the test sets: every draw and every alert of the batch in the list, each alert naming its
// draw, one grouped desktop notification, the status bar showing each line for its time and the
// unread count on its button; and the clock and the entry line agreeing on the next period.

#include "gui/window_fixture.h"

#include "cli/live_commands.h"
#include "gui/live/alerts_dialog.h"
#include "gui/live/live_view.h"
#include "gui/live/notice_view.h"
#include "site/results_site.h"
#include "workspace/notices.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStatusBar>
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

std::array<int, 5> run(int first) {
    return {first, first % 11 + 1, (first + 1) % 11 + 1, (first + 2) % 11 + 1,
            (first + 3) % 11 + 1};
}

std::array<std::string, 5> boxes(const std::array<int, 5>& numbers) {
    std::array<std::string, 5> typed;
    for (size_t i = 0; i < 5; ++i)
        typed[i] = (numbers[i] < 10 ? "0" : "") + std::to_string(numbers[i]);
    return typed;
}

// 2016-09-07 whole, each draw led by n % 11 + 1 (so 09 last led ten draws before the day's end,
// 10 nine and 11 eight), and today's (2016-09-08) draws led by 01, 02, 03.
std::vector<site::SiteDraw> days() {
    std::vector<site::SiteDraw> draws;
    for (int n = 1; n <= 84; ++n) draws.push_back({16090700 + n, run(n % 11 + 1)});
    for (int n = 1; n <= 3; ++n) draws.push_back({16090800 + n, run(n)});
    return draws;
}

TEST(NoticesWindow, ABatchOfDrawsAndAlertsIsListedGroupedAndShownInTurn) {
    WindowFixture f{kTenMinutes};
    site::ResultsSite site(days());
    site.revealGradually(0ms, 3);
    ASSERT_NE(site.listen(), 0);
    std::vector<std::array<std::string, 5>> yesterday;
    for (int n = 1; n <= 84; ++n) yesterday.push_back(boxes(run(n % 11 + 1)));
    f.store.type("2016090701", yesterday);
    ASSERT_TRUE(f.workspace().setSetting("UpdateSite", site.baseUrl()).ok);
    ASSERT_TRUE(f.workspace().setSetting("AutoUpdate", "True").ok);
    ASSERT_TRUE(f.workspace().setSetting("AlertRules", "q1 any current>=11").ok);
    f.open();
    auto* live = f.window->findChild<app::gui::LiveView*>(QStringLiteral("liveView"));
    live->setClock([] { return at("2016-09-08T09:41:00"); });
    std::vector<std::pair<QString, QString>> desktop;
    live->noticeView().setDesktopSink([&](const QString& title, const QString& body) {
        desktop.emplace_back(title, body);
        return true;
    });
    live->noticeView().setMinimumShowTime(1000);
    auto* button = f.find<app::gui::NoticeButton>("noticeButton");
    EXPECT_EQ(button->text(), "通知");

    live->tick();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !live->updating(); }, 10000));
    QTest::qWait(50);
    ASSERT_EQ(f.workspace().rows().size(), 87u);
    // Each draw, then the alert it set off: 09 reached 11 at the first draw though the first
    // draw is where 01 comes back, 10 at the second, 11 at the third.
    std::vector<std::string> listed;
    for (const auto& notice : f.window->notices().all()) listed.push_back(notice.text);
    EXPECT_EQ(listed, (std::vector<std::string>{
                          "江西11选5 第2016090801期：01 02 03 04 05",
                          "遗漏提醒 第2016090801期：前一 任意 遗漏≥11，09 遗漏11期",
                          "江西11选5 第2016090802期：02 03 04 05 06",
                          "遗漏提醒 第2016090802期：前一 任意 遗漏≥11，10 遗漏11期",
                          "江西11选5 第2016090803期：03 04 05 06 07",
                          "遗漏提醒 第2016090803期：前一 任意 遗漏≥11，11 遗漏11期"}));
    EXPECT_EQ(button->text(), "通知 6");
    // One notification for the six.
    ASSERT_EQ(desktop.size(), 1u);
    EXPECT_EQ(desktop[0].first, "3期新号码，3条提醒");
    EXPECT_TRUE(desktop[0].second.endsWith("11 遗漏11期")) << desktop[0].second.toStdString();
    // The status bar: what came before the newest as one line, the newest after it.
    EXPECT_EQ(f.window->statusBar()->currentMessage(),
              "新到3期新号码，2条提醒（点状态栏的“通知”查看）");
    QTest::qWait(200);
    EXPECT_EQ(f.window->statusBar()->currentMessage(),
              "新到3期新号码，2条提醒（点状态栏的“通知”查看）");
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return f.window->statusBar()->currentMessage() ==
                   "遗漏提醒 第2016090803期：前一 任意 遗漏≥11，11 遗漏11期";
        },
        3000));
    // The log has them too.
    const auto& log = live->log().lines();
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::string& line) {
        return line.find("遗漏提醒 第2016090801期") != std::string::npos;
    }));

    // The list: newest first, the unread in bold; opening it reads them.
    QTest::mouseClick(button, Qt::LeftButton);
    auto* list = f.find<QListWidget>("noticeList");
    ASSERT_EQ(list->count(), 6);
    EXPECT_TRUE(list->item(0)->text().endsWith("11 遗漏11期"))
        << list->item(0)->text().toStdString();
    EXPECT_TRUE(list->item(0)->font().bold());
    EXPECT_EQ(button->text(), "通知");
    EXPECT_EQ(f.window->notices().unread(), 0u);
    // Opened again: all read.
    f.find<QDialog>("noticeListDialog")->close();
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_EQ(list->count(), 6);
    EXPECT_FALSE(list->item(0)->font().bold());

    // The alerts told, with their draws, in the alerts dialog.
    app::gui::AlertsDialog dialog(live->service(), &f.window->notices());
    auto* fired = dialog.findChild<QListWidget*>(QStringLiteral("alertFiredList"));
    ASSERT_NE(fired, nullptr);
    ASSERT_EQ(fired->count(), 3);
    EXPECT_TRUE(fired->item(2)->text().contains("第2016090801期"))
        << fired->item(2)->text().toStdString();
}

// Draws typed ahead of the schedule: the status bar's clock counts down to the draw after the
// newest stored, the one the entry line offers.
TEST(NoticesWindow, TheClockAndTheEntryLineAgree) {
    WindowFixture f{kTenMinutes};
    std::vector<std::array<std::string, 5>> today;
    for (int n = 1; n <= 16; ++n) today.push_back(boxes(run(n % 11 + 1)));
    f.store.type("2016090801", today);
    f.open();
    auto* live = f.window->findChild<app::gui::LiveView*>(QStringLiteral("liveView"));
    live->setClock([] { return at("2016-09-08T10:05:00"); });
    EXPECT_EQ(f.find<QLabel>("drawClock")->text(), "下期 2016090817 11:50 开奖（还有 1:45:00）");
    EXPECT_EQ(f.find<QLineEdit>("Text1")->text(), "2016090817");
}

} // namespace
