// The plays tab: its table follows the chosen play and new draws, sorts by a column from the
// largest value, and the back-test shows the figures of the command line and warns on bad tickets.

#include "gui/window_fixture.h"

#include "gui/common/background_work.h"
#include "gui/plays/play_view.h"

#include <QAbstractItemModelTester>
#include <QChartView>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>

using testing_support::WindowFixture;

namespace {

void prepare(WindowFixture& f) {
    f.store.type("2016090801", {{"01", "05", "06", "07", "08"},
                                {"02", "05", "06", "07", "08"},
                                {"01", "05", "06", "07", "08"},
                                {"03", "05", "06", "07", "08"}});
    f.open();
    f.find<QTabBar>("pageTabs")->setCurrentIndex(2);
    QApplication::processEvents();
}

TEST(PlayWindow, TableFollowsThePlayAndSortsFromTheLargest) {
    WindowFixture f;
    prepare(f);
    auto* grid = f.find<QTableView>("playTable");
    QAbstractItemModelTester tester(grid->model());
    auto* chooser = f.find<QComboBox>("playChooser");
    chooser->setCurrentIndex(0); // 前一
    EXPECT_EQ(grid->model()->rowCount(), 11);
    EXPECT_EQ(grid->model()->index(0, 1).data().toString(), "2"); // 01 won twice
    EXPECT_NE(f.find<QLabel>("playTableNote")->text().indexOf("4期"), -1);

    // 本次遗漏 from the largest: the never-drawn 04 first, shaded as the coldest.
    grid->horizontalHeader()->sectionClicked(3);
    EXPECT_EQ(grid->model()->index(0, 0).data().toString(), "04");
    EXPECT_EQ(grid->model()->index(0, 3).data().toString(), "4");
    EXPECT_TRUE(grid->model()->index(0, 0).data(Qt::BackgroundRole).isValid());
    EXPECT_FALSE(grid->model()->index(10, 0).data(Qt::BackgroundRole).isValid());

    chooser->setCurrentIndex(10); // 前三直选
    EXPECT_EQ(grid->model()->rowCount(), 990);
    // 欲出几率 is a ratio: its heading says so and gives the ticket's chance in every draw.
    const QString tip = grid->model()->headerData(9, Qt::Horizontal, Qt::ToolTipRole).toString();
    EXPECT_NE(tip.indexOf("不是中奖的机会"), -1) << tip.toStdString();
    EXPECT_NE(tip.indexOf("1/990"), -1) << tip.toStdString();

    // A new draw reaches the table.
    chooser->setCurrentIndex(0);
    for (int i = 0; i < 5; ++i)
        QTest::keyClicks(f.find<QLineEdit>(QStringLiteral("MaskEdBox1_%1").arg(i + 1)),
                         QStringLiteral("0%1").arg(i + 4));
    QTest::keyClick(f.find<QLineEdit>("MaskEdBox1_5"), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_NE(f.find<QLabel>("playTableNote")->text().indexOf("5期"), -1);
}

TEST(PlayWindow, BetShowsTheFiguresAndWarnsOnBadTickets) {
    WindowFixture f;
    prepare(f);
    f.find<QComboBox>("playChooser")->setCurrentIndex(0);
    auto* rule = f.find<QComboBox>("betRule");
    rule->setCurrentIndex(rule->findText("固定号码"));
    f.find<QLineEdit>("betTickets")->setText("01；02");
    f.find<QSpinBox>("betSteps")->setValue(3);
    f.find<QSpinBox>("betRandomRuns")->setValue(50);
    f.find<QPushButton>("betButton")->click();
    const QString figures = f.find<QLabel>("betFigures")->text();
    // Three periods of 01 and 02: 02 and 01 win, 03 does not: 26 won for 12.
    EXPECT_NE(figures.indexOf("<b>12元</b>"), -1) << figures.toStdString();
    EXPECT_NE(figures.indexOf("<b>14元</b>"), -1) << figures.toStdString();
    EXPECT_NE(figures.indexOf("随机投注对照"), -1);
    EXPECT_NE(figures.indexOf("过去胜过随机只是运气"), -1);
    EXPECT_TRUE(f.prompter.warnings().empty());

    f.find<QLineEdit>("betTickets")->setText("01 02");
    f.find<QPushButton>("betButton")->click();
    ASSERT_EQ(f.prompter.warnings().size(), 1u);
    EXPECT_NE(f.prompter.warnings()[0].indexOf("前一每注1个号码"), -1);
}

// A long bet runs beside the window: its timers go on and a progress dialog shows while the pages
// and menus wait; 取消 stops the work, and closing the window asks, then stops it and closes.
TEST(PlayWindow, ALongBetLeavesTheWindowAliveAndStopsForCancelOrClose) {
    WindowFixture f;
    ASSERT_NO_FATAL_FAILURE(testing_support::importRandomDraws(f, 800, 3));
    f.open();
    f.find<QTabBar>("pageTabs")->setCurrentIndex(2);
    f.find<QComboBox>("playChooser")->setCurrentIndex(0);
    f.find<QSpinBox>("betSteps")->setValue(700);
    f.find<QSpinBox>("betRandomRuns")->setValue(100000);
    auto* bet = f.find<QPushButton>("betButton");
    QWidget* pages = f.window->centralWidget();

    // A timer of the window ticks while the work goes on (counted only then).
    const QString figuresBefore = f.find<QLabel>("betFigures")->text();
    int ticks = 0;
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout,
                     [&] { ticks += app::gui::BackgroundWork::current() != nullptr; });
    bool waited = false;
    bool shown = false;
    auto cancelling = QObject::connect(&ticker, &QTimer::timeout, [&] {
        auto* progress = f.window->findChild<QProgressDialog*>(QStringLiteral("workProgress"));
        if (shown || !progress || !progress->isVisible()) return;
        shown = true;
        waited = !pages->isEnabled() && !f.window->menuBar()->isEnabled();
        if (auto* cancel = progress->findChild<QPushButton*>()) cancel->click();
    });
    ticker.start();
    bet->click();
    ticker.stop();
    QObject::disconnect(cancelling);
    EXPECT_GE(ticks, 2) << "the window's timers stood still";
    EXPECT_TRUE(shown) << "no progress shown";
    EXPECT_TRUE(waited);
    EXPECT_TRUE(pages->isEnabled());
    EXPECT_EQ(f.find<QLabel>("betFigures")->text(), figuresBefore);
    EXPECT_TRUE(f.prompter.warnings().empty());

    // Closing the window: asked; "no" goes on with the work, "yes" stops it and closes.
    f.prompter.confirmations = {false, true};
    ticks = 0;
    int closedAt = 0;
    bool stillOpen = false;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (ticks >= 1 && closedAt == 0) {
            closedAt = ticks;
            f.window->close();
            stillOpen = f.window->isVisible() && app::gui::BackgroundWork::current();
        } else if (closedAt > 0 && ticks >= closedAt + 2) {
            closedAt = -1;
            f.window->close();
        }
    });
    ticker.start();
    bet->click();
    ticker.stop();
    QApplication::processEvents();
    EXPECT_TRUE(stillOpen);
    EXPECT_FALSE(f.window->isVisible());
    const auto asked = f.prompter.texts(QStringLiteral("confirm"));
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_NE(asked[0].indexOf("回测投注"), -1) << asked[0].toStdString();
    EXPECT_EQ(f.find<QLabel>("betFigures")->text(), figuresBefore);
}

} // namespace
