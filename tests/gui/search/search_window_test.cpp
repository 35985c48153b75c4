// The searches driven through the window: buttons, result grids, chart and the combination box.

#include "gui/window_fixture.h"

#include "gui/search/tally_chart.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCheckBox>
#include <QComboBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolTip>
#include <QValueAxis>

#include <cmath>
#include <fstream>
#include <functional>

using testing_support::WindowFixture;

namespace {

QString cell(QTableView* grid, int row, int column) {
    return grid->model()->index(row, column).data().toString();
}

QString header(QTableView* grid, int column) {
    return grid->model()->headerData(column, Qt::Horizontal).toString();
}

void prepare(WindowFixture& f) {
    testing_support::openWithFiveDraws(f);
}

} // namespace

TEST(SearchWindow, APatternSearchFillsBothGridsAndTheChart) {
    WindowFixture f;
    prepare(f);
    f.find<QRadioButton>("Option1_0")->click(); // fixed position
    f.find<QCheckBox>("Check1_1")->setChecked(true);
    // The result models keep their contract through the reset a search makes.
    QAbstractItemModelTester hitTester(f.find<QTableView>("MSFlexGrid2")->model(),
                                       QAbstractItemModelTester::FailureReportingMode::Fatal);
    QAbstractItemModelTester tallyTester(f.find<QTableView>("MSFlexGrid3")->model(),
                                         QAbstractItemModelTester::FailureReportingMode::Fatal);
    auto* start = f.find<QLineEdit>("Text3_0");
    start->setFocus();
    start->selectAll();
    QTest::keyClicks(start, "2016090801");
    QTest::mouseClick(f.find<QPushButton>("Command1"), Qt::LeftButton);

    auto* hits = f.find<QTableView>("MSFlexGrid2");
    auto* tally = f.find<QTableView>("MSFlexGrid3");
    ASSERT_EQ(hits->model()->rowCount(), 2);
    EXPECT_EQ(cell(hits, 0, 0), "2016090802");
    EXPECT_EQ(cell(hits, 1, 0), "2016090804");
    EXPECT_EQ(cell(hits, 1, 6), "03 01 02 04 06 ");
    EXPECT_EQ(header(hits, 6), "上期开奖");
    ASSERT_EQ(tally->model()->rowCount(), 11);
    EXPECT_EQ(header(tally, 3), "百分比");
    EXPECT_EQ(cell(tally, 0, 3), "20.000%");
    EXPECT_TRUE(f.prompter.warnings().empty());

    auto* chart = f.window->findChild<app::gui::TallyChart*>("tallyChart");
    ASSERT_NE(chart, nullptr);
    auto* bars = qobject_cast<QBarSeries*>(chart->chart()->series().front());
    ASSERT_NE(bars, nullptr);
    EXPECT_EQ(bars->barSets().front()->count(), 11);
    EXPECT_EQ(bars->barSets().front()->at(0), 2.0); // number 1 stood twice
    // The count axis labels whole numbers, so every tick must stand on one.
    auto* counts = qobject_cast<QValueAxis*>(chart->chart()->axes(Qt::Vertical).front());
    ASSERT_NE(counts, nullptr);
    const double step = counts->max() / (counts->tickCount() - 1);
    EXPECT_EQ(step, std::floor(step));
    EXPECT_GE(counts->max(), 2.0);

    // A later choice of result type leaves the grids as they are until the next search.
    f.find<QRadioButton>("Option4_1")->click();
    EXPECT_EQ(cell(tally, 0, 1), "1");
    EXPECT_EQ(f.workspace().waitForWrites(), "");
}

TEST(SearchWindow, TheChartShadesTheChanceBandAndTheTooltipsTellItForTheirOwnValue) {
    WindowFixture f;
    prepare(f);
    f.find<QRadioButton>("Option1_0")->click(); // fixed position
    f.find<QRadioButton>("Option4_2")->click(); // heads: 0 for nine numbers, 1 for two
    f.find<QCheckBox>("Check1_2")->setChecked(true);
    QTest::mouseClick(f.find<QPushButton>("Command1"), Qt::LeftButton);

    auto* chart = f.window->findChild<app::gui::TallyChart*>("tallyChart")->chart();
    QAreaSeries* band = nullptr;
    QLineSeries* expected = nullptr;
    for (QAbstractSeries* series : chart->series()) {
        if (auto* area = qobject_cast<QAreaSeries*>(series)) band = area;
        if (auto* line = qobject_cast<QLineSeries*>(series)) expected = line;
    }
    ASSERT_NE(band, nullptr);
    ASSERT_NE(expected, nullptr);
    EXPECT_EQ(band->name(), QStringLiteral("随机范围（95%）"));
    EXPECT_EQ(expected->name(), QStringLiteral("随机期望"));
    auto* categories = qobject_cast<QBarCategoryAxis*>(chart->axes(Qt::Horizontal).front());
    ASSERT_NE(categories, nullptr);
    ASSERT_EQ(categories->count(), 2);
    // The band spans each value's category around its expectation.
    ASSERT_EQ(band->upperSeries()->count(), 4);
    for (int i = 0; i < 2; ++i) {
        const double e = expected->at(i).y();
        EXPECT_EQ(band->upperSeries()->at(2 * i).x(), i - 0.5);
        EXPECT_EQ(band->upperSeries()->at(2 * i + 1).x(), i + 0.5);
        EXPECT_GT(band->upperSeries()->at(2 * i).y(), e);
        EXPECT_LT(band->lowerSeries()->at(2 * i).y(), e);
    }
    // Five numbers a hit period, nine of the eleven with head 0.
    const int hitPeriods = f.find<QTableView>("MSFlexGrid2")->model()->rowCount();
    ASSERT_GT(hitPeriods, 0);
    EXPECT_NEAR(expected->at(0).y(), hitPeriods * 5.0 * 9 / 11, 1e-9);

    // The result grid lists by count; each row's tooltip gives its own value's figures.
    auto* tally = f.find<QTableView>("MSFlexGrid3");
    ASSERT_EQ(tally->model()->rowCount(), 2);
    for (int row = 0; row < 2; ++row) {
        const int i = categories->categories().indexOf(cell(tally, row, 1));
        ASSERT_GE(i, 0);
        const QString tip = tally->model()->index(row, 2).data(Qt::ToolTipRole).toString();
        EXPECT_EQ(tip, QStringLiteral("随机期望 %1，95%范围 %2–%3")
                           .arg(expected->at(i).y(), 0, 'f', 3)
                           .arg(band->lowerSeries()->at(2 * i).y(), 0, 'f', 1)
                           .arg(band->upperSeries()->at(2 * i).y(), 0, 'f', 1));
        // The bar of the value says the same with its count.
        auto* view = f.window->findChild<app::gui::TallyChart*>("tallyChart");
        const QPoint at = view->mapFromScene(
            chart->mapToScene(chart->mapToPosition(QPointF(i, 0.5), chart->series().front())));
        QHelpEvent hover(QEvent::ToolTip, at, view->viewport()->mapToGlobal(at));
        QApplication::sendEvent(view->viewport(), &hover);
        EXPECT_EQ(QToolTip::text(), QStringLiteral("%1：出现 %2 次（%3）\n")
                                            .arg(categories->categories()[i], cell(tally, row, 2),
                                                 cell(tally, row, 3)) +
                                        tip);
    }
    EXPECT_EQ(f.workspace().waitForWrites(), "");
}

TEST(SearchWindow, TheCombinationSearchTakesTheBoxAndTellsWhatIsWrong) {
    WindowFixture f;
    prepare(f);
    f.find<QRadioButton>("Option1_2")->click(); // 前期, N = 2
    auto* combo = f.find<QComboBox>("Combo1");
    combo->setCurrentText("x");
    QTest::mouseClick(f.find<QPushButton>("Command2"), Qt::LeftButton);
    ASSERT_EQ(f.prompter.warnings().size(), 1u);
    EXPECT_EQ(combo->currentText(), "2");
    EXPECT_EQ(f.storedSetting("intZhWSetup"), "");

    // A size outside 1..5 searches and finds nothing: the tally of an empty hit set.
    combo->setCurrentText("6");
    QTest::mouseClick(f.find<QPushButton>("Command2"), Qt::LeftButton);
    EXPECT_EQ(f.prompter.warnings().size(), 1u);
    EXPECT_EQ(f.storedSetting("intZhWSetup"), "6");
    EXPECT_EQ(f.find<QTableView>("MSFlexGrid2")->model()->rowCount(), 0);
    auto* tally = f.find<QTableView>("MSFlexGrid3");
    ASSERT_EQ(tally->model()->rowCount(), 11);
    EXPECT_EQ(tally->model()->index(0, 2).data().toString(), "0");
    EXPECT_EQ(tally->model()->index(0, 3).data().toString(), "");

    combo->setCurrentText("1");
    QTest::mouseClick(f.find<QPushButton>("Command2"), Qt::LeftButton);
    EXPECT_EQ(f.prompter.warnings().size(), 1u);
    EXPECT_EQ(f.storedSetting("intZhWSetup"), "1");
    auto* hits = f.find<QTableView>("MSFlexGrid2");
    EXPECT_EQ(header(hits, 6), "前期开奖");
    EXPECT_GT(hits->model()->rowCount(), 0);

    // An unreadable span is refused with a message; the grids keep the last result.
    const int before = hits->model()->rowCount();
    auto* end = f.find<QLineEdit>("Text3_1");
    end->setFocus();
    end->selectAll();
    QTest::keyClick(end, Qt::Key_Delete);
    QTest::mouseClick(f.find<QPushButton>("Command1"), Qt::LeftButton);
    EXPECT_EQ(f.prompter.warnings().size(), 2u);
    EXPECT_EQ(hits->model()->rowCount(), before);
}

TEST(SearchWindow, TheSecondTabSearchesTheTypedTargetsAtItsOwnPositions) {
    WindowFixture f;
    prepare(f);
    f.find<QRadioButton>("Option1_0")->click(); // fixed position
    f.find<QTabWidget>("TabStrip1")->setCurrentIndex(1);
    auto* typed = f.find<QLineEdit>("Text22_1");
    typed->setFocus();
    QTest::keyClicks(typed, "7");
    f.find<QCheckBox>("Check11_1")->setChecked(true);
    // A box of the first tab is not a position of the second.
    f.find<QCheckBox>("Check1_2")->setChecked(true);
    QTest::mouseClick(f.find<QPushButton>("Command1"), Qt::LeftButton);

    // Only 2016090803 follows a draw whose first number is 7.
    auto* hits = f.find<QTableView>("MSFlexGrid2");
    ASSERT_EQ(hits->model()->rowCount(), 1);
    EXPECT_EQ(cell(hits, 0, 0), "2016090803");
    EXPECT_EQ(cell(hits, 0, 6), "07 01 02 04 06 ");
}

namespace {

bool greyed(QTableView* grid) {
    const QPalette& palette = grid->palette();
    return palette.color(QPalette::Active, QPalette::Text) ==
               palette.color(QPalette::Disabled, QPalette::Text) &&
           palette.color(QPalette::Active, QPalette::Base) ==
               palette.color(QPalette::Disabled, QPalette::Base);
}

} // namespace

TEST(SearchWindow, ResultsOfAReplacedHistoryAreMarkedUntilTheNextSearch) {
    WindowFixture f;
    prepare(f);
    f.find<QRadioButton>("Option1_0")->click(); // fixed position
    f.find<QCheckBox>("Check1_1")->setChecked(true);
    auto* hint = f.find<QLabel>("staleResultsHint");
    auto* hits = f.find<QTableView>("MSFlexGrid2");
    auto* tally = f.find<QTableView>("MSFlexGrid3");
    auto* chart = f.window->findChild<app::gui::TallyChart*>("tallyChart");
    ASSERT_NE(chart, nullptr);
    const auto marked = [&] {
        const bool shown = hint->isVisible();
        EXPECT_EQ(greyed(hits), shown);
        EXPECT_EQ(greyed(tally), shown);
        EXPECT_EQ(chart->faded(), shown);
        return shown;
    };
    const auto search = [&] { QTest::mouseClick(f.find<QPushButton>("Command1"), Qt::LeftButton); };
    const std::string file = f.store.dir.file("draws.txt");
    std::ofstream(file, std::ios::binary) << "16100150 03 01 02 04 06\n07 01 02 04 06\n"
                                             "03 01 02 04 06\n05 01 02 04 06\n";

    const auto typeDraw = [&] {
        for (int i = 0; i < 5; ++i)
            QTest::keyClicks(f.find<QLineEdit>(QStringLiteral("MaskEdBox1_%1").arg(i + 1)),
                             QStringLiteral("%1").arg(i + 7, 2, 10, QLatin1Char('0')));
    };

    // Before the first search the empty grids have nothing to mark.
    f.prompter.answers = {QStringLiteral("1")};
    f.prompter.confirmations = {true};
    f.find<QAction>("mnuEszhzd")->trigger();
    ASSERT_EQ(f.workspace().rows().size(), 4u);
    EXPECT_FALSE(marked());

    typeDraw(); // 07 08 09 10 11 after 03 07 03 05: the periods after a 07 are hits
    search();
    ASSERT_EQ(hits->model()->rowCount(), 1);
    EXPECT_FALSE(marked());
    // Deleting the newest draw and typing one leave the results as they are.
    QTest::mouseClick(f.find<QPushButton>("Command3"), Qt::LeftButton);
    ASSERT_EQ(f.workspace().rows().size(), 4u);
    typeDraw();
    ASSERT_EQ(f.workspace().rows().size(), 5u);
    EXPECT_FALSE(marked());

    // Each operation that replaces or cuts back the history marks them; the next search clears
    // the mark.
    const std::vector<std::pair<const char*, std::function<void()>>> changes = {
        {"删除最后指定数量期历史",
         [&] {
             f.prompter.answers = {QStringLiteral("1")};
             f.prompter.confirmations = {true};
             f.find<QAction>("mnuEszhzd")->trigger();
         }},
        {"删除到选定期",
         [&] {
             f.prompter.answers = {QStringLiteral("2016090802")};
             f.prompter.confirmations = {true};
             f.find<QAction>("mnuDlzd")->trigger();
         }},
        {"读取历史号文本",
         [&] {
             f.prompter.confirmations = {true};
             f.prompter.files = {QString::fromStdString(file)};
             QTest::mouseClick(f.find<QPushButton>("cmdRdLst"), Qt::LeftButton);
         }},
    };
    for (const auto& [name, change] : changes) {
        SCOPED_TRACE(name);
        const size_t before = f.workspace().rows().size();
        change();
        ASSERT_NE(f.workspace().rows().size(), before);
        EXPECT_TRUE(marked());
        EXPECT_EQ(hint->text(), "以下检索结果属于更改前的历史号码，请重新检索");
        EXPECT_TRUE(f.prompter.warnings().empty());
        search();
        EXPECT_FALSE(marked());
    }

    // A refused search (an unreadable span end) keeps the mark.
    f.prompter.answers = {QStringLiteral("1")};
    f.prompter.confirmations = {true};
    f.find<QAction>("mnuEszhzd")->trigger();
    ASSERT_TRUE(marked());
    auto* end = f.find<QLineEdit>("Text3_1");
    end->setFocus();
    end->selectAll();
    QTest::keyClick(end, Qt::Key_Delete);
    search();
    EXPECT_EQ(f.prompter.warnings().size(), 1u);
    EXPECT_TRUE(marked());

    // Clearing marks them too; a search of the empty history runs and finds nothing.
    f.prompter.confirmations = {true};
    f.find<QAction>("mnuClear")->trigger();
    ASSERT_TRUE(f.workspace().rows().empty());
    EXPECT_TRUE(marked());
    search();
    EXPECT_EQ(f.prompter.warnings().size(), 1u);
    EXPECT_FALSE(marked());
    EXPECT_EQ(hits->model()->rowCount(), 0);
}
