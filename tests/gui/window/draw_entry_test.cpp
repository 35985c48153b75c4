// Typing a draw into the five boxes of the entry line, pasting one, and the first period of an
// empty history.
#include "gui/window_fixture.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
#include <QTableView>
#include <QTest>

#include <array>
#include <string>
#include <vector>

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

// Types a draw box by box, as the user would.
void typeDraw(WindowFixture& f, const std::array<const char*, 5>& numbers) {
    for (int i = 0; i < 5; ++i) QTest::keyClicks(f.find<QLineEdit>(boxName(i + 1)), numbers[i]);
}

} // namespace

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

    QTest::keyClicks(text1, "2016090832");
    // The ten digits typed, the numbers come next.
    EXPECT_TRUE(f.find<QLineEdit>(boxName(1))->hasFocus());
    QTest::keyClicks(text1, "x");
    EXPECT_EQ(text1->text(), "2016090832");
    auto* box5 = f.find<QLineEdit>(boxName(5));
    box5->selectAll();
    QTest::keyClicks(box5, "05");
    ASSERT_EQ(f.workspace().rows().size(), 1u);
    EXPECT_EQ(f.workspace().rows()[0].period, 16090832);
    EXPECT_TRUE(text1->isReadOnly());
    EXPECT_EQ(text1->text(), "2016090833");
    EXPECT_FALSE(hint->isVisible());
    // One draw: the span is that draw, not one that ends before it starts; the second draw
    // takes the start to its usual place, the first draw with one before it.
    EXPECT_EQ(f.find<QLineEdit>("Text3_0")->text(), "2016090832");
    EXPECT_EQ(f.find<QLineEdit>("Text3_1")->text(), "2016090832");
    typeDraw(f, {"02", "04", "06", "08", "10"});
    ASSERT_EQ(f.workspace().rows().size(), 2u);
    EXPECT_EQ(f.find<QLineEdit>("Text3_0")->text(), "2016090833");
    EXPECT_EQ(f.find<QLineEdit>("Text3_1")->text(), "2016090833");
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
