// A history holding a row that cannot be a draw, a period stored twice or a draw stored out of
// order, in the window: the user is told at start, the searches refuse naming it, and the history
// menu's repair removes or moves it.

#include "gui/window_fixture.h"

#include "platform/database.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <filesystem>

using testing_support::WindowFixture;
namespace fs = std::filesystem;

TEST(DamagedHistoryWindow, IsToldRefusedByTheSearchesAndRepairedFromTheMenu) {
    WindowFixture f;
    f.store.type("2016090801", {{"03", "01", "02", "04", "06"},
                                {"07", "01", "02", "04", "06"},
                                {"03", "01", "02", "04", "06"},
                                {"05", "01", "02", "04", "06"}});
    f.store.workspace.reset();
    {
        platform::Database db((fs::path(f.store.dataDir()) / "kelvora11S5.db").string());
        db.exec("UPDATE Lishi SET L4A = 99999 WHERE SQQH = 16090803");
    }
    f.store.reopen();
    f.open();
    QTest::qWait(50);
    const QString named = QStringLiteral("第16090803期的号码已损坏");
    ASSERT_EQ(f.prompter.warnings().size(), 1u);
    EXPECT_TRUE(f.prompter.warnings()[0].contains(named)) << f.prompter.warnings()[0].toStdString();

    f.find<QPushButton>("Command1")->click();
    QTest::qWait(20);
    ASSERT_EQ(f.prompter.warnings().size(), 2u);
    EXPECT_TRUE(f.prompter.warnings()[1].contains(named)) << f.prompter.warnings()[1].toStdString();

    f.prompter.confirmations.push_back(true);
    f.find<QAction>("mnuRepair")->trigger();
    QTest::qWait(20);
    EXPECT_EQ(f.prompter.warnings().size(), 2u);
    EXPECT_TRUE(f.workspace().damagedRows().empty());
    EXPECT_EQ(f.find<QTableView>("MSFlexGrid1")->model()->rowCount(), 3);

    f.find<QPushButton>("Command1")->click();
    QTest::qWait(50);
    EXPECT_EQ(f.prompter.warnings().size(), 2u);
}

TEST(DamagedHistoryWindow, APeriodStoredTwiceAndADrawOutOfOrderAreToldAndRepairedFromTheMenu) {
    WindowFixture f;
    f.store.type("2016090801", {{"03", "01", "02", "04", "06"},
                                {"07", "01", "02", "04", "06"},
                                {"03", "01", "02", "04", "06"},
                                {"05", "01", "02", "04", "06"}});
    f.store.workspace.reset();
    {
        platform::Database db((fs::path(f.store.dataDir()) / "kelvora11S5.db").string());
        db.exec("UPDATE Lishi SET SQQH = 16090802 WHERE SQQH = 16090803;"
                "UPDATE Lishi SET SQQH = 16090701 WHERE SQQH = 16090804");
    }
    f.store.reopen();
    f.open();
    QTest::qWait(50);
    ASSERT_EQ(f.prompter.warnings().size(), 1u);
    const QString warning = f.prompter.warnings()[0];
    EXPECT_TRUE(warning.contains(QStringLiteral("第16090802期存了两次（历史号码表第3行）")) &&
                warning.contains(QStringLiteral("第16090701期在第16090802期之后才存入")))
        << warning.toStdString();

    // The question says what goes and what moves.
    f.prompter.confirmations.push_back(true);
    f.find<QAction>("mnuRepair")->trigger();
    QTest::qWait(20);
    const auto asked = f.prompter.texts(QStringLiteral("confirm"));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].contains(QStringLiteral("重复存入的1行")) &&
                asked[0].contains(QStringLiteral("次序错乱的1期")))
        << asked[0].toStdString();
    EXPECT_EQ(f.prompter.warnings().size(), 1u);
    EXPECT_TRUE(f.workspace().damagedRows().empty());
    EXPECT_EQ(f.find<QTableView>("MSFlexGrid1")->model()->rowCount(), 3);
    EXPECT_EQ(f.workspace().rows().front().period, 16090701);

    f.find<QPushButton>("Command1")->click();
    QTest::qWait(50);
    EXPECT_EQ(f.prompter.warnings().size(), 1u);
}
