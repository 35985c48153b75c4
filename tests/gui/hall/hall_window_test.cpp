// The hall page in the real window: a draw another process stores for a game other than the
// window's shows in its row within about a second and is told as a notice naming the game; the
// game without a history says what to do; a click on a game switches the window to it.

#include "gui/window_fixture.h"

#include "gui/hall/hall_view.h"
#include "workspace/notices.h"

#include <QProcess>
#include <QTabBar>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

using testing_support::WindowFixture;

namespace {

void runProgram(WindowFixture& f, QStringList args) {
    args.prepend(QString::fromStdString(f.store.settingsPath()));
    args.prepend(QStringLiteral("--settings"));
    args.prepend(QString::fromStdString(f.store.dataDir()));
    args.prepend(QStringLiteral("--data-dir"));
    QProcess child;
    child.start(QString::fromUtf8(K11_EXECUTABLE), args);
    ASSERT_TRUE(child.waitForFinished(30000));
    ASSERT_EQ(child.exitCode(), 0) << child.readAllStandardError().toStdString();
}

TEST(HallWindow, FollowsDrawsStoredElsewhereAndSwitchesToAClickedGame) {
    WindowFixture f;
    f.store.type("2016090801", {{"01", "02", "03", "04", "05"}});
    runProgram(f, {"--game", "23", "add", "--period", "2016090801", "07", "08", "09", "10", "11"});
    runProgram(f, {"alerts", "--add", "streak:big:1>=2"});
    f.open();
    auto* hall = f.find<app::gui::HallView>("hallView");
    f.find<QTabBar>("pageTabs")->setCurrentIndex(4);
    auto& model = hall->model();
    ASSERT_EQ(model.rowCount(), 4);
    const auto cell = [&](int row, int column) {
        return model.data(model.index(row, column), Qt::DisplayRole).toString();
    };
    EXPECT_EQ(cell(0, app::gui::HallModel::Game), "江西11选5");
    EXPECT_EQ(cell(1, app::gui::HallModel::Newest), "16090801");
    EXPECT_EQ(cell(1, app::gui::HallModel::Numbers), "07 08 09 10 11");
    EXPECT_NE(cell(2, app::gui::HallModel::Newest).indexOf("还没有历史号码"), -1);

    runProgram(f, {"--game", "23", "add", "08", "04", "06", "02", "10"});
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return cell(1, app::gui::HallModel::Newest) == "16090802"; }, 3000));
    EXPECT_EQ(cell(1, app::gui::HallModel::Numbers), "08 04 06 02 10");
    EXPECT_TRUE(cell(1, app::gui::HallModel::Streaks).startsWith("第1位大小 大 连开2期（"))
        << cell(1, app::gui::HallModel::Streaks).toStdString();
    // Told as notices naming the game: the draw, and the run it made.
    bool draw = false, streak = false;
    for (const auto& notice : f.window->notices().all()) {
        draw |= notice.kind == app::NoticeKind::Draw &&
                notice.text == "广东11选5 第16090802期：08 04 06 02 10";
        streak |= notice.kind == app::NoticeKind::Alert &&
                  notice.text.rfind(
                      "长龙提醒 广东11选5 第1位大小：大 连开2期（自第2016090801期起）", 0) == 0;
    }
    EXPECT_TRUE(draw);
    EXPECT_TRUE(streak);

    // A click on 广东: the window shows its history on the search page.
    auto* table = f.find<QTableView>("hallTable");
    const QRect cellRect = table->visualRect(model.index(1, app::gui::HallModel::Game));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cellRect.center());
    EXPECT_EQ(f.workspace().settings().game, history::Game::Guangdong);
    EXPECT_EQ(f.workspace().rows().size(), 2u);
    EXPECT_EQ(f.find<QTabBar>("pageTabs")->currentIndex(), 0);
}

} // namespace
