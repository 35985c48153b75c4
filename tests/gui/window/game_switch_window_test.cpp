// Switching the game in the window: the other game's history shows at once, the results of the
// last search are marked as the first game's, and a file that records another game is used only
// when the user says so.

#include "gui/window_fixture.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

#include <filesystem>

using testing_support::WindowFixture;

TEST(GameSwitchWindow, TheOtherGamesHistoryShowsAtOnceAndTheResultsAreMarkedAsTheFirstGames) {
    WindowFixture f;
    testing_support::openWithFiveDraws(f);
    f.find<QRadioButton>("Option1_0")->click(); // fixed position
    f.find<QCheckBox>("Check1_1")->setChecked(true);
    QTest::mouseClick(f.find<QPushButton>("Command1"), Qt::LeftButton);
    auto* hint = f.find<QLabel>("staleResultsHint");
    auto* grid = f.find<QTableView>("MSFlexGrid1");
    auto* next = f.find<QLineEdit>("Text1");
    ASSERT_TRUE(hint->isHidden());

    f.find<QAction>("mnu11S5_1")->trigger();
    EXPECT_EQ(grid->model()->rowCount(), 0);
    EXPECT_TRUE(next->text().isEmpty());
    EXPECT_TRUE(f.find<QLineEdit>("Text3_1")->text().isEmpty());
    EXPECT_TRUE(f.window->windowTitle().contains(QStringLiteral("广东11选5")));
    EXPECT_TRUE(hint->isVisible());
    EXPECT_EQ(hint->text(), QStringLiteral("以下检索结果属于江西11选5的历史号码，请重新检索"));

    // A draw typed now is 广东's.
    next->setFocus();
    QTest::keyClicks(next, "2016090801");
    for (int i = 0; i < 5; ++i)
        QTest::keyClicks(f.find<QLineEdit>(QStringLiteral("MaskEdBox1_%1").arg(i + 1)),
                         QStringLiteral("%1").arg(i + 7, 2, 10, QLatin1Char('0')));
    ASSERT_EQ(grid->model()->rowCount(), 1);
    EXPECT_EQ(f.find<QLineEdit>("Text3_1")->text(), "2016090801");
    EXPECT_EQ(f.storedSetting("GsZl"), "23");

    f.find<QAction>("mnu11S5_0")->trigger();
    EXPECT_EQ(grid->model()->rowCount(), 5);
    EXPECT_EQ(next->text(), "2016090806");
    EXPECT_EQ(f.find<QLineEdit>("Text3_1")->text(), "2016090805");
    EXPECT_EQ(f.find<QLineEdit>("Text2_1")->text(), "3"); // the targets from the newest draw
    EXPECT_TRUE(hint->isVisible());
    QTest::mouseClick(f.find<QPushButton>("Command1"), Qt::LeftButton);
    EXPECT_TRUE(hint->isHidden());
}

TEST(GameSwitchWindow, AFileThatRecordsAnotherGameIsUsedOnlyWhenTheUserSaysSo) {
    WindowFixture f;
    f.store.type("2016090801", {{"03", "01", "02", "04", "06"}, {"07", "01", "02", "04", "06"}});
    f.store.workspace.reset(); // the file whole by itself
    const std::string folder = f.store.dataDir();
    std::filesystem::copy_file(folder + "/kelvora11S5.db", folder + "/kelvora11S5-23.db");
    f.store.reopen();
    f.open();
    auto* grid = f.find<QTableView>("MSFlexGrid1");

    f.prompter.confirmations = {false};
    f.find<QAction>("mnu11S5_1")->trigger();
    const auto asked = f.prompter.texts(QStringLiteral("confirm"));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].contains(QStringLiteral("记录的是江西11选5"))) << asked[0].toStdString();
    EXPECT_FALSE(f.workspace().databaseOpen());
    EXPECT_EQ(grid->model()->rowCount(), 0);
    EXPECT_TRUE(f.find<QLabel>("databaseStatus")->isVisible());

    f.prompter.confirmations = {true};
    f.find<QAction>("mnu11S5_1")->trigger();
    EXPECT_TRUE(f.workspace().databaseOpen());
    EXPECT_EQ(grid->model()->rowCount(), 2);
    EXPECT_FALSE(f.find<QLabel>("databaseStatus")->isVisible());
}

TEST(GameSwitchWindow, TwoFilesOfTheGameAreToldAtStartAndWhenItIsChosen) {
    WindowFixture f;
    f.store.type("2016090801", {{"03", "01", "02", "04", "06"}});
    ASSERT_TRUE(f.workspace().setGame(history::Game::Guangdong).ok);
    f.store.type("2016090801", {{"07", "01", "02", "04", "06"}});
    ASSERT_TRUE(f.workspace().setGame(history::Game::Jiangxi).ok);
    f.store.workspace.reset();
    // 江西's file copied over as 广东's own as well: both record 江西.
    const std::string folder = f.store.dataDir();
    std::filesystem::copy_file(folder + "/kelvora11S5.db", folder + "/kelvora11S5-22.db");
    f.store.reopen();
    f.open();
    QApplication::processEvents();
    auto warnings = f.prompter.warnings();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_TRUE(warnings[0].contains(QStringLiteral("江西11选5有两个历史数据库文件")) &&
                warnings[0].contains(QStringLiteral("kelvora11S5.db（")) &&
                warnings[0].contains(QStringLiteral("kelvora11S5-22.db（")))
        << warnings[0].toStdString();
    EXPECT_FALSE(f.workspace().databaseOpen());
    EXPECT_TRUE(f.find<QLabel>("databaseStatus")->isVisible());
    EXPECT_EQ(f.find<QTableView>("MSFlexGrid1")->model()->rowCount(), 0);

    // Another game opens; choosing 江西 again tells it again and stores nothing.
    f.find<QAction>("mnu11S5_1")->trigger();
    EXPECT_TRUE(f.workspace().databaseOpen());
    EXPECT_EQ(f.find<QTableView>("MSFlexGrid1")->model()->rowCount(), 1);
    EXPECT_FALSE(f.find<QLabel>("databaseStatus")->isVisible());
    f.find<QAction>("mnu11S5_0")->trigger();
    warnings = f.prompter.warnings();
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_TRUE(warnings[1].contains(QStringLiteral("江西11选5有两个历史数据库文件")));
    EXPECT_EQ(f.storedSetting("GsZl"), "23");

    // A start on 广东 tells 江西's two files all the same.
    f.window.reset();
    f.prompter.shown.clear();
    f.store.reopen();
    f.open();
    QApplication::processEvents();
    EXPECT_TRUE(f.workspace().databaseOpen());
    warnings = f.prompter.warnings();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_TRUE(warnings[0].contains(QStringLiteral("江西11选5有两个历史数据库文件")));
}
