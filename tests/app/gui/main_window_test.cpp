// The main window driven as a user would: start-up state, typing draws, menus and options.

#include "window_fixture.h"

#include "app/gui/history_model.h"

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
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include <filesystem>
#include <fstream>

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

// ---------------------------------------------------------------- typing a draw

TEST(DrawEntry, TheSecondDigitMovesOnToTheNextBox) {
    WindowFixture f;
    f.store.type("2016090801", sameDraws(1));
    f.open();
    auto* box1 = f.find<QLineEdit>(boxName(1));
    auto* box2 = f.find<QLineEdit>(boxName(2));
    box1->setFocus();
    QTest::keyClicks(box1, "3");
    EXPECT_TRUE(box1->hasFocus());
    QTest::keyClick(box1, Qt::Key_Backspace);
    QTest::keyClicks(box1, "03");
    EXPECT_TRUE(box2->hasFocus());
    EXPECT_EQ(box1->displayText(), "03");
    // Four complete boxes store nothing.
    for (int i = 2; i <= 4; ++i)
        QTest::keyClicks(f.find<QLineEdit>(boxName(i)), QStringLiteral("0%1").arg(i));
    EXPECT_TRUE(f.find<QLineEdit>(boxName(5))->hasFocus());
    EXPECT_EQ(f.workspace().rows().size(), 1u);
}

TEST(DrawEntry, TheFifthBoxStoresTheDrawUnderTheShownPeriod) {
    WindowFixture f;
    f.store.type("2016090884", sameDraws(1));
    f.open();
    auto* text1 = f.find<QLineEdit>("Text1");
    auto* grid = f.find<QTableView>("MSFlexGrid1");
    ASSERT_EQ(text1->text(), "2016090901");

    typeDraw(f, {"03", "07", "01", "11", "05"});
    ASSERT_TRUE(f.prompter.warnings().empty()) << f.prompter.warnings()[0].toStdString();
    ASSERT_EQ(f.workspace().rows().size(), 2u);
    EXPECT_EQ(f.workspace().rows().back().period, 16090901);
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(f.find<QLineEdit>(boxName(i))->displayText(), "__");
    EXPECT_TRUE(f.find<QLineEdit>(boxName(1))->hasFocus());
    EXPECT_EQ(text1->text(), "2016090902");
    ASSERT_EQ(grid->model()->rowCount(), 2);
    EXPECT_EQ(cell(grid, 1, 0), "2016090901");
    EXPECT_EQ(cell(grid, 1, 1), "3");
    EXPECT_EQ(cell(grid, 1, 4), "11");
    // The targets and the span end follow the new newest draw.
    EXPECT_EQ(f.find<QLineEdit>("Text2_2")->text(), "7");
    EXPECT_EQ(f.find<QLineEdit>("Text3_1")->text(), "2016090901");

    // The next draw goes under the next period: the key presses end the stored state.
    typeDraw(f, {"02", "04", "06", "08", "10"});
    ASSERT_EQ(f.workspace().rows().size(), 3u);
    EXPECT_EQ(f.workspace().rows().back().period, 16090902);
    EXPECT_EQ(text1->text(), "2016090903");
}

TEST(DrawEntry, ARefusedEntryKeepsTheBoxesUntilCorrected) {
    struct Case {
        std::array<const char*, 5> typed;
        int wrongBox;
        const char* correction;
    };
    const Case cases[] = {
        {{"03", "07", "12", "11", "05"}, 3, "10"}, // outside 01..11
        {{"03", "07", "01", "11", "07"}, 5, "09"}, // repeated number
        {{"03", "07", "01", "11", "00"}, 5, "02"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed[c.wrongBox - 1]);
        WindowFixture f;
        f.store.type("2016090801", sameDraws(1));
        f.open();
        typeDraw(f, c.typed);
        EXPECT_EQ(f.workspace().rows().size(), 1u);
        ASSERT_EQ(f.prompter.warnings().size(), 1u);
        EXPECT_TRUE(f.prompter.warnings()[0].contains(QStringLiteral("第%1个号码").arg(c.wrongBox)))
            << f.prompter.warnings()[0].toStdString();
        for (int i = 1; i <= 5; ++i)
            EXPECT_EQ(f.find<QLineEdit>(boxName(i))->displayText(), c.typed[i - 1]);
        auto* wrong = f.find<QLineEdit>(boxName(c.wrongBox));
        EXPECT_TRUE(wrong->hasFocus());

        // Retyping the named box stores the corrected draw.
        QTest::keyClicks(wrong, c.correction);
        ASSERT_EQ(f.workspace().rows().size(), 2u);
        EXPECT_EQ(f.workspace().rows().back().numbers()[c.wrongBox - 1], std::stoi(c.correction));
        EXPECT_EQ(f.prompter.warnings().size(), 1u);
        EXPECT_EQ(f.find<QLineEdit>(boxName(1))->displayText(), "__");
    }
}

TEST(DrawEntry, AnEmptyBoxIsRefusedAndFillingItStores) {
    WindowFixture f;
    f.store.type("2016090801", sameDraws(1));
    f.open();
    // The fifth box first: boxes 1 to 4 are still empty.
    QTest::keyClicks(f.find<QLineEdit>(boxName(5)), "05");
    EXPECT_EQ(f.workspace().rows().size(), 1u);
    ASSERT_EQ(f.prompter.warnings().size(), 1u);
    EXPECT_TRUE(f.prompter.warnings()[0].contains(QStringLiteral("第1个号码")));
    EXPECT_TRUE(f.find<QLineEdit>(boxName(1))->hasFocus());
    // No new warning while the boxes are filled; the last one stores.
    for (int i = 1; i <= 4; ++i)
        QTest::keyClicks(f.find<QLineEdit>(boxName(i)), QStringLiteral("0%1").arg(i));
    EXPECT_EQ(f.prompter.warnings().size(), 1u);
    ASSERT_EQ(f.workspace().rows().size(), 2u);
    EXPECT_EQ(f.workspace().rows().back().numbers()[4], 5);
}

TEST(DrawEntry, FiveNumbersPastedIntoTheFirstBoxAreStoredAsTyped) {
    WindowFixture f;
    f.store.type("2016090884", sameDraws(1));
    f.open();
    auto* box1 = f.find<QLineEdit>(boxName(1));
    auto* grid = f.find<QTableView>("MSFlexGrid1");
    QClipboard* clipboard = QGuiApplication::clipboard();
    const auto paste = [&](const QString& text) {
        clipboard->setText(text);
        box1->setFocus();
        QTest::keyClick(box1, Qt::Key_V, Qt::ControlModifier);
    };

    // Any separators between five numbers of one or two digits.
    struct Case {
        const char* pasted;
        int period;
        std::array<int, 5> numbers;
    };
    const Case cases[] = {{"03 07 01 11 05", 16090901, {3, 7, 1, 11, 5}},
                          {"02,04,06,08,10\n", 16090902, {2, 4, 6, 8, 10}},
                          {"1、3\t5，7 - 9", 16090903, {1, 3, 5, 7, 9}}};
    size_t stored = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pasted);
        paste(QString::fromUtf8(c.pasted));
        ASSERT_EQ(f.workspace().rows().size(), ++stored);
        EXPECT_EQ(f.workspace().rows().back().period, c.period);
        for (int k = 0; k < 5; ++k)
            EXPECT_EQ(f.workspace().rows().back().numbers()[k], c.numbers[k]);
        EXPECT_EQ(grid->model()->rowCount(), int(stored));
        EXPECT_EQ(f.window->statusBar()->currentMessage(),
                  QStringLiteral("已保存第 %1 期").arg(c.period + 2000000000));
        for (int i = 1; i <= 5; ++i) EXPECT_EQ(f.find<QLineEdit>(boxName(i))->displayText(), "__");
        EXPECT_TRUE(box1->hasFocus());
    }
    EXPECT_EQ(f.find<QLineEdit>("Text1")->text(), "2016090904");

    // A wrong draw is refused as typed: the boxes keep it, the named box takes the correction.
    paste(QStringLiteral("04 04 05 06 07"));
    EXPECT_EQ(f.workspace().rows().size(), stored);
    ASSERT_EQ(f.prompter.warnings().size(), 1u);
    EXPECT_EQ(f.find<QLineEdit>(boxName(2))->displayText(), "04");
    EXPECT_TRUE(f.find<QLineEdit>(boxName(2))->hasFocus());
    QTest::keyClicks(f.find<QLineEdit>(boxName(2)), "08");
    ASSERT_EQ(f.workspace().rows().size(), ++stored);
    EXPECT_EQ(f.workspace().rows().back().numbers()[1], 8);

    // Anything else is pasted as text: one number fills the box and moves on.
    paste(QStringLiteral("08"));
    EXPECT_EQ(box1->displayText(), "08");
    EXPECT_TRUE(f.find<QLineEdit>(boxName(2))->hasFocus());
    for (const char* other : {"01 02 03 04", "01 02 03 04 05 06", "001 02 03 04 05"}) {
        SCOPED_TRACE(other);
        paste(QString::fromLatin1(other));
        EXPECT_EQ(f.workspace().rows().size(), stored);
    }
    EXPECT_EQ(f.prompter.warnings().size(), 1u);
}

TEST(DrawEntry, TheFirstBoxMenuPastesAWholeDrawToo) {
    WindowFixture f;
    f.store.type("2016090801", sameDraws(1));
    f.open();
    auto* box1 = f.find<QLineEdit>(boxName(1));
    const auto pasteFromMenu = [&](const QString& text) {
        QGuiApplication::clipboard()->setText(text);
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(4, 4),
                                box1->mapToGlobal(QPoint(4, 4)));
        QApplication::sendEvent(box1, &click);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        QAction* item = nullptr;
        for (QAction* action : menu->actions())
            if (action->text().startsWith(QLineEdit::tr("&Paste"))) item = action;
        ASSERT_NE(item, nullptr);
        ASSERT_TRUE(item->isEnabled());
        item->trigger();
        menu->close();
    };
    pasteFromMenu(QStringLiteral("11 10 09 08 07"));
    ASSERT_EQ(f.workspace().rows().size(), 2u);
    EXPECT_EQ(f.workspace().rows().back().numbers()[0], 11);
    EXPECT_EQ(f.workspace().rows().back().numbers()[4], 7);

    pasteFromMenu(QStringLiteral("6"));
    EXPECT_EQ(box1->displayText(), "6_");
    EXPECT_EQ(f.workspace().rows().size(), 2u);
}

TEST(DrawEntry, AnEmptyHistoryTakesTheFirstPeriodFromText1) {
    WindowFixture f;
    f.open();
    auto* text1 = f.find<QLineEdit>("Text1");
    auto* hint = f.find<QLabel>("emptyHistoryHint");
    EXPECT_TRUE(hint->isVisible());
    EXPECT_FALSE(text1->isReadOnly());
    EXPECT_EQ(f.find<QTableView>("MSFlexGrid1")->model()->rowCount(), 0);

    // Without a period the draw cannot be placed: the user is sent to Text1.
    typeDraw(f, {"03", "07", "01", "11", "05"});
    EXPECT_TRUE(f.workspace().rows().empty());
    ASSERT_EQ(f.prompter.warnings().size(), 1u);
    EXPECT_TRUE(text1->hasFocus());

    QTest::keyClicks(text1, "2016090852");
    // The ten digits typed, the numbers come next.
    EXPECT_TRUE(f.find<QLineEdit>(boxName(1))->hasFocus());
    QTest::keyClicks(text1, "x");
    EXPECT_EQ(text1->text(), "2016090852");
    auto* box5 = f.find<QLineEdit>(boxName(5));
    box5->selectAll();
    QTest::keyClicks(box5, "05");
    ASSERT_EQ(f.workspace().rows().size(), 1u);
    EXPECT_EQ(f.workspace().rows()[0].period, 16090852);
    EXPECT_TRUE(text1->isReadOnly());
    EXPECT_EQ(text1->text(), "2016090853");
    EXPECT_FALSE(hint->isVisible());
    EXPECT_EQ(f.find<QLineEdit>("Text3_0")->text(), "2016090853");
}

TEST(DrawEntry, AClickAnywhereInAnEmptyBoxTypesFromItsStart) {
    WindowFixture f;
    f.store.type("2016090801", {{"01", "02", "03", "04", "05"}});
    f.open();
    for (const int x : {0, 1, 2}) {
        SCOPED_TRACE(x);
        auto* first = f.find<QLineEdit>(boxName(1));
        // On the right, in the middle or on the left of the box.
        QTest::mouseClick(first, Qt::LeftButton, {},
                          QPoint(first->width() * (2 - x) / 2 + (x == 0   ? -2
                                                                 : x == 2 ? 2
                                                                          : 0),
                                 first->height() / 2));
        QTest::qWait(1);
        EXPECT_EQ(first->cursorPosition(), 0);
        for (const char c : std::string("0607080910"))
            QTest::keyClick(QApplication::focusWidget(), c);
        ASSERT_EQ(f.workspace().rows().size(), 2u + x);
        EXPECT_EQ(f.workspace().rows().back().numbers(), (history::PositionValues{6, 7, 8, 9, 10}));
    }
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
    EXPECT_EQ(f.workspace().drawsPerDay(), 90);
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
    WindowFixture f;
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
    EXPECT_EQ(spanStart->text(), "2016090855");
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
    EXPECT_EQ(spanStart->text(), "2016090855");

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
