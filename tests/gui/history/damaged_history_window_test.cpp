// A history holding a row that cannot be a draw, in the window: the user is told at start, the
// searches refuse naming it, and the history menu's repair removes it.

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
