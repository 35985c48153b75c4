// The window on a small screen and a large one: what must stay whole, and where the room goes.

#include "window_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

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

void prepare(WindowFixture& f) {
    f.store.type("2016090801", std::vector<std::array<std::string, 5>>(
                                   60, std::array<std::string, 5>{"01", "02", "03", "04", "05"}));
    f.open();
}

} // namespace

TEST(WindowLayout, OnA1024x640ScreenNothingOfThePanelOrTheGridsIsCutOff) {
    WindowFixture f;
    prepare(f);
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
    prepare(f);
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

// Whichever tab the history column shows, the tab, the search panel and the results are all in
// the window, side by side, on a laptop's screen and on a small one.
TEST(WindowLayout, EveryTabOfTheHistoryColumnLeavesThePanelAndTheResultsInSight) {
    WindowFixture f;
    prepare(f);
    auto* tabs = f.find<QTabWidget>("historyTabs");
    auto* splitter = f.find<QSplitter>("columnSplitter");
    auto* panel = f.find<QScrollArea>("searchPanelScroll");
    auto* hits = f.find<QTableView>("MSFlexGrid2");
    auto* tally = f.find<QTableView>("MSFlexGrid3");
    for (const QSize screen : {QSize(1366, 768), QSize(1024, 640)}) {
        resizeWindow(f, screen.width(), screen.height());
        ASSERT_EQ(f.window->size(), screen);
        const QRect window = f.window->rect();
        tabs->setCurrentIndex(0);
        QApplication::processEvents();
        const int historyWidth = tabs->width();
        for (int tab = 0; tab < tabs->count(); ++tab) {
            SCOPED_TRACE(QStringLiteral("%1x%2, %3")
                             .arg(screen.width())
                             .arg(screen.height())
                             .arg(tabs->tabText(tab))
                             .toStdString());
            tabs->setCurrentIndex(tab);
            QTest::qWait(10);
            QApplication::processEvents();
            QWidget* page = tabs->currentWidget();
            ASSERT_TRUE(page->isVisible());
            EXPECT_TRUE(window.contains(rectIn(page, f.window.get())));
            EXPECT_GE(page->width(), historyWidth);
            EXPECT_GE(page->height(), 400);
            EXPECT_TRUE(panel->isVisible());
            EXPECT_TRUE(window.contains(rectIn(panel, f.window.get())));
            EXPECT_GE(panel->width(), panel->minimumWidth());
            // The results keep at least the tally's four columns, and the hit grid beside it
            // is as wide.
            for (QTableView* grid : {hits, tally}) {
                EXPECT_TRUE(grid->isVisible());
                EXPECT_TRUE(window.contains(rectIn(grid, f.window.get())));
            }
            EXPECT_GE(tally->viewport()->width(), columnsWidth(tally));
            EXPECT_GE(hits->width(), tally->width());
            // Both handles stay where they can be taken.
            for (int i = 1; i < splitter->count(); ++i)
                EXPECT_TRUE(window.contains(rectIn(splitter->handle(i), f.window.get())));
        }
        // On the laptop's screen the trend table is shown whole, and the hit grid beside it
        // still shows a hit's period and most of its draw.
        if (screen.width() >= 1366) {
            tabs->setCurrentIndex(1);
            QApplication::processEvents();
            auto* trend = f.find<QTableView>("trendView");
            EXPECT_GE(trend->viewport()->width(), columnsWidth(trend));
            int draw = 0;
            for (int c = 0; c < 5; ++c) draw += hits->columnWidth(c);
            EXPECT_GE(hits->viewport()->width(), draw);
        }
        // Back on the history, the column has its width again.
        tabs->setCurrentIndex(0);
        QApplication::processEvents();
        EXPECT_EQ(tabs->width(), historyWidth);
    }
}
