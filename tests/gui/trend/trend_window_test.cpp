// The trend view beside the history grid: its model against the omission table, the choices,
// the span, following new draws, and the chart of one value.

#include "gui/window_fixture.h"

#include "gui/trend/trend_view.h"
#include "search/tally.h"

#include <QAbstractItemModelTester>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolTip>

using app::gui::TrendModel;
using testing_support::WindowFixture;

namespace {
// 江西 drawing 84 a day, every 10 minutes from 09:10: the days these tests are written for.
const std::string kEightyFour = "[IniSetting]\nGameSchedules=\"22=09:10/10/84\"\n";
} // namespace

namespace {

// One kind at a time, as the kind chooser offers it after the charts.
void chooseKind(WindowFixture& f, int kind) {
    auto* kinds = f.find<QComboBox>("trendKind");
    kinds->setCurrentIndex(kinds->findData(kind));
}

void prepare(WindowFixture& f) {
    f.store.type("2016090801", {{"03", "01", "02", "04", "06"},
                                {"01", "03", "02", "04", "06"},
                                {"05", "06", "07", "08", "09"},
                                {"03", "01", "02", "04", "06"}});
    f.open();
    f.find<QTabBar>("pageTabs")->setCurrentIndex(1);
    QApplication::processEvents();
    chooseKind(f, history::Number);
}

QString cell(QAbstractItemModel* model, int row, int column) {
    return model->index(row, column).data().toString();
}

void typeDraw(WindowFixture& f, const std::array<const char*, 5>& numbers) {
    for (int i = 0; i < 5; ++i)
        QTest::keyClicks(f.find<QLineEdit>(QStringLiteral("MaskEdBox1_%1").arg(i + 1)),
                         QLatin1String(numbers[static_cast<size_t>(i)]));
}

// Every cell of the model as the table has it.
void expectAgreement(QAbstractItemModel* model, const search::OmissionTable& table) {
    const int periods = static_cast<int>(table.periods());
    auto* trend = qobject_cast<TrendModel*>(model);
    ASSERT_NE(trend, nullptr);
    // The summary, 分布检验 where each period carries one value, and the 预选 rows.
    ASSERT_EQ(trend->testRow() >= 0, table.singleValued());
    ASSERT_EQ(model->rowCount(), periods + TrendModel::kSummaryRows +
                                     (table.singleValued() ? 1 : 0) + TrendModel::kMarkRows);
    ASSERT_EQ(model->columnCount(),
              TrendModel::kLeadColumns + static_cast<int>(table.values().size()));
    for (int r = 0; r < periods; ++r) {
        for (size_t v = 0; v < table.values().size(); ++v) {
            const QModelIndex index =
                model->index(r, TrendModel::kLeadColumns + static_cast<int>(v));
            const bool carries = table.carries(static_cast<size_t>(r), v);
            EXPECT_EQ(index.data(TrendModel::CarriesRole).toBool(), carries);
            if (!carries) {
                EXPECT_EQ(index.data().toString(),
                          QString::number(table.omission(static_cast<size_t>(r), v)));
            }
        }
    }
    for (size_t v = 0; v < table.values().size(); ++v) {
        const int c = TrendModel::kLeadColumns + static_cast<int>(v);
        EXPECT_EQ(cell(model, periods, c), QString::number(table.summary()[v].count));
        EXPECT_EQ(cell(model, periods + 2, c), QString::number(table.summary()[v].max));
        EXPECT_EQ(cell(model, periods + 3, c), QString::number(table.summary()[v].current));
        EXPECT_EQ(cell(model, periods + 4, c), QString::number(table.summary()[v].maxRun));
        EXPECT_EQ(cell(model, periods + 5, c), QString::number(table.countInLast(v, 10)));
    }
    if (const auto& test = table.uniformity()) {
        EXPECT_EQ(cell(model, periods + 6, 0), "分布检验");
        if (test->tested()) {
            EXPECT_TRUE(cell(model, periods + 6, 1)
                            .startsWith(QStringLiteral("χ² = %1，df = %2，p = ")
                                            .arg(QString::number(test->chi2, 'f', 2))
                                            .arg(test->df)));
            EXPECT_TRUE(
                cell(model, periods + 6, 1).endsWith(QStringLiteral("（%1组）").arg(test->groups)));
        } else {
            EXPECT_EQ(cell(model, periods + 6, 1), QStringLiteral("期数太少，无法检验"));
        }
    }
}

} // namespace

TEST(TrendWindow, TheCellsShowTheOmissionsOfTheChosenKindAndPosition) {
    WindowFixture f{kEightyFour};
    prepare(f);
    auto* view = f.find<QTableView>("trendView");
    QAbstractItemModel* model = view->model();
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::Fatal);

    // Numbers at any position: 05 only in the third period.
    ASSERT_EQ(model->rowCount(), 4 + TrendModel::kSummaryRows + TrendModel::kMarkRows);
    ASSERT_EQ(model->columnCount(), 2 + 11);
    const int five = 2 + 4;
    EXPECT_EQ(cell(model, 0, 0), "2016090801");
    EXPECT_EQ(cell(model, 1, 1), "01 03 02 04 06");
    EXPECT_EQ(model->headerData(five, Qt::Horizontal).toString(), "05");
    EXPECT_EQ(cell(model, 0, five), "1");
    EXPECT_EQ(cell(model, 1, five), "2");
    EXPECT_EQ(cell(model, 2, five), "05");
    EXPECT_TRUE(model->index(2, five).data(TrendModel::CarriesRole).toBool());
    EXPECT_EQ(cell(model, 3, five), "1");
    EXPECT_EQ(cell(model, 4, 0), "出现次数");
    EXPECT_EQ(cell(model, 4, five), "1");
    EXPECT_EQ(cell(model, 5, five), "2.0"); // 4 periods / (1 + 1)
    EXPECT_EQ(cell(model, 6, five), "2");
    EXPECT_EQ(cell(model, 7, five), "1");
    EXPECT_EQ(cell(model, 8, 2 + 2), "2"); // 03 in the first two periods

    // Any kind and position: every cell as the omission table has it.
    for (int kind = 0; kind < 6; ++kind) {
        for (int position = 0; position <= 5; position += 2) {
            SCOPED_TRACE(std::to_string(kind) + " at " + std::to_string(position));
            chooseKind(f, kind);
            f.find<QComboBox>("trendPosition")->setCurrentIndex(position);
            search::OmissionRequest request;
            request.kind = static_cast<history::Kind>(kind);
            request.position = position;
            request.zodiacBase = f.workspace().settings().zodiacBase;
            request.segmentBase = f.workspace().settings().segmentBase;
            const search::OmissionTable table(f.workspace().rows(), request,
                                              f.workspace().zodiac());
            expectAgreement(model, table);
            EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString(),
                      kind == 0 ? "01"
                                : QString::fromStdString(search::valueText(
                                      kind, table.values().front(), request.zodiacBase)));
        }
    }

    // Hidden numbers leave the balls.
    chooseKind(f, history::Number);
    f.find<QComboBox>("trendPosition")->setCurrentIndex(0);
    f.find<QCheckBox>("trendHideNumbers")->setChecked(true);
    EXPECT_EQ(cell(model, 1, five), "");
    EXPECT_EQ(cell(model, 2, five), "05");
    EXPECT_EQ(cell(model, 4, five), "1");
}

TEST(TrendWindow, ItFollowsNewDrawsAndKeepsASpanTheUserChose) {
    WindowFixture f{kEightyFour};
    prepare(f);
    QAbstractItemModel* model = f.find<QTableView>("trendView")->model();
    auto* from = f.find<QLineEdit>("trendFrom");
    auto* to = f.find<QLineEdit>("trendTo");
    EXPECT_EQ(from->text(), "2016090801");
    EXPECT_EQ(to->text(), "2016090804");

    typeDraw(f, {"05", "07", "09", "10", "11"});
    ASSERT_EQ(f.workspace().rows().size(), 5u);
    ASSERT_EQ(model->rowCount(), 5 + TrendModel::kSummaryRows + TrendModel::kMarkRows);
    EXPECT_EQ(cell(model, 4, 1), "05 07 09 10 11");
    EXPECT_EQ(cell(model, 4, 2 + 4), "05");
    EXPECT_EQ(to->text(), "2016090805");

    // A start the user moved stays; the end still follows.
    from->setText("2016090803");
    emit from->editingFinished();
    ASSERT_EQ(model->rowCount(), 3 + TrendModel::kSummaryRows + TrendModel::kMarkRows);
    EXPECT_EQ(cell(model, 0, 0), "2016090803");
    typeDraw(f, {"01", "02", "03", "04", "05"});
    EXPECT_EQ(from->text(), "2016090803");
    EXPECT_EQ(to->text(), "2016090806");
    EXPECT_EQ(model->rowCount(), 4 + TrendModel::kSummaryRows + TrendModel::kMarkRows);

    // An end that is no period keeps the table and says what to type.
    to->setText("2016");
    emit to->editingFinished();
    EXPECT_EQ(model->rowCount(), 4 + TrendModel::kSummaryRows + TrendModel::kMarkRows);
    EXPECT_FALSE(f.find<QLabel>("trendNote")->text().isEmpty());
}

TEST(TrendWindow, AClickedValueShowsItsOmissionInTheChartAndTheBasicChartFits) {
    WindowFixture f{kEightyFour};
    f.store.type("2016090801", std::vector<std::array<std::string, 5>>(
                                   130, std::array<std::string, 5>{"01", "02", "03", "04", "05"}));
    f.open(); // 1366x768
    QTest::qWait(10);
    auto* tabs = f.find<QTabBar>("pageTabs");
    tabs->setCurrentIndex(1);
    QApplication::processEvents();
    auto* view = f.find<QTableView>("trendView");
    // The whole basic chart beside its scroll bar fits the page.
    int columns = 0;
    for (int c = 0; c < view->model()->columnCount(); ++c) columns += view->columnWidth(c);
    EXPECT_GE(view->viewport()->width(), columns);
    // The same over the whole history.
    auto* presets = f.find<QComboBox>("trendPreset");
    presets->setCurrentIndex(presets->findText(QStringLiteral("全部")));
    emit presets->activated(presets->currentIndex());
    columns = 0;
    for (int c = 0; c < view->model()->columnCount(); ++c) columns += view->columnWidth(c);
    EXPECT_GE(view->viewport()->width(), columns);
    // The newest periods are in sight.
    EXPECT_TRUE(view->rect().contains(view->visualRect(view->model()->index(129, 0))) ||
                view->visualRect(view->model()->index(134, 0)).isValid());

    // 06 never came: its omission climbs over the last 100 periods, from 31 to 130.
    QTest::mouseClick(view->horizontalHeader()->viewport(), Qt::LeftButton, {},
                      QPoint(view->columnViewportPosition(2 + 5) + 4, 4));
    auto* chart = f.find<QChartView>("trendChart")->chart();
    ASSERT_EQ(chart->series().size(), 1);
    auto* line = qobject_cast<QLineSeries*>(chart->series().front());
    ASSERT_NE(line, nullptr);
    ASSERT_EQ(line->count(), 100);
    EXPECT_EQ(line->at(0).y(), 31.0);
    EXPECT_EQ(line->at(99).y(), 130.0);
    EXPECT_TRUE(chart->title().startsWith(QStringLiteral("06")));
    // Its tooltip names the period under the pointer and the omission there.
    auto* chartView = f.find<QChartView>("trendChart");
    const QPoint at =
        chartView->mapFromScene(chart->mapToScene(chart->mapToPosition(line->at(99), line)));
    QHelpEvent hover(QEvent::ToolTip, at, chartView->viewport()->mapToGlobal(at));
    QApplication::sendEvent(chartView->viewport(), &hover);
    EXPECT_EQ(QToolTip::text(), QStringLiteral("2016090946期\n号码（任意位） 06：遗漏 130 期"));
}

namespace {

void chooseShape(WindowFixture& f, search::Shape shape) {
    auto* kinds = f.find<QComboBox>("trendKind");
    const int index = kinds->findText(QString::fromUtf8(search::shapeCaption(shape)));
    ASSERT_GE(index, 0);
    kinds->setCurrentIndex(index);
}

search::OmissionTable shapeTable(WindowFixture& f, search::Shape shape, int start = 0,
                                 int end = 0) {
    search::OmissionRequest request;
    request.shape = shape;
    request.spanStart = start;
    request.spanEnd = end;
    return search::OmissionTable(f.workspace().rows(), request, f.workspace().zodiac());
}

// Clicks the cell of the view at row and column.
void clickCell(QTableView* view, int row, int column) {
    view->scrollTo(view->model()->index(row, column));
    const QRect rect = view->visualRect(view->model()->index(row, column));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
}

} // namespace

TEST(TrendWindow, ShapesOfTheDrawHaveTheirOwnGroupAndTheSameFigures) {
    WindowFixture f{kEightyFour};
    prepare(f); // 03 01 02 04 06, 01 03 02 04 06, 05 06 07 08 09, 03 01 02 04 06
    auto* view = f.find<QTableView>("trendView");
    QAbstractItemModel* model = view->model();
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    auto* kinds = f.find<QComboBox>("trendKind");
    auto* positions = f.find<QComboBox>("trendPosition");

    // The shapes follow the six kinds under a heading that cannot be chosen.
    const int heading = kinds->findText(QStringLiteral("— 形态 —"));
    ASSERT_GT(heading, 6);
    EXPECT_FALSE(qobject_cast<QStandardItemModel*>(kinds->model())->item(heading)->isEnabled());
    for (int s = 0; s < search::kShapes; ++s) {
        const auto shape = search::Shape(s);
        SCOPED_TRACE(search::shapeName(shape));
        chooseShape(f, shape);
        EXPECT_FALSE(positions->isEnabled());
        const auto table = shapeTable(f, shape);
        expectAgreement(model, table);
        EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString(),
                  QString::fromStdString(search::shapeLabel(shape, table.values().front())));
    }
    kinds->setCurrentIndex(3);
    EXPECT_TRUE(positions->isEnabled());

    // Repeats leave out the first period: 01 03 02 04 06 repeats all five of the draw before.
    chooseShape(f, search::Shape::Repeat);
    EXPECT_EQ(cell(model, 0, 0), "2016090802");
    EXPECT_EQ(cell(model, 0, 2 + 5), "5");
    EXPECT_TRUE(model->index(0, 2 + 5).data(TrendModel::CarriesRole).toBool());

    // A cell's tooltip: the period, the value, its omission and its chance (sum 16 of five:
    // only 01 02 03 04 06, 1 of 462 sets).
    chooseShape(f, search::Shape::Sum5);
    const QString tip = model->index(2, 2 + 1).data(Qt::ToolTipRole).toString();
    EXPECT_TRUE(tip.contains("2016090803")) << tip.toStdString();
    EXPECT_TRUE(tip.contains(QStringLiteral("和值 16：遗漏 1 期"))) << tip.toStdString();
    EXPECT_TRUE(tip.contains(QStringLiteral("0.22%"))) << tip.toStdString();
    EXPECT_TRUE(model->index(0, 2 + 1).data(Qt::ToolTipRole).toString().contains("本期开出"));
}

TEST(TrendWindow, LayersLineAndMarkedRowsKeptWhileTheProgramRuns) {
    WindowFixture f{kEightyFour};
    prepare(f);
    auto* view = f.find<QTableView>("trendView");
    auto* trend = qobject_cast<TrendModel*>(view->model());
    ASSERT_NE(trend, nullptr);
    QAbstractItemModelTester tester(trend, QAbstractItemModelTester::FailureReportingMode::Fatal);
    chooseShape(f, search::Shape::Odd); // odd counts 3, 3, 3, 3... of each draw

    // Layers shade the cells after each value's last carrying period only.
    const auto table = shapeTable(f, search::Shape::Odd);
    f.find<QCheckBox>("trendLayers")->setChecked(true);
    for (size_t v = 0; v < table.values().size(); ++v) {
        for (size_t i = 0; i < table.periods(); ++i) {
            const bool cold =
                !table.carries(i, v) && static_cast<std::int64_t>(i) > table.lastCarrying(v);
            EXPECT_EQ(trend->index(static_cast<int>(i), 2 + static_cast<int>(v))
                          .data(Qt::BackgroundRole)
                          .isValid(),
                      cold)
                << i << " " << v;
        }
    }
    f.find<QCheckBox>("trendLayers")->setChecked(false);
    EXPECT_FALSE(trend->index(0, 2).data(Qt::BackgroundRole).isValid());

    // The line joins the balls where each period carries one value; at any position it cannot.
    auto* line = f.find<QCheckBox>("trendLine");
    EXPECT_TRUE(line->isEnabled());
    line->setChecked(true);
    EXPECT_FALSE(view->grab().isNull());
    chooseKind(f, history::Number);
    EXPECT_FALSE(line->isEnabled());

    // A click on a 预选 row marks a value; another kind has its own marks; they stay when the
    // history grows and go with the button.
    chooseShape(f, search::Shape::Odd);
    const int marks = trend->firstMarkRow();
    EXPECT_EQ(cell(trend, marks, 0), "预选1");
    clickCell(view, marks + 1, 2 + 3);
    EXPECT_TRUE(trend->index(marks + 1, 2 + 3).data(TrendModel::MarkedRole).toBool());
    EXPECT_EQ(cell(trend, marks + 1, 2 + 3), "3:2");
    EXPECT_FALSE(trend->index(marks, 2 + 3).data(TrendModel::MarkedRole).toBool());
    chooseKind(f, history::Number);
    EXPECT_FALSE(
        trend->index(trend->firstMarkRow() + 1, 2 + 3).data(TrendModel::MarkedRole).toBool());
    typeDraw(f, {"05", "07", "09", "10", "11"});
    chooseShape(f, search::Shape::Odd);
    EXPECT_TRUE(
        trend->index(trend->firstMarkRow() + 1, 2 + 3).data(TrendModel::MarkedRole).toBool());
    clickCell(view, trend->firstMarkRow() + 1, 2 + 3);
    EXPECT_FALSE(
        trend->index(trend->firstMarkRow() + 1, 2 + 3).data(TrendModel::MarkedRole).toBool());
    clickCell(view, trend->firstMarkRow() + 2, 2 + 1);
    QTest::mouseClick(f.find<QPushButton>("trendClearMarks"), Qt::LeftButton);
    EXPECT_FALSE(
        trend->index(trend->firstMarkRow() + 2, 2 + 1).data(TrendModel::MarkedRole).toBool());
}

TEST(TrendWindow, SpanPresetsAcrossMidnightAndShorterHistories) {
    WindowFixture f{kEightyFour};
    // Two draws before midnight and three after (84 draws a day).
    f.store.type("2016090883", {{"03", "01", "02", "04", "06"},
                                {"01", "03", "02", "04", "06"},
                                {"05", "06", "07", "08", "09"},
                                {"03", "01", "02", "04", "06"},
                                {"07", "08", "09", "10", "11"}});
    f.open(); // today is 8 September 2016
    f.find<QTabBar>("pageTabs")->setCurrentIndex(1);
    QApplication::processEvents();
    chooseKind(f, history::Number);
    auto* presets = f.find<QComboBox>("trendPreset");
    auto* from = f.find<QLineEdit>("trendFrom");
    auto* to = f.find<QLineEdit>("trendTo");
    QAbstractItemModel* model = f.find<QTableView>("trendView")->model();
    const auto choose = [&](const QString& preset) {
        presets->setCurrentIndex(presets->findText(preset));
        emit presets->activated(presets->currentIndex());
    };
    const auto periods = [&] {
        return model->rowCount() - TrendModel::kSummaryRows - TrendModel::kMarkRows;
    };
    ASSERT_EQ(f.workspace().rows().back().period, 16090903);

    choose(QStringLiteral("今天"));
    EXPECT_EQ(from->text(), "2016090801");
    EXPECT_EQ(to->text(), "2016090884");
    EXPECT_EQ(periods(), 2);
    EXPECT_EQ(cell(model, 0, 0), "2016090883");
    choose(QStringLiteral("昨天"));
    EXPECT_EQ(from->text(), "2016090701");
    EXPECT_EQ(model->rowCount(), 0); // no table of zeros: the note says there was no draw

    // After midnight today is the 9th, and yesterday the 8th.
    f.workspace().setToday(std::chrono::year_month_day{
        std::chrono::year{2016}, std::chrono::September, std::chrono::day{9}});
    choose(QStringLiteral("昨天"));
    EXPECT_EQ(periods(), 2);
    choose(QStringLiteral("今天"));
    EXPECT_EQ(periods(), 3);
    EXPECT_EQ(cell(model, 0, 0), "2016090901");
    typeDraw(f, {"01", "02", "03", "04", "05"});
    EXPECT_EQ(periods(), 4); // a preset follows new draws

    // Presets longer than the history take all of it; an edited box makes the span the user's.
    choose(QStringLiteral("近30期"));
    EXPECT_EQ(from->text(), "2016090883");
    EXPECT_EQ(to->text(), "2016090904");
    EXPECT_EQ(periods(), 6);
    from->setText("2016090884");
    emit from->editingFinished();
    EXPECT_EQ(presets->currentText(), QStringLiteral("自定"));
    EXPECT_EQ(periods(), 5);
    choose(QStringLiteral("全部"));
    EXPECT_EQ(periods(), 6);
}
