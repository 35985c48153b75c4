// The main window driven as a user would: start-up state, the history grid, menus and options
// (typing draws: draw_entry_test.cpp).

#include "gui/window_fixture.h"

#include "gui/history/history_model.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>

using testing_support::openWithFiveDraws;
using testing_support::WindowFixture;

namespace {

using Draw = std::array<std::string, 5>;

std::vector<Draw> sameDraws(int count) {
    return std::vector<Draw>(count, {"01", "02", "03", "04", "05"});
}

QString boxName(int index) {
    return QStringLiteral("MaskEdBox1_%1").arg(index);
}

QString cell(QTableView* grid, int row, int column) {
    return grid->model()->index(row, column).data().toString();
}

bool checked(WindowFixture& f, const QString& name) {
    return f.find<QAction>(name)->isChecked();
}

// The checked items of a menu group, by index.
std::vector<int> checkedItems(WindowFixture& f, const char* group, int count) {
    std::vector<int> result;
    for (int i = 0; i < count; ++i)
        if (checked(f, QStringLiteral("%1_%2").arg(QLatin1String(group)).arg(i)))
            result.push_back(i);
    return result;
}

// Clicks an option button on its round mark, where a click always lands.
void clickOption(WindowFixture& f, const char* name) {
    auto* button = f.find<QRadioButton>(QLatin1String(name));
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

// Types a draw box by box, as the user would.
void typeDraw(WindowFixture& f, const std::array<const char*, 5>& numbers) {
    for (int i = 0; i < 5; ++i) QTest::keyClicks(f.find<QLineEdit>(boxName(i + 1)), numbers[i]);
}

} // namespace

// ---------------------------------------------------------------- start-up

TEST(MainWindowStart, FirstStartShowsTheDefaultChoices) {
    WindowFixture f;
    f.open();
    EXPECT_EQ(f.window->objectName(), "frmMain");
    EXPECT_EQ(checkedItems(f, "mnu11S5", 4), std::vector<int>{0});
    EXPECT_EQ(checkedItems(f, "mnuSxcs", 2), std::vector<int>{1});
    EXPECT_EQ(checkedItems(f, "mnuDscs", 2), std::vector<int>{1});
    // In order: the rule the values are stored under.
    EXPECT_EQ(checkedItems(f, "mnuSxsetup", 2), std::vector<int>{0});
    EXPECT_TRUE(f.find<QRadioButton>("Option1_1")->isChecked());
    EXPECT_FALSE(f.find<QRadioButton>("Option1_0")->isChecked());
    EXPECT_TRUE(f.find<QRadioButton>("Option1_3")->isChecked());
    EXPECT_TRUE(f.find<QRadioButton>("Option3_0")->isChecked());
    EXPECT_TRUE(f.find<QRadioButton>("Option4_0")->isChecked());
    EXPECT_EQ(f.find<QLineEdit>("MaskEdBox2")->text(), "2");
    EXPECT_EQ(f.find<QComboBox>("Combo1")->currentText(), "2");
    EXPECT_EQ(f.find<QComboBox>("Combo1")->count(), 4);
    EXPECT_EQ(f.window->windowTitle(), "江西11选5 — 11选5 历史号码分析");
    // Nothing was asked or warned, and nothing written by merely opening.
    EXPECT_TRUE(f.prompter.shown.empty());
}

TEST(MainWindowStart, StoredChoicesSetTheControls) {
    WindowFixture f("[IniSetting]\nGsZl=569\nbolZyw=False\nbolSq=False\nintLei=3\n"
                    "intXianshiLei=4\nintPreQi=5\nintZhWSetup=3\nSxIni=0\nDsIni=0\n"
                    "SxSetup=True\n");
    f.open();
    EXPECT_EQ(checkedItems(f, "mnu11S5", 4), std::vector<int>{3});
    EXPECT_EQ(checkedItems(f, "mnuSxcs", 2), std::vector<int>{0});
    EXPECT_EQ(checkedItems(f, "mnuDscs", 2), std::vector<int>{0});
    EXPECT_EQ(checkedItems(f, "mnuSxsetup", 2), std::vector<int>{0});
    EXPECT_TRUE(f.find<QRadioButton>("Option1_0")->isChecked());
    EXPECT_TRUE(f.find<QRadioButton>("Option1_2")->isChecked());
    EXPECT_TRUE(f.find<QRadioButton>("Option3_3")->isChecked());
    EXPECT_TRUE(f.find<QRadioButton>("Option4_4")->isChecked());
    EXPECT_EQ(f.find<QLineEdit>("MaskEdBox2")->text(), "5");
    EXPECT_EQ(f.find<QComboBox>("Combo1")->currentText(), "3");
    EXPECT_EQ(f.window->windowTitle(), "黑龙江11选5 — 11选5 历史号码分析");

    // A game code the menu does not offer checks no game and names none in the title.
    WindowFixture other("[IniSetting]\nGsZl=100\n");
    other.open();
    EXPECT_TRUE(checkedItems(other, "mnu11S5", 4).empty());
    EXPECT_EQ(other.window->windowTitle(), "11选5 历史号码分析");
}

TEST(MainWindowStart, ALongHistoryOpensAtItsNewestDraws) {
    for (int draws : {38, 39}) {
        SCOPED_TRACE(draws);
        WindowFixture f;
        f.store.type("2016090801", sameDraws(draws));
        f.open();
        auto* grid = f.find<QTableView>("MSFlexGrid1");
        QScrollBar* bar = grid->verticalScrollBar();
        ASSERT_GT(bar->maximum(), 0) << "the test needs a grid shorter than the history";
        // However few rows the grid holds, the newest draw is in view.
        EXPECT_EQ(bar->value(), bar->maximum());
        EXPECT_FALSE(f.find<QLabel>("emptyHistoryHint")->isVisible());
        EXPECT_TRUE(f.find<QLineEdit>("Text1")->isReadOnly());
        // Laid out again at another height (as once the desktop has placed the window), the
        // newest draw stays in view, whole.
        for (int height : {600, 760, 640}) {
            f.window->resize(f.window->width(), height);
            QApplication::processEvents();
            const int last = grid->model()->rowCount() - 1;
            EXPECT_TRUE(
                grid->viewport()->rect().contains(grid->visualRect(grid->model()->index(last, 0))))
                << "at the height " << height;
        }
    }
}

namespace {

// The letter after a single '&', if any.
std::optional<QChar> acceleratorOf(const QString& text) {
    const auto at = text.indexOf(QRegularExpression(QStringLiteral("&[^&]")));
    if (at < 0) return std::nullopt;
    return text[at + 1].toUpper();
}

} // namespace

// Alt and a letter reaches one thing: no two items of a menu (or two menus of the bar), and no
// two buttons of a page with the entry line and the buttons beside it, share their underlined
// letter.
TEST(Menus, NoTwoItemsOfAMenuOrButtonsOfAPageShareAnAccelerator) {
    WindowFixture f;
    openWithFiveDraws(f);
    std::vector<QWidget*> menus{f.window->menuBar()};
    for (QMenu* menu : f.window->findChildren<QMenu*>()) menus.push_back(menu);
    int lettersSeen = 0;
    for (QWidget* menu : menus) {
        std::map<QChar, QString> taken;
        for (QAction* action : menu->actions()) {
            const QString text = action->text();
            const auto letter = acceleratorOf(text);
            if (!letter || action->isSeparator()) continue;
            ++lettersSeen;
            const auto [was, isNew] = taken.emplace(*letter, text);
            EXPECT_TRUE(isNew) << menu->objectName().toStdString() << ": " << text.toStdString()
                               << " and " << was->second.toStdString();
        }
    }
    EXPECT_GT(lettersSeen, 15);

    auto* pages = f.find<QTabBar>("pageTabs");
    for (int page = 0; page < pages->count(); ++page) {
        pages->setCurrentIndex(page);
        QApplication::processEvents();
        std::map<QChar, QString> taken;
        for (QAbstractButton* button : f.window->findChildren<QAbstractButton*>()) {
            const auto letter = acceleratorOf(button->text());
            if (!letter || !button->isVisible()) continue;
            const auto [was, isNew] = taken.emplace(*letter, button->text());
            EXPECT_TRUE(isNew) << pages->tabText(page).toStdString() << ": "
                               << button->text().toStdString() << " and "
                               << was->second.toStdString();
        }
    }
}

TEST(MainWindowStart, AnUnopenableDatabaseIsReportedOnceAndEntryExplainsIt) {
    WindowFixture f;
    // A file where the data folder should be: the database cannot be created.
    f.store.workspace.reset();
    std::filesystem::remove_all(f.store.dataDir());
    std::ofstream(f.store.dataDir()) << "not a folder";
    f.store.reopen();
    ASSERT_FALSE(f.workspace().databaseOpen());

    f.open();
    QTest::qWait(20);
    f.window->hide();
    f.window->show();
    QTest::qWait(20);
    ASSERT_EQ(f.prompter.warnings().size(), 1u);
    EXPECT_EQ(f.prompter.warnings()[0].toStdString(), f.workspace().databaseProblem());

    QTest::keyClicks(f.find<QLineEdit>("Text1"), "2016090801");
    typeDraw(f, {"01", "02", "03", "04", "05"});
    ASSERT_EQ(f.prompter.warnings().size(), 2u);
    EXPECT_EQ(f.prompter.warnings()[1].toStdString(), f.workspace().databaseProblem());
}

// ---------------------------------------------------------------- the history grid

TEST(HistoryGrid, PeriodsHaveEightOrTenDigitsByGame) {
    for (const auto& [code, shown] : {std::pair{"23", "16090852"}, std::pair{"22", "2016090852"},
                                      std::pair{"569", "16090852"}}) {
        SCOPED_TRACE(code);
        WindowFixture f(std::string("[IniSetting]\nGsZl=") + code + "\n");
        f.store.type("2016090852", sameDraws(1));
        f.open();
        auto* grid = f.find<QTableView>("MSFlexGrid1");
        EXPECT_EQ(cell(grid, 0, 0), shown);
        EXPECT_EQ(cell(grid, 0, 5), "5");
        EXPECT_EQ(grid->model()->headerData(0, Qt::Horizontal).toString(), "期号");
        EXPECT_EQ(grid->model()->headerData(5, Qt::Horizontal).toString(), "第5码");
    }
}

// ---------------------------------------------------------------- settings menus

TEST(SettingsMenus, EachChoiceIsStoredAndChecked) {
    WindowFixture f;
    f.store.type("2016090884", sameDraws(1));
    f.open();
    auto* grid = f.find<QTableView>("MSFlexGrid1");

    f.find<QAction>("mnu11S5_1")->trigger();
    EXPECT_EQ(f.storedSetting("GsZl"), "23");
    EXPECT_EQ(checkedItems(f, "mnu11S5", 4), std::vector<int>{1});
    EXPECT_EQ(grid->model()->rowCount(), 0); // 广东's own history, empty yet
    EXPECT_EQ(f.window->windowTitle(), "广东11选5 — 11选5 历史号码分析");
    f.find<QAction>("mnu11S5_2")->trigger();
    EXPECT_EQ(f.window->windowTitle(), "上海11选5 — 11选5 历史号码分析");
    EXPECT_EQ(f.storedSetting("GsZl"), "562");
    EXPECT_EQ(f.workspace().drawsPerDay(), 45);
    EXPECT_EQ(checkedItems(f, "mnu11S5", 4), std::vector<int>{2});
    f.store.type("2016090801", sameDraws(1)); // 上海's history, so that there is one to rebuild

    // Each change of how values are derived offers a rebuild; declined here.
    f.prompter.confirmations = {false, false, false, false};
    f.find<QAction>("mnuSxcs_0")->trigger();
    EXPECT_EQ(f.storedSetting("SxIni"), "0");
    EXPECT_EQ(checkedItems(f, "mnuSxcs", 2), std::vector<int>{0});
    f.find<QAction>("mnuDscs_0")->trigger();
    EXPECT_EQ(f.storedSetting("DsIni"), "0");
    EXPECT_EQ(checkedItems(f, "mnuDscs", 2), std::vector<int>{0});
    f.find<QAction>("mnuSxsetup_1")->trigger();
    EXPECT_EQ(f.storedSetting("SxSetup"), "False");
    EXPECT_EQ(checkedItems(f, "mnuSxsetup", 2), std::vector<int>{1});

    // Choosing the checked item again keeps it checked.
    f.find<QAction>("mnuSxsetup_1")->trigger();
    EXPECT_EQ(checkedItems(f, "mnuSxsetup", 2), std::vector<int>{1});
    f.find<QAction>("mnu11S5_2")->trigger();
    EXPECT_EQ(checkedItems(f, "mnu11S5", 4), std::vector<int>{2});
    f.find<QAction>("mnuSxsetup_0")->trigger();
    EXPECT_EQ(f.storedSetting("SxSetup"), "True");
    EXPECT_EQ(checkedItems(f, "mnuSxsetup", 2), std::vector<int>{0});
    // Four changes, four questions: choosing the checked item again asked nothing.
    EXPECT_TRUE(f.prompter.confirmations.empty());
}

TEST(SettingsMenus, ABaseChangeOffersToReDeriveTheStoredHistory) {
    WindowFixture f;
    f.store.type("2016090884", {{"01", "05", "09", "10", "11"}});
    f.open();
    f.prompter.confirmations = {true};
    f.find<QAction>("mnuDscs_0")->trigger();
    EXPECT_TRUE(f.prompter.confirmations.empty());
    EXPECT_TRUE(f.prompter.warnings().empty());
    auto& w = f.workspace();
    w.ensureKinds({history::Segment});
    ASSERT_EQ(w.rows().size(), 1u);
    EXPECT_EQ(w.rows()[0].values[history::Segment], (history::PositionValues{0, 1, 2, 2, 2}));
}

TEST(SettingsMenus, TheSettingsButtonPopsUpTheSettingsMenu) {
    WindowFixture f;
    f.open();
    auto* menu = f.find<QMenu>("mnuSetup");
    QTest::mouseClick(f.find<QPushButton>("Command9"), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }, 10000));
    menu->close();
}

// ---------------------------------------------------------------- search options and targets

TEST(SearchOptions, PeriodModeAndDistanceMoveTheSpanStart) {
    // Draw 53 follows 52 on the 84-a-day schedule these ids were written for.
    WindowFixture f{"[IniSetting]\nGameSchedules=\"22=09:10/10/84\"\n"};
    f.store.type("2016090852", {{"01", "02", "03", "04", "05"},
                                {"06", "07", "08", "09", "10"},
                                {"11", "01", "02", "03", "04"}});
    f.open();
    auto* spanStart = f.find<QLineEdit>("Text3_0");
    auto* distance = f.find<QLineEdit>("MaskEdBox2");
    EXPECT_EQ(spanStart->text(), "2016090853");
    EXPECT_EQ(f.find<QLineEdit>("Text2_1")->text(), "11");

    clickOption(f, "Option1_2");
    EXPECT_EQ(f.storedSetting("bolSq"), "False");
    EXPECT_EQ(spanStart->text(), "2016090854");
    // 前期 with distance 2: the reference draw is one before the newest.
    EXPECT_EQ(f.find<QLineEdit>("Text2_1")->text(), "6");

    distance->setFocus();
    distance->selectAll();
    QTest::keyClicks(distance, "3");
    spanStart->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(f.storedSetting("intPreQi"), "3");
    // Three draws have none with a draw three back before it: the span is the newest draw, not
    // one that starts after it ends.
    EXPECT_EQ(spanStart->text(), "2016090854");
    EXPECT_EQ(f.find<QLineEdit>("Text2_1")->text(), "1");

    // An emptied box and 0 are told at once, keep the distance in use and show it again; the
    // span stays.
    distance->setFocus();
    distance->selectAll();
    QTest::keyClick(distance, Qt::Key_Delete);
    spanStart->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(distance->text(), "3");
    EXPECT_EQ(f.storedSetting("intPreQi"), "3");
    ASSERT_EQ(f.prompter.warnings().size(), 1u);
    EXPECT_NE(f.prompter.warnings()[0].indexOf(QStringLiteral("1到9")), -1);
    distance->setFocus();
    distance->selectAll();
    QTest::keyClicks(distance, "0");
    spanStart->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(f.prompter.warnings().size(), 2u);
    EXPECT_EQ(distance->text(), "3");
    EXPECT_EQ(f.storedSetting("intPreQi"), "3");
    EXPECT_EQ(spanStart->text(), "2016090854");

    // A search started by its shortcut (the focus stays in the box) takes the typed distance
    // first, and tells a 0 as leaving the box does.
    distance->setFocus();
    distance->selectAll();
    QTest::keyClicks(distance, "2");
    f.find<QPushButton>("Command1")->click();
    EXPECT_EQ(f.storedSetting("intPreQi"), "2");
    EXPECT_EQ(f.find<QLineEdit>("Text2_1")->text(), "6");
    distance->setFocus();
    distance->selectAll();
    QTest::keyClicks(distance, "0");
    f.find<QPushButton>("Command2")->click();
    EXPECT_EQ(f.prompter.warnings().size(), 3u);
    EXPECT_EQ(f.storedSetting("intPreQi"), "2");

    clickOption(f, "Option1_3");
    EXPECT_EQ(f.storedSetting("bolSq"), "True");
    EXPECT_EQ(spanStart->text(), "2016090853");
}

TEST(SearchOptions, TheKindButtonsAreStoredAndTheTargetsFollow) {
    WindowFixture f;
    f.store.type("2016090852", {{"01", "02", "03", "04", "05"}});
    f.open();
    clickOption(f, "Option3_1");
    EXPECT_EQ(f.storedSetting("intLei"), "1");
    // Zodiac targets are shown by name.
    const QString name = f.find<QLineEdit>("Text2_1")->text();
    EXPECT_FALSE(name.isEmpty());
    EXPECT_FALSE(name.at(0).isDigit());
    clickOption(f, "Option3_0");
    EXPECT_EQ(f.find<QLineEdit>("Text2_1")->text(), "1");

    clickOption(f, "Option4_5");
    EXPECT_EQ(f.storedSetting("intXianshiLei"), "5");
    clickOption(f, "Option1_0");
    EXPECT_EQ(f.storedSetting("bolZyw"), "False");
}

TEST(SearchOptions, TypedTargetsTakeDigitsAndMinusOnly) {
    WindowFixture f;
    f.store.type("2016090852", {{"01", "02", "03", "04", "05"}});
    f.open();
    auto* tabs = f.find<QTabWidget>("TabStrip1");
    auto* typed = f.find<QLineEdit>("Text22_1");
    tabs->setCurrentIndex(1);
    EXPECT_EQ(f.workspace().targetSource(), app::TargetSource::Typed);
    QTest::keyClicks(typed, "a-3");
    EXPECT_EQ(typed->text(), "-3");
    EXPECT_EQ(f.workspace().targets()[0], -3);
    // Boxes left empty keep the loaded targets.
    EXPECT_EQ(f.workspace().targets()[1], 2);

    tabs->setCurrentIndex(0);
    EXPECT_EQ(f.workspace().targetSource(), app::TargetSource::ReferenceDraw);
    EXPECT_EQ(f.workspace().targets()[0], 1);
}

TEST(SettingsMenus, AChoiceThatCannotBeSavedIsToldOnce) {
    WindowFixture f;
    // The settings file's place becomes a folder: nothing can be written there.
    std::filesystem::remove(f.store.settingsPath());
    std::filesystem::create_directories(f.store.settingsPath());
    f.open();
    f.find<QRadioButton>("Option3_1")->click();
    ASSERT_EQ(f.prompter.warnings().size(), 1u);
    EXPECT_NE(f.prompter.warnings()[0].indexOf(QStringLiteral("无法保存")), -1);
    // The choice holds for this run; later failures go to the status bar only.
    EXPECT_EQ(f.workspace().settings().searchKind, history::ZodiacKind);
    f.find<QRadioButton>("Option4_2")->click();
    EXPECT_EQ(f.prompter.warnings().size(), 1u);
    EXPECT_NE(f.window->statusBar()->currentMessage().indexOf(QStringLiteral("无法保存")), -1);
}
