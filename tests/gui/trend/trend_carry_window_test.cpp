// The trend page's charts as the results sites draw them: omissions carried over from the whole
// history into any span, the recent draws first and the span remembered, the summary with the
// sums and spans, the heading repeated, repeats and consecutive numbers marked, and the band of
// each position.

#include "gui/window_fixture.h"

#include "gui/trend/trend_cell.h"
#include "gui/trend/trend_table.h"
#include "gui/trend/trend_view.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QTabBar>
#include <QTableView>
#include <QTest>

#include <algorithm>

using app::gui::TrendModel;
using testing_support::WindowFixture;

namespace {

using Draw = std::array<int, 5>;

std::vector<std::array<std::string, 5>> texts(const std::vector<Draw>& draws) {
    std::vector<std::array<std::string, 5>> out;
    for (const Draw& d : draws) {
        std::array<std::string, 5> text;
        for (size_t i = 0; i < 5; ++i) text[i] = history::format00(d[i]);
        out.push_back(text);
    }
    return out;
}

// 130 draws of the numbers 01..10 but the tenth, which draws 11: by the newest period 11 has
// stayed away 120 periods.
std::vector<Draw> longHistory() {
    std::vector<Draw> draws;
    for (int i = 0; i < 130; ++i) {
        Draw d{};
        for (int k = 0; k < 5; ++k) d[static_cast<size_t>(k)] = (i * 3 + k * 2) % 10 + 1;
        if (i == 9) d[4] = 11;
        draws.push_back(d);
    }
    return draws;
}

bool drawn(const Draw& d, int n) {
    return std::find(d.begin(), d.end(), n) != d.end();
}

// The omission of number n at row r counted back over the whole history.
long wholeOmission(const std::vector<Draw>& draws, size_t r, int n) {
    for (size_t back = 0; back <= r; ++back)
        if (drawn(draws[r - back], n)) return static_cast<long>(back);
    return static_cast<long>(r) + 1;
}

void showTrendPage(WindowFixture& f) {
    f.find<QTabBar>("pageTabs")->setCurrentIndex(1);
    QApplication::processEvents();
}

TrendModel* trendModel(WindowFixture& f) {
    return qobject_cast<TrendModel*>(f.find<QTableView>("trendView")->model());
}

void choosePreset(WindowFixture& f, const QString& text) {
    auto* preset = f.find<QComboBox>("trendPreset");
    preset->setCurrentIndex(preset->findText(text));
    emit preset->activated(preset->currentIndex());
}

// Every shown omission and the summary's true and own figures against a count over the whole
// history.
void expectCarried(TrendModel* model, const std::vector<Draw>& draws) {
    const int periods = model->periods();
    const size_t first = draws.size() - static_cast<size_t>(periods);
    for (int n = 1; n <= 11; ++n) {
        SCOPED_TRACE(n);
        const int column = 1 + n;
        long own = 0, ownMax = 0, wholeMax = 0;
        for (size_t r = 0; r < draws.size(); ++r) {
            wholeMax = std::max(wholeMax, wholeOmission(draws, r, n));
            if (r < first) continue;
            const int i = static_cast<int>(r - first);
            own = drawn(draws[r], n) ? 0 : own + 1;
            ownMax = std::max(ownMax, own);
            if (!drawn(draws[r], n)) {
                EXPECT_EQ(model->index(i, column).data().toString(),
                          QString::number(wholeOmission(draws, r, n)))
                    << i;
            }
        }
        const long current = wholeOmission(draws, draws.size() - 1, n);
        // The whole history's figure, then the span's own where it differs.
        const auto spanOwn = [](long whole, long span) {
            return whole == span ? QString() : QString::number(span);
        };
        EXPECT_EQ(model->index(periods + 2, column).data().toString(), QString::number(wholeMax));
        EXPECT_EQ(model->index(periods + 3, column).data().toString(), spanOwn(wholeMax, ownMax));
        EXPECT_EQ(model->index(periods + 4, column).data().toString(), QString::number(current));
        EXPECT_EQ(model->index(periods + 5, column).data().toString(), spanOwn(current, own));
    }
}

// Closes the window as the user would and opens a new one over the same settings file.
void reopen(WindowFixture& f) {
    f.window->close();
    f.window.reset();
    f.open();
    QApplication::processEvents();
}

} // namespace

TEST(TrendCarryOver, RecentSpansCarryTheWholeHistorysOmissionAndTheSpanIsRemembered) {
    WindowFixture f;
    const std::vector<Draw> draws = longHistory();
    f.store.type("2016090801", texts(draws));
    f.open();
    showTrendPage(f);
    TrendModel* model = trendModel(f);
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::Fatal);

    // The page opens on the last 50 draws.
    EXPECT_EQ(f.find<QComboBox>("trendPreset")->currentText(), QStringLiteral("近50期"));
    ASSERT_EQ(model->periods(), 50);
    expectCarried(model, draws);

    // 近30: its first row reads 91 for 11, not 1; the summary says 120 with the span's 30 under.
    choosePreset(f, QStringLiteral("近30期"));
    ASSERT_EQ(model->periods(), 30);
    EXPECT_EQ(model->index(0, 2 + 10).data().toString(), "91");
    EXPECT_EQ(model->index(30 + 4, 0).data().toString(), QStringLiteral("当前遗漏"));
    EXPECT_EQ(model->index(30 + 4, 2 + 10).data().toString(), "120");
    EXPECT_EQ(model->index(30 + 5, 2 + 10).data().toString(), "30");
    EXPECT_TRUE(model->index(30 + 4, 2 + 10)
                    .data(Qt::ToolTipRole)
                    .toString()
                    .contains(QStringLiteral("从全部历史算起")));
    expectCarried(model, draws);

    // The chart by position carries over too: 11 at the fifth position.
    auto* kinds = f.find<QComboBox>("trendKind");
    kinds->setCurrentIndex(kinds->findText(QStringLiteral("定位走势")));
    EXPECT_EQ(model->index(0, 2 + 4 * 11 + 10).data().toString(), "91");
    kinds->setCurrentIndex(kinds->findText(QStringLiteral("基本走势图")));

    // The choice comes back after a restart.
    reopen(f);
    showTrendPage(f);
    model = trendModel(f);
    EXPECT_EQ(f.find<QComboBox>("trendPreset")->currentText(), QStringLiteral("近30期"));
    ASSERT_EQ(model->periods(), 30);
    EXPECT_EQ(model->index(0, 2 + 10).data().toString(), "91");
}

TEST(TrendCarryOver, SummaryRowsHeadingRepeatsConsecutiveNumbersAndBands) {
    WindowFixture f;
    // 03 and 04 come in both of the last two draws (重号); 03 04 05 and 10 11 are consecutive.
    const std::vector<Draw> draws = {{1, 6, 8, 3, 4}, {3, 4, 5, 10, 11}};
    f.store.type("2016090801", texts(draws));
    f.open();
    showTrendPage(f);
    TrendModel* model = trendModel(f);
    auto* view = f.find<QTableView>("trendView");
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    ASSERT_EQ(model->periods(), 2);

    // After the eleven summary rows: 和值, 跨度, the heading, then the 预选 rows.
    EXPECT_EQ(model->sumRow(), 2 + 11);
    EXPECT_EQ(model->index(model->sumRow(), 0).data().toString(), QStringLiteral("和值"));
    EXPECT_EQ(model->index(model->spanRow(), 0).data().toString(), QStringLiteral("跨度"));
    // Sums 22 and 33, spans 7 and 8.
    const QString sums = model->index(model->sumRow(), 1).data().toString();
    EXPECT_TRUE(sums.contains(QStringLiteral("平均 27.5（随机开奖平均 30.0），最小 22，最大 33")))
        << sums.toStdString();
    const QString spans = model->index(model->spanRow(), 1).data().toString();
    EXPECT_TRUE(spans.contains(QStringLiteral("7:1(")) && spans.contains(QStringLiteral("8:1(")))
        << spans.toStdString();
    EXPECT_EQ(view->columnSpan(model->sumRow(), 1), model->columnCount() - 1);
    const int heading = model->headingRow();
    EXPECT_EQ(heading, model->spanRow() + 1);
    EXPECT_EQ(model->firstMarkRow(), heading + 1);
    for (int c = 0; c < model->columnCount(); ++c) {
        const QString header = model->headerData(c, Qt::Horizontal).toString();
        EXPECT_EQ(model->index(heading, c).data().toString(),
                  header.section(QLatin1Char('\n'), 0, 0))
            << c;
    }
    EXPECT_EQ(model->index(heading, 2).data().toString(), "01");
    EXPECT_EQ(model->index(heading, 13).data().toString(), QStringLiteral("和值"));

    // Repeats and consecutive numbers of the newest draw.
    for (int n = 1; n <= 11; ++n) {
        SCOPED_TRACE(n);
        const QModelIndex cell = model->index(1, 1 + n);
        EXPECT_EQ(cell.data(TrendModel::RepeatRole).toBool(), n == 3 || n == 4);
        EXPECT_EQ(cell.data(TrendModel::ConsecutiveRole).toBool(),
                  n == 3 || n == 4 || n == 5 || n == 10 || n == 11);
        // The history's first draw repeats nothing; its 03 04 are consecutive.
        EXPECT_FALSE(model->index(0, 1 + n).data(TrendModel::RepeatRole).toBool());
        EXPECT_EQ(model->index(0, 1 + n).data(TrendModel::ConsecutiveRole).toBool(),
                  n == 3 || n == 4);
    }
    const auto* legend = f.find<QLabel>("trendMarksLegend");
    EXPECT_TRUE(legend->isVisible());
    EXPECT_TRUE(legend->text().contains(QStringLiteral("重号")));
    EXPECT_TRUE(legend->text().contains(QStringLiteral("连号")));

    // The one drawing of a cell: a repeat's ball in its own colour, a plain ball in red, the bar
    // of a consecutive number reaching the side of its consecutive neighbour only.
    const QRect rect(0, 0, 40, 24);
    const auto painted = [&](const QModelIndex& index) {
        QImage image(rect.size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        app::gui::paintTrendCell(painter, rect, index, view->font());
        return image;
    };
    const auto near = [](QColor a, QColor b) {
        return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                   std::abs(a.blue() - b.blue()) <
               30;
    };
    const QPoint ballEdge(rect.center().x(), rect.top() + 3);
    EXPECT_TRUE(
        near(painted(model->index(1, 1 + 3)).pixelColor(ballEdge), app::gui::kTrendRepeatBall));
    EXPECT_TRUE(near(painted(model->index(1, 1 + 10)).pixelColor(ballEdge), app::gui::kTrendBall));
    const QImage five = painted(model->index(1, 1 + 5)); // 05: 04 on its left, 06 not drawn
    EXPECT_TRUE(near(five.pixelColor(1, rect.center().y()), app::gui::kTrendConsecutiveBar));
    EXPECT_TRUE(near(five.pixelColor(rect.right() - 1, rect.center().y()), Qt::white));
    const QImage one = painted(model->index(0, 1 + 1)); // 01 alone: no bar
    EXPECT_TRUE(near(one.pixelColor(1, rect.center().y()), Qt::white));

    // The chart by position: a band of 第1位…第5位 in the heading and under the summary.
    auto* kinds = f.find<QComboBox>("trendKind");
    const int plainHeight = view->horizontalHeader()->sizeHint().height();
    kinds->setCurrentIndex(kinds->findText(QStringLiteral("定位走势")));
    EXPECT_FALSE(legend->isVisible());
    EXPECT_EQ(model->sumRow(), -1);
    ASSERT_EQ(model->headingRowCount(), 2);
    auto* header = qobject_cast<app::gui::TrendHeader*>(view->horizontalHeader());
    ASSERT_NE(header, nullptr);
    EXPECT_GT(header->bandHeight(), 0);
    EXPECT_GE(header->sizeHint().height(), plainHeight + header->bandHeight());
    const int band = model->headingRow() + 1;
    for (int p = 0; p < 5; ++p) {
        EXPECT_EQ(model->groupTitle(p), QStringLiteral("第%1位").arg(p + 1));
        EXPECT_EQ(model->index(band, 2 + 11 * p).data().toString(),
                  QStringLiteral("第%1位").arg(p + 1));
        EXPECT_EQ(view->columnSpan(band, 2 + 11 * p), 11);
    }
    EXPECT_EQ(model->firstMarkRow(), band + 1);
}
