// The window follows what another process does to the same data folder: draws stored or a
// history imported by a command line show within a second, and settings written meanwhile are
// read again when the window is activated.

#include "gui/window_fixture.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include "history/period.h"

using testing_support::WindowFixture;

namespace {

int gridRows(WindowFixture& f) {
    return f.find<QTableView>("MSFlexGrid1")->model()->rowCount();
}

// Another process on the same folder: its own workspace, its own connection.
std::unique_ptr<app::Workspace> otherProcess(WindowFixture& f) {
    return std::make_unique<app::Workspace>(f.store.options());
}

} // namespace

// The window polls every 500 ms; the waits are long only so that a loaded machine cannot fail them.
TEST(OutsideChanges, DrawsStoredElsewhereShowWithinASecond) {
    // Without running the last search again after a new draw: its results are greyed.
    WindowFixture f("[IniSetting]\nAutoSearch=False\n");
    f.open();
    EXPECT_TRUE(f.find<QLabel>("emptyHistoryHint")->isVisible());

    auto other = otherProcess(f);
    ASSERT_TRUE(other->addDraw({"01", "02", "03", "04", "05"}, "2016090884").ok);
    ASSERT_TRUE(other->addDraw({"06", "07", "08", "09", "10"}).ok);
    EXPECT_TRUE(QTest::qWaitFor([&] { return gridRows(f) == 2; }, 10000));
    EXPECT_FALSE(f.find<QLabel>("emptyHistoryHint")->isVisible());
    EXPECT_EQ(f.find<QLineEdit>("Text1")->text(), "2016090902");
    EXPECT_TRUE(f.find<QLineEdit>("Text1")->isReadOnly());
    EXPECT_EQ(f.find<QLineEdit>("Text2_1")->text(), "6");
    EXPECT_EQ(f.find<QLineEdit>("Text3_1")->text(), "2016090901");

    // A search shows its result; a change elsewhere marks it as belonging to the history before.
    f.find<QPushButton>("Command1")->click();
    EXPECT_FALSE(f.find<QLabel>("staleResultsHint")->isVisible());
    // The search's state is stored in the background; a draw stored elsewhere before that ends
    // would rightly make it say that the state could not be stored.
    EXPECT_EQ(f.workspace().waitForWrites(), "");
    ASSERT_TRUE(other->addDraw({"11", "01", "02", "03", "04"}).ok);
    EXPECT_TRUE(QTest::qWaitFor([&] { return gridRows(f) == 3; }, 10000));
    EXPECT_TRUE(f.find<QLabel>("staleResultsHint")->isVisible());
    // The window's own typing goes on from the newest draw.
    EXPECT_EQ(f.workspace().nextPeriodText(), "2016090903");
    EXPECT_TRUE(f.prompter.warnings().empty());
}

TEST(OutsideChanges, SettingsWrittenElsewhereAreReadOnActivation) {
    WindowFixture f;
    f.store.type("2016090801", {{"01", "02", "03", "04", "05"}});
    f.open();
    auto other = otherProcess(f);
    ASSERT_TRUE(other->setSetting("UpdateSite", "http://127.0.0.1:9").ok);
    ASSERT_TRUE(other->setSetting("intXianshiLei", "3").ok);
    QEvent activated(QEvent::ActivationChange);
    QApplication::sendEvent(f.window.get(), &activated);
    EXPECT_EQ(f.workspace().settings().updateSite, "http://127.0.0.1:9");
    EXPECT_TRUE(f.find<QRadioButton>("Option4_3")->isChecked());
}

TEST(OutsideChanges, ReadingCommandsElsewhereLeaveTheResultsAsTheyAre) {
    WindowFixture f;
    testing_support::openWithFiveDraws(f);
    f.find<QPushButton>("Command1")->click();
    ASSERT_EQ(f.workspace().waitForWrites(), "");
    const int rows = gridRows(f);
    for (const QStringList& command :
         {QStringList{"history"}, QStringList{"backtest", "--steps", "2"},
          QStringList{"export-sheet", "hits"}, QStringList{"plays", "--play", "r5"}}) {
        QProcess child;
        child.start(QString::fromUtf8(K11_EXECUTABLE),
                    QStringList{"--data-dir", QString::fromStdString(f.store.dataDir()),
                                "--settings", QString::fromStdString(f.store.settingsPath())} +
                        command);
        ASSERT_TRUE(child.waitForFinished(30000));
        EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardError().toStdString();
    }
    // Longer than the window's look at the file takes.
    QTest::qWait(1500);
    EXPECT_TRUE(f.find<QLabel>("staleResultsHint")->isHidden());
    EXPECT_FALSE(f.find<QLabel>("searchResultNote")->text().contains(QStringLiteral("已更改")));
    EXPECT_EQ(gridRows(f), rows);
    EXPECT_TRUE(f.prompter.warnings().empty());
}

TEST(OutsideChanges, AGameChosenElsewhereBringsItsHistoryAndTypedDrawsGoToIt) {
    WindowFixture f;
    testing_support::openWithFiveDraws(f);
    QTest::mouseClick(f.find<QPushButton>("Command1"), Qt::LeftButton);
    EXPECT_EQ(f.workspace().waitForWrites(), "");
    auto* grid = f.find<QTableView>("MSFlexGrid1");
    auto* next = f.find<QLineEdit>("Text1");
    ASSERT_EQ(gridRows(f), 5);

    // `set GsZl 23` run by another process while the window is open, then the window activated.
    {
        auto other = otherProcess(f);
        ASSERT_TRUE(other->setSetting("GsZl", "23").ok);
    }
    QEvent activated(QEvent::ActivationChange);
    QApplication::sendEvent(f.window.get(), &activated);
    EXPECT_TRUE(f.window->windowTitle().contains(QStringLiteral("广东11选5")));
    EXPECT_EQ(f.workspace().databasePath(), f.store.dataDir() + "/kelvora11S5-23.db");
    EXPECT_EQ(grid->model()->rowCount(), 0);
    EXPECT_TRUE(next->text().isEmpty());
    EXPECT_FALSE(next->isReadOnly());
    EXPECT_EQ(f.find<QLabel>("staleResultsHint")->text(),
              QStringLiteral("以下检索结果属于江西11选5的历史号码，请重新检索"));

    // A draw typed now is 广东's; 江西's history keeps its five.
    next->setFocus();
    QTest::keyClicks(next, "2016090801");
    for (int i = 0; i < 5; ++i)
        QTest::keyClicks(f.find<QLineEdit>(QStringLiteral("MaskEdBox1_%1").arg(i + 1)),
                         QStringLiteral("%1").arg(i + 7, 2, 10, QLatin1Char('0')));
    ASSERT_EQ(gridRows(f), 1);
    EXPECT_EQ(grid->model()->index(0, 0).data().toString(), "16090801");
    auto options = f.store.options();
    options.game = history::Game::Jiangxi;
    EXPECT_EQ(app::Workspace(options).rows().size(), 5u);
    options.game = history::Game::Guangdong;
    EXPECT_EQ(app::Workspace(options).rows().size(), 1u);
    EXPECT_TRUE(f.prompter.warnings().empty());
}
