// The trend view beside the history grid: its model against the omission table, the choices,
// the span, following new draws, and the chart of one value.

#include "window_fixture.h"

#include "app/gui/trend_view.h"
#include "search/tally.h"

#include <QAbstractItemModelTester>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

using app::gui::TrendModel;
using testing_support::WindowFixture;

namespace {

void prepare(WindowFixture& f) {
    f.store.type("2016090801", {{"03", "01", "02", "04", "06"},
                                {"01", "03", "02", "04", "06"},
                                {"05", "06", "07", "08", "09"},
                                {"03", "01", "02", "04", "06"}});
    f.open();
    f.find<QTabWidget>("historyTabs")->setCurrentIndex(1);
    QApplication::processEvents();
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
    ASSERT_EQ(model->rowCount(), periods + TrendModel::kSummaryRows);
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
    }
}

} // namespace

TEST(TrendWindow, TheCellsShowTheOmissionsOfTheChosenKindAndPosition) {
    WindowFixture f;
    prepare(f);
    auto* view = f.find<QTableView>("trendView");
    QAbstractItemModel* model = view->model();
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::Fatal);

    // Numbers at any position: 05 only in the third period.
    ASSERT_EQ(model->rowCount(), 4 + TrendModel::kSummaryRows);
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
            f.find<QComboBox>("trendKind")->setCurrentIndex(kind);
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
    f.find<QComboBox>("trendKind")->setCurrentIndex(0);
    f.find<QComboBox>("trendPosition")->setCurrentIndex(0);
    f.find<QCheckBox>("trendHideNumbers")->setChecked(true);
    EXPECT_EQ(cell(model, 1, five), "");
    EXPECT_EQ(cell(model, 2, five), "05");
    EXPECT_EQ(cell(model, 4, five), "1");
}

TEST(TrendWindow, ItFollowsNewDrawsAndKeepsASpanTheUserChose) {
    WindowFixture f;
    prepare(f);
    QAbstractItemModel* model = f.find<QTableView>("trendView")->model();
    auto* from = f.find<QLineEdit>("trendFrom");
    auto* to = f.find<QLineEdit>("trendTo");
    EXPECT_EQ(from->text(), "2016090801");
    EXPECT_EQ(to->text(), "2016090804");

    typeDraw(f, {"05", "07", "09", "10", "11"});
    ASSERT_EQ(f.workspace().rows().size(), 5u);
    ASSERT_EQ(model->rowCount(), 5 + TrendModel::kSummaryRows);
    EXPECT_EQ(cell(model, 4, 1), "05 07 09 10 11");
    EXPECT_EQ(cell(model, 4, 2 + 4), "05");
    EXPECT_EQ(to->text(), "2016090805");

    // A start the user moved stays; the end still follows.
    from->setText("2016090803");
    emit from->editingFinished();
    ASSERT_EQ(model->rowCount(), 3 + TrendModel::kSummaryRows);
    EXPECT_EQ(cell(model, 0, 0), "2016090803");
    typeDraw(f, {"01", "02", "03", "04", "05"});
    EXPECT_EQ(from->text(), "2016090803");
    EXPECT_EQ(to->text(), "2016090806");
    EXPECT_EQ(model->rowCount(), 4 + TrendModel::kSummaryRows);

    // An end that is no period keeps the table and says what to type.
    to->setText("2016");
    emit to->editingFinished();
    EXPECT_EQ(model->rowCount(), 4 + TrendModel::kSummaryRows);
    EXPECT_FALSE(f.find<QLabel>("trendNote")->text().isEmpty());
}

TEST(TrendWindow, AClickedValueShowsItsOmissionInTheChartAndTheTabMakesRoom) {
    WindowFixture f;
    f.store.type("2016090801", std::vector<std::array<std::string, 5>>(
                                   130, std::array<std::string, 5>{"01", "02", "03", "04", "05"}));
    f.open();
    f.window->resize(1024, 640);
    QTest::qWait(10);
    auto* tabs = f.find<QTabWidget>("historyTabs");
    const int narrow = tabs->width();
    tabs->setCurrentIndex(1);
    QApplication::processEvents();
    auto* view = f.find<QTableView>("trendView");
    // The whole table beside its scroll bar fits the widened column.
    EXPECT_GT(tabs->width(), narrow);
    int columns = 0;
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

    tabs->setCurrentIndex(0);
    QApplication::processEvents();
    EXPECT_EQ(tabs->width(), narrow);
}
