// The games in the window: the game menu holds the games followed and 更多游戏…, whose list finds a
// game by name or alias and switches to it as the menu does; 设置 → 游戏与开奖时间 changes a
// schedule and the games followed, and refuses a schedule that cannot be.

#include "gui/window/game_dialogs.h"
#include "gui/window_fixture.h"
#include "history/game_catalog.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <filesystem>

using testing_support::WindowFixture;

namespace {

QStringList menuGames(WindowFixture& f) {
    QStringList names;
    for (QAction* item : f.find<QMenu>("mnuCaizhong")->actions())
        if (item->objectName().startsWith(QLatin1String("mnu11S5_")))
            names << item->text() + (item->isChecked() ? QStringLiteral("*") : QString());
    return names;
}

// Runs the dialog that opens next, once it is shown, with act.
template <class Dialog, class Act> void whenShown(WindowFixture& f, Act act) {
    QTimer::singleShot(0, f.window.get(), [&f, act] {
        auto* dialog = f.window->findChild<Dialog*>();
        ASSERT_NE(dialog, nullptr);
        act(*dialog);
    });
}

int rowOf(QTableWidget* table, int code) {
    for (int row = 0; row < table->rowCount(); ++row)
        if (table->item(row, 0)->text().toInt() == code) return row;
    return -1;
}

} // namespace

TEST(GamesMenu, MoreGamesFindsAGameByItsAliasAndSwitchesToIt) {
    WindowFixture f;
    f.open();
    EXPECT_EQ(menuGames(f), (QStringList{"江西11选5*", "广东11选5", "上海11选5", "黑龙江11选5"}));
    whenShown<app::gui::GameListDialog>(f, [](app::gui::GameListDialog& dialog) {
        dialog.findChild<QLineEdit*>("gameSearch")->setText(QStringLiteral("十一运"));
        auto* list = dialog.findChild<QListWidget*>("gameList");
        int shown = 0;
        for (int i = 0; i < list->count(); ++i) shown += list->item(i)->isHidden() ? 0 : 1;
        EXPECT_EQ(shown, 1);
        EXPECT_TRUE(list->currentItem()->text().startsWith(QStringLiteral("山东11选5")));
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    f.find<QAction>("mnuMoreGames")->trigger();
    EXPECT_EQ(f.workspace().settings().game, history::Game{1037});
    EXPECT_EQ(f.storedSetting("GsZl"), "1037");
    EXPECT_EQ(f.window->windowTitle(), QStringLiteral("山东11选5 — 11选5 历史号码分析"));
    EXPECT_TRUE(std::filesystem::exists(f.store.dataDir() + "/kelvora11S5-1037.db"));
    EXPECT_EQ(f.workspace().drawsPerDay(), 43);
    // While it is the current game the menu holds it, checked, after the games followed.
    EXPECT_EQ(menuGames(f),
              (QStringList{"江西11选5", "广东11选5", "上海11选5", "黑龙江11选5", "山东11选5*"}));
    f.find<QAction>("mnu11S5_0")->trigger();
    EXPECT_EQ(menuGames(f), (QStringList{"江西11选5*", "广东11选5", "上海11选5", "黑龙江11选5"}));
}

TEST(GamesMenu, GameTimesChangeASchedulesAndTheGamesFollowedAndRefuseWhatCannotBe) {
    WindowFixture f;
    f.open();
    whenShown<app::gui::GameTimesDialog>(f, [&f](app::gui::GameTimesDialog& dialog) {
        auto* table = dialog.findChild<QTableWidget*>("gameTable");
        ASSERT_EQ(table->rowCount(), static_cast<int>(history::builtInGames().all().size()));
        const int jiangxi = rowOf(table, 22), xinjiang = rowOf(table, 1065),
                  shandong = rowOf(table, 1037);
        EXPECT_EQ(table->item(xinjiang, 6)->text(), "02:00");
        EXPECT_EQ(table->item(shandong, 2)->text(), QStringLiteral("十一运夺金"));
        table->item(jiangxi, 4)->setText("10");   // every 10 minutes
        table->item(xinjiang, 5)->setText("100"); // 100 draws a day: refused
        table->item(shandong, 7)->setCheckState(Qt::Checked);
        EXPECT_FALSE(dialog.save());
        EXPECT_TRUE(dialog.note().contains(QStringLiteral("1到99"))) << dialog.note().toStdString();
        EXPECT_EQ(history::games()->schedule(history::Game::Jiangxi),
                  (history::DrawSchedule{9 * 60 + 30, 10, 42}));
        EXPECT_EQ(history::games()->drawsPerDay(history::Game{1065}), 48);
        EXPECT_EQ(f.storedSetting("FollowedGames"), "22,23,562,569,1037");
        dialog.reject();
    });
    f.find<QAction>("mnuGameTimes")->trigger();
    EXPECT_EQ(menuGames(f),
              (QStringList{"江西11选5*", "广东11选5", "上海11选5", "黑龙江11选5", "山东11选5"}));
    EXPECT_EQ(f.storedSetting("DrawEvery22"), "10");
}
