// The window on a small screen and a large one: what must stay whole, and where the room goes.

#include "gui/window_fixture.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QSplitter>
#include <QSplitterHandle>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include <functional>

using testing_support::WindowFixture;

namespace {

void resizeWindow(WindowFixture& f, int width, int height) {
    f.window->resize(width, height);
    QTest::qWait(10); // the resize and the layouts it requests
    QApplication::processEvents();
}

// The widget's whole rectangle in the coordinates of an ancestor.
QRect rectIn(const QWidget* widget, const QWidget* ancestor) {
    return QRect(widget->mapTo(ancestor, QPoint(0, 0)), widget->size());
}

int columnsWidth(const QTableView* grid) {
    int width = 0;
    for (int c = 0; c < grid->model()->columnCount(); ++c) width += grid->columnWidth(c);
    return width;
}

// Every width measured here is that of Chinese text: without a font that has its glyphs the texts
// are drawn as boxes of another width, and a failure would name a pixel count, not the cause.
void requireChineseFont() {
    ASSERT_FALSE(QFontDatabase::families(QFontDatabase::SimplifiedChinese).isEmpty())
        << "no font with Chinese glyphs is installed (on Debian: apt-get install fonts-noto-cjk); "
           "the window's texts would be boxes and every width measured here wrong";
}

void prepare(WindowFixture& f) {
    requireChineseFont();
    if (testing::Test::HasFatalFailure()) return;
    f.store.type("2016090801", std::vector<std::array<std::string, 5>>(
                                   60, std::array<std::string, 5>{"01", "02", "03", "04", "05"}));
    f.open();
}

} // namespace

TEST(WindowLayout, OnA1024x640ScreenNothingOfThePanelOrTheGridsIsCutOff) {
    WindowFixture f;
    ASSERT_NO_FATAL_FAILURE(prepare(f));
    resizeWindow(f, 1024, 640);
    ASSERT_EQ(f.window->size(), QSize(1024, 640)) << "the window cannot be made that small";

    auto* scroll = f.find<QScrollArea>("searchPanelScroll");
    QWidget* viewport = scroll->viewport();
    QWidget* hiddenTab = f.find<QTabWidget>("TabStrip1")->widget(1);
    std::vector<QAbstractButton*> buttons;
    for (auto* b : scroll->widget()->findChildren<QPushButton*>()) buttons.push_back(b);
    for (auto* b : scroll->widget()->findChildren<QRadioButton*>()) buttons.push_back(b);
    for (auto* b : scroll->widget()->findChildren<QCheckBox*>())
        if (!hiddenTab->isAncestorOf(b)) buttons.push_back(b);
    ASSERT_EQ(buttons.size(), 8u + 18u + 5u);
    for (QAbstractButton* button : buttons) {
        SCOPED_TRACE(button->objectName().toStdString());
        EXPECT_TRUE(button->isVisible());
        // Whole: as large as its text needs, inside the window and inside the panel's view,
        // not scrolled away.
        EXPECT_GE(button->width(), button->minimumSizeHint().width());
        EXPECT_GE(button->height(), button->minimumSizeHint().height());
        EXPECT_TRUE(f.window->rect().contains(rectIn(button, f.window.get())));
        EXPECT_TRUE(viewport->rect().contains(rectIn(button, viewport)));
    }

    // The history and the tally show all their columns; the chart keeps its room, whole.
    for (const char* name : {"MSFlexGrid1", "MSFlexGrid3"}) {
        SCOPED_TRACE(name);
        auto* grid = f.find<QTableView>(QLatin1String(name));
        EXPECT_GE(grid->viewport()->width(), columnsWidth(grid));
        EXPECT_TRUE(f.window->rect().contains(rectIn(grid, f.window.get())));
    }
    QWidget* chart = f.find<QWidget>("tallyChart");
    EXPECT_GE(chart->width(), chart->minimumWidth());
    EXPECT_GE(chart->height(), chart->minimumHeight());
    EXPECT_TRUE(f.window->rect().contains(rectIn(chart, f.window.get())));
}

TEST(WindowLayout, TheResultsTakeTheRoomOfALargerWindow) {
    WindowFixture f;
    ASSERT_NO_FATAL_FAILURE(prepare(f));
    resizeWindow(f, 1024, 640);
    auto* history = f.find<QTableView>("MSFlexGrid1");
    auto* panel = f.find<QScrollArea>("searchPanelScroll");
    auto* hits = f.find<QTableView>("MSFlexGrid2");
    auto* tally = f.find<QTableView>("MSFlexGrid3");
    QWidget* chart = f.find<QWidget>("tallyChart");
    const int historyWidth = history->width();
    const int panelWidth = panel->width();
    const int hitsWidth = hits->width();
    // In the narrow column the chart stands below the tally, over the column's width.
    EXPECT_EQ(f.find<QSplitter>("tallySplitter")->orientation(), Qt::Vertical);
    EXPECT_GE(rectIn(chart, f.window.get()).top(), rectIn(tally, f.window.get()).bottom());

    resizeWindow(f, 1920, 1040);
    EXPECT_EQ(history->width(), historyWidth);
    EXPECT_EQ(panel->width(), panelWidth);
    EXPECT_EQ(hits->width(), hitsWidth + 1920 - 1024);
    EXPECT_GT(hits->height(), 400);
    // Wide enough: the chart beside the tally, with the rest of the width.
    EXPECT_EQ(f.find<QSplitter>("tallySplitter")->orientation(), Qt::Horizontal);
    EXPECT_GE(rectIn(chart, f.window.get()).left(), rectIn(tally, f.window.get()).right());
    EXPECT_GT(chart->width(), 1920 - 1024);

    // Back on the small screen it fits again.
    resizeWindow(f, 1024, 640);
    EXPECT_EQ(f.find<QSplitter>("tallySplitter")->orientation(), Qt::Vertical);
    EXPECT_TRUE(f.window->rect().contains(rectIn(chart, f.window.get())));
}

namespace {

// Every control a page shows, with the tab bar and the entry line above it.
std::vector<QWidget*> shownControls(QWidget* window) {
    std::vector<QWidget*> controls;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisible() || qobject_cast<QHeaderView*>(w)) continue;
        // The boxes inside a spin box or a combo box are part of it.
        if (qobject_cast<QLineEdit*>(w) &&
            (qobject_cast<QAbstractSpinBox*>(w->parent()) || qobject_cast<QComboBox*>(w->parent())))
            continue;
        if (qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w) ||
            qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QLineEdit*>(w) ||
            qobject_cast<QTabBar*>(w) || qobject_cast<QAbstractItemView*>(w) ||
            qobject_cast<QChartView*>(w))
            controls.push_back(w);
        else if (auto* label = qobject_cast<QLabel*>(w); label && !label->text().isEmpty()) {
            // Text that is a scroll area's content scrolls by design.
            QWidget* parent = w->parentWidget();
            auto* area =
                parent ? qobject_cast<QAbstractScrollArea*>(parent->parentWidget()) : nullptr;
            if (!area || area->viewport() != parent) controls.push_back(w);
        }
    }
    return controls;
}

// The part of the widget its parents and scroll areas let be seen, in the window's coordinates.
QRect seenPart(QWidget* widget, QWidget* window) {
    QRect seen = rectIn(widget, window);
    for (QWidget* p = widget->parentWidget(); p && p != window; p = p->parentWidget()) {
        seen &= rectIn(p, window);
        if (auto* area = qobject_cast<QAbstractScrollArea*>(p);
            area && area->viewport()->isAncestorOf(widget))
            seen &= rectIn(area->viewport(), window);
    }
    return seen;
}

// Every control shown is in the window, whole (no scrolling sideways or down to reach it, not cut
// by its parents), at least as large as its least size, and clear of the others; so is every
// label's text.
void expectControlsWhole(WindowFixture& f, size_t leastControls = 10) {
    const QRect window = f.window->rect();
    const std::vector<QWidget*> controls = shownControls(f.window.get());
    EXPECT_GT(controls.size(), leastControls);
    for (QWidget* control : controls) {
        SCOPED_TRACE(control->objectName().toStdString() + " " +
                     control->metaObject()->className());
        const QRect rect = rectIn(control, f.window.get());
        EXPECT_TRUE(window.contains(rect));
        EXPECT_EQ(seenPart(control, f.window.get()), rect) << "cut off or scrolled out of sight";
        // As large as its least size (one set on purpose, else the style's), as the layouts
        // take it.
        if (!qobject_cast<QAbstractScrollArea*>(control)) {
            const QSize hint = control->minimumSizeHint();
            const QSize set = control->minimumSize();
            EXPECT_GE(control->width(), set.width() > 0 ? set.width() : hint.width());
            EXPECT_GE(control->height(), set.height() > 0 ? set.height() : hint.height());
        }
        for (QWidget* other : controls) {
            if (other == control || other->isAncestorOf(control) || control->isAncestorOf(other))
                continue;
            EXPECT_FALSE(rect.intersects(rectIn(other, f.window.get())))
                << "overlaps " << other->objectName().toStdString();
        }
    }
    // Every splitter handle stays where it can be taken.
    for (QSplitter* splitter : f.window->findChildren<QSplitter*>()) {
        if (!splitter->isVisible()) continue;
        for (int i = 1; i < splitter->count(); ++i)
            EXPECT_TRUE(window.contains(rectIn(splitter->handle(i), f.window.get())))
                << splitter->objectName().toStdString();
    }
}

} // namespace

// Each page has the window's whole width; on a laptop's screen and on a small one every control
// of every page is in the window, whole (no scrolling sideways or down to reach it) and clear of
// the others; the entry line is there on every page.
TEST(WindowLayout, EveryPageShowsEveryControlWholeOnBothScreens) {
    WindowFixture f;
    ASSERT_NO_FATAL_FAILURE(prepare(f));
    auto* pages = f.find<QTabBar>("pageTabs");
    ASSERT_EQ(pages->count(), 6);
    EXPECT_EQ(pages->tabText(0), QStringLiteral("检索"));
    EXPECT_EQ(pages->tabText(1), QStringLiteral("走势图"));
    EXPECT_EQ(pages->tabText(2), QStringLiteral("玩法"));
    EXPECT_EQ(pages->tabText(3), QStringLiteral("缩水"));
    EXPECT_EQ(pages->tabText(4), QStringLiteral("大厅"));
    EXPECT_EQ(pages->tabText(5), QStringLiteral("我的投注"));
    for (const QSize screen : {QSize(1366, 768), QSize(1024, 640)}) {
        resizeWindow(f, screen.width(), screen.height());
        ASSERT_EQ(f.window->size(), screen);
        for (int page = 0; page < pages->count(); ++page) {
            const std::string where = QStringLiteral("%1x%2, %3")
                                          .arg(screen.width())
                                          .arg(screen.height())
                                          .arg(pages->tabText(page))
                                          .toStdString();
            SCOPED_TRACE(where);
            pages->setCurrentIndex(page);
            QTest::qWait(10);
            QApplication::processEvents();
            for (const char* name : {"Text1", "MaskEdBox1_1", "MaskEdBox1_5"})
                EXPECT_TRUE(f.find<QLineEdit>(QLatin1String(name))->isVisible()) << name;
            // The hall is one table and its note beside the entry line.
            expectControlsWhole(f, page == 4 ? 6u : 10u);
        }
    }
}

// A handle dragged moves the border between its two sides (on a laptop's screen: on the small one
// the shrink page's two halves are both at their least widths).
TEST(WindowLayout, SplittersOfEveryPageDrag) {
    WindowFixture f;
    ASSERT_NO_FATAL_FAILURE(prepare(f));
    resizeWindow(f, 1366, 768);
    auto* pages = f.find<QTabBar>("pageTabs");
    for (const auto& [page, name] :
         std::vector<std::pair<int, const char*>>{{0, "columnSplitter"},
                                                  {0, "resultSplitter"},
                                                  {1, "trendSplitter"},
                                                  {2, "playSplitter"},
                                                  {3, "shrinkSplitter"}}) {
        SCOPED_TRACE(name);
        pages->setCurrentIndex(page);
        QTest::qWait(10);
        auto* splitter = f.find<QSplitter>(QLatin1String(name));
        ASSERT_TRUE(splitter->isVisible());
        QSplitterHandle* handle = splitter->handle(1);
        const bool across = splitter->orientation() == Qt::Horizontal;
        const auto drag = [&](int by) {
            const QPoint middle = handle->rect().center();
            const QPoint moved = middle + (across ? QPoint(by, 0) : QPoint(0, by));
            QTest::mousePress(handle, Qt::LeftButton, {}, middle);
            QMouseEvent move(QEvent::MouseMove, moved, handle->mapToGlobal(moved), Qt::NoButton,
                             Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(handle, &move);
            QTest::mouseRelease(handle, Qt::LeftButton, {}, moved);
            QApplication::processEvents();
        };
        // Toward the side that has room to give: a side at its least width gives nothing.
        const QList<int> before = splitter->sizes();
        drag(-40);
        if (splitter->sizes() == before) {
            drag(40);
            EXPECT_GT(splitter->sizes()[0], before[0]);
        } else {
            EXPECT_LT(splitter->sizes()[0], before[0]);
        }
    }
}

namespace {

void settle() {
    QTest::qWait(10);
    QApplication::processEvents();
}

// Every tab of every tab widget under `page`, each in turn (the tab widgets it lies in chosen
// so that it shows), with `check` run on each.
void everyTab(QWidget* page, const std::function<void(const QString&)>& check) {
    for (QTabWidget* tabs : page->findChildren<QTabWidget*>()) {
        for (int i = 0; i < tabs->count(); ++i) {
            // The tabs this one lies in show it (a tab's page sits in its tab widget's stack).
            for (QWidget* w = tabs; w && w != page; w = w->parentWidget()) {
                QWidget* stack = w->parentWidget();
                auto* outer = stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
                if (outer && qobject_cast<QStackedWidget*>(stack)) outer->setCurrentWidget(w);
            }
            tabs->setCurrentIndex(i);
            settle();
            if (!tabs->isVisible()) continue;
            check(tabs->objectName() + QStringLiteral(" ") + tabs->tabText(i));
        }
    }
}

// What opens parts of the pages: a search, the figures of the back-tests, the covering, the
// conditions' counts.
void openEveryPart(WindowFixture& f) {
    auto* pages = f.find<QTabBar>("pageTabs");
    pages->setCurrentIndex(0);
    settle();
    f.find<QCheckBox>("Check1_1")->setChecked(true);
    f.find<QPushButton>("Command1")->click();
    pages->setCurrentIndex(2);
    settle();
    f.find<QSpinBox>("betSteps")->setValue(20);
    f.find<QSpinBox>("betRandomRuns")->setValue(20);
    f.find<QPushButton>("betButton")->click();
    f.find<QPushButton>("planBacktest")->click();
    pages->setCurrentIndex(3);
    settle();
    f.find<QCheckBox>("shrinkUse_sum")->setChecked(true);
    f.find<QCheckBox>("shrinkUse_odd")->setChecked(true);
    f.find<QCheckBox>("shrinkUse_big")->setChecked(true);
    f.find<QSpinBox>("shrinkSteps")->setValue(20);
    f.find<QSpinBox>("shrinkRandomRuns")->setValue(20);
    f.find<QPushButton>("shrinkBacktest")->click();
    f.find<QPushButton>("coverBuild")->click();
    settle();
    EXPECT_TRUE(f.prompter.warnings().empty());
}

} // namespace

// Not only the first look of each page: every tab of every page, with the parts that results
// open (the notes over them, the figures of the back-tests), on a laptop's screen and a small
// one. The shrink page keeps four rows of its conditions' table in view, the covering its whole
// pool, and the trend table its columns, the chart beside it folding away when they need its room.
TEST(WindowLayout, EveryTabWithItsResultsShowsItsControlsWholeOnBothScreens) {
    WindowFixture f;
    ASSERT_NO_FATAL_FAILURE(prepare(f));
    resizeWindow(f, 1366, 768);
    ASSERT_NO_FATAL_FAILURE(openEveryPart(f));
    auto* pages = f.find<QTabBar>("pageTabs");
    for (const QSize screen : {QSize(1366, 768), QSize(1024, 640)}) {
        resizeWindow(f, screen.width(), screen.height());
        ASSERT_EQ(f.window->size(), screen);
        for (int page = 0; page < pages->count(); ++page) {
            pages->setCurrentIndex(page);
            settle();
            const QString where = QStringLiteral("%1x%2, %3")
                                      .arg(screen.width())
                                      .arg(screen.height())
                                      .arg(pages->tabText(page));
            QWidget* shown = f.window->centralWidget();
            everyTab(shown, [&](const QString& tab) {
                if (!pages->isVisible()) return;
                SCOPED_TRACE((where + QStringLiteral(", ") + tab).toStdString());
                expectControlsWhole(f);
            });
            SCOPED_TRACE(where.toStdString());
            expectControlsWhole(f);
        }

        SCOPED_TRACE(
            QStringLiteral("%1x%2").arg(screen.width()).arg(screen.height()).toStdString());
        pages->setCurrentIndex(3);
        f.find<QTabWidget>("shrinkResultTabs")->setCurrentIndex(0);
        settle();
        auto* conditions = f.find<QTableView>("shrinkTable");
        EXPECT_GE(conditions->model()->rowCount(), 4);
        EXPECT_GE(conditions->viewport()->height(),
                  4 * conditions->verticalHeader()->defaultSectionSize())
            << "fewer than four rows of the conditions' table in view";
        for (const char* name : {"shrinkCopy", "shrinkSave", "shrinkFormat"}) {
            QWidget* w = f.find<QWidget>(QLatin1String(name));
            EXPECT_TRUE(w->isVisible()) << name;
            EXPECT_EQ(seenPart(w, f.window.get()), rectIn(w, f.window.get())) << name;
        }
        f.find<QTabWidget>("shrinkResultTabs")->setCurrentIndex(2);
        settle();
        for (int n = 1; n <= 11; ++n) {
            QWidget* w = f.find<QWidget>(QStringLiteral("coverPool%1").arg(n));
            EXPECT_TRUE(w->isVisible()) << n;
            EXPECT_EQ(seenPart(w, f.window.get()), rectIn(w, f.window.get())) << n;
        }

        pages->setCurrentIndex(1);
        settle();
        auto* trend = f.find<QTableView>("trendView");
        auto* chart = f.find<QWidget>("trendChart");
        const bool allColumns = trend->viewport()->width() >= columnsWidth(trend);
        EXPECT_TRUE(allColumns || chart->isHidden())
            << "the chart keeps its width while the table's columns are cut";
    }
    // On a large screen the chart stands beside the whole table.
    resizeWindow(f, 1920, 1040);
    auto* trend = f.find<QTableView>("trendView");
    EXPECT_FALSE(f.find<QWidget>("trendChart")->isHidden());
    EXPECT_GT(f.find<QWidget>("trendChart")->width(), 200);
    EXPECT_GE(trend->viewport()->width(), columnsWidth(trend));
}
