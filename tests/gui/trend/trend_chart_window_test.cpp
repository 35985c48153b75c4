// The trend page's charts: the basic chart (draw, the eleven numbers, the shape columns, the
// summary with 理论次数, 欲出几率 and 冷温热) and the numbers by position, against a direct
// count over a hand-made history.

#include "gui/window_fixture.h"

#include "gui/trend/trend_view.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTabBar>
#include <QTableView>
#include <QTest>

#include <algorithm>
#include <set>

using app::gui::TrendModel;
using testing_support::WindowFixture;

namespace {

using Draw = std::array<int, 5>;

// Twelve draws: over the last ten, 02 comes six times (热), 01 five times but not in the last two
// (温), 04 twice (冷).
const std::vector<Draw> kDraws = {{9, 2, 3, 4, 5},   {9, 6, 7, 8, 10},  {1, 2, 3, 5, 6},
                                  {1, 4, 7, 8, 10},  {2, 3, 5, 6, 7},   {1, 8, 10, 11, 2},
                                  {3, 5, 6, 7, 11},  {1, 2, 8, 10, 11}, {3, 5, 6, 7, 4},
                                  {1, 2, 8, 10, 11}, {3, 5, 6, 7, 8},   {2, 3, 10, 11, 5}};

void prepare(WindowFixture& f) {
    std::vector<std::array<std::string, 5>> draws;
    for (const Draw& d : kDraws) {
        std::array<std::string, 5> text;
        for (size_t i = 0; i < 5; ++i) text[i] = history::format00(d[i]);
        draws.push_back(text);
    }
    f.store.type("2016090801", draws);
    f.open();
    f.find<QTabBar>("pageTabs")->setCurrentIndex(1);
    QApplication::processEvents();
}

QString cell(QAbstractItemModel* model, int row, int column) {
    return model->index(row, column).data().toString();
}

bool drawn(const Draw& d, int n) {
    return std::find(d.begin(), d.end(), n) != d.end();
}

} // namespace

TEST(TrendCharts, TheBasicChartOpensWithItsColumnsSummaryAndMarks) {
    WindowFixture f;
    prepare(f);
    auto* view = f.find<QTableView>("trendView");
    QAbstractItemModel* model = view->model();
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(f.find<QComboBox>("trendKind")->currentText(), QStringLiteral("基本走势图"));
    EXPECT_TRUE(f.find<QLabel>("trendLegend")->isVisible());
    EXPECT_TRUE(f.find<QLabel>("trendLegend")->text().contains(QStringLiteral("冷33.5%")));

    const int periods = static_cast<int>(kDraws.size());
    ASSERT_EQ(model->columnCount(), 2 + 11 + 7);
    // Eleven summary rows, 和值 and 跨度, the heading again, three 预选 rows.
    ASSERT_EQ(model->rowCount(), periods + 11 + 2 + 1 + 3);
    const QStringList shapes = {"和值", "跨度", "奇偶比", "大小比", "质合比", "012路比", "重号"};
    for (int k = 0; k < 7; ++k)
        EXPECT_EQ(model->headerData(13 + k, Qt::Horizontal).toString(), shapes[k]);

    std::array<long, 11> omission{}, count{}, max{}, run{}, maxRun{};
    for (int i = 0; i < periods; ++i) {
        SCOPED_TRACE(i);
        const Draw& d = kDraws[static_cast<size_t>(i)];
        EXPECT_EQ(cell(model, i, 0),
                  QStringLiteral("20160908%1").arg(i + 1, 2, 10, QLatin1Char('0')));
        for (int n = 1; n <= 11; ++n) {
            const auto k = static_cast<size_t>(n - 1);
            const QModelIndex index = model->index(i, 1 + n);
            omission[k] = drawn(d, n) ? 0 : omission[k] + 1;
            run[k] = drawn(d, n) ? run[k] + 1 : 0;
            count[k] += drawn(d, n);
            max[k] = std::max(max[k], omission[k]);
            maxRun[k] = std::max(maxRun[k], run[k]);
            EXPECT_EQ(index.data(TrendModel::CarriesRole).toBool(), drawn(d, n)) << n;
            EXPECT_EQ(index.data().toString(), drawn(d, n)
                                                   ? QString::fromStdString(history::format00(n))
                                                   : QString::number(omission[k]))
                << n;
        }
        int sum = 0, odd = 0, big = 0, prime = 0, repeat = 0;
        std::array<int, 3> routes{};
        for (int n : d) {
            sum += n;
            odd += n % 2;
            big += n >= 6;
            prime += std::set<int>{1, 2, 3, 5, 7, 11}.count(n) ? 1 : 0;
            ++routes[static_cast<size_t>(n % 3)];
            if (i > 0) repeat += drawn(kDraws[static_cast<size_t>(i - 1)], n);
        }
        const auto [low, high] = std::minmax_element(d.begin(), d.end());
        EXPECT_EQ(cell(model, i, 13), QString::number(sum));
        EXPECT_EQ(cell(model, i, 14), QString::number(*high - *low));
        EXPECT_EQ(cell(model, i, 15), QStringLiteral("%1:%2").arg(odd).arg(5 - odd));
        EXPECT_EQ(cell(model, i, 16), QStringLiteral("%1:%2").arg(big).arg(5 - big));
        EXPECT_EQ(cell(model, i, 17), QStringLiteral("%1:%2").arg(prime).arg(5 - prime));
        EXPECT_EQ(cell(model, i, 18),
                  QStringLiteral("%1:%2:%3").arg(routes[0]).arg(routes[1]).arg(routes[2]));
        // The history's first period has nothing to repeat.
        EXPECT_EQ(cell(model, i, 19), i == 0 ? QString() : QString::number(repeat));
    }

    // The whole history is shown: the span's own 最大遗漏 and 当前遗漏 rows stay empty.
    const QStringList titles = {"出现次数", "平均遗漏", "最大遗漏", "本段最大",
                                "当前遗漏", "本段当前", "最大连出", "近10期出现",
                                "理论次数", "欲出几率", "冷温热"};
    for (int r = 0; r < 11; ++r) EXPECT_EQ(cell(model, periods + r, 0), titles[r]);
    for (int n = 1; n <= 11; ++n) {
        SCOPED_TRACE(n);
        const auto k = static_cast<size_t>(n - 1);
        const int c = 1 + n;
        long last10 = 0;
        for (int i = periods - 10; i < periods; ++i)
            last10 += drawn(kDraws[static_cast<size_t>(i)], n);
        const double average = double(periods) / double(count[k] + 1);
        EXPECT_EQ(cell(model, periods, c), QString::number(count[k]));
        EXPECT_EQ(cell(model, periods + 1, c), QString::number(average, 'f', 1));
        EXPECT_EQ(cell(model, periods + 2, c), QString::number(max[k]));
        EXPECT_EQ(cell(model, periods + 3, c), QString());
        EXPECT_EQ(cell(model, periods + 4, c), QString::number(omission[k]));
        EXPECT_EQ(cell(model, periods + 5, c), QString());
        EXPECT_EQ(cell(model, periods + 6, c), QString::number(maxRun[k]));
        EXPECT_EQ(cell(model, periods + 7, c), QString::number(last10));
        EXPECT_EQ(cell(model, periods + 8, c), QString::number(periods * 5.0 / 11.0, 'f', 1));
        EXPECT_EQ(cell(model, periods + 9, c), QString::number(omission[k] / average, 'f', 2));
        const QString heat = last10 > 5 || (last10 == 5 && omission[k] == 0)   ? "热"
                             : last10 < 4 || (last10 == 4 && omission[k] >= 2) ? "冷"
                                                                               : "温";
        EXPECT_EQ(cell(model, periods + 10, c), heat);
        EXPECT_TRUE(model->headerData(c, Qt::Horizontal).toString().endsWith(heat));
    }
    // The three kinds of mark are all there.
    EXPECT_EQ(cell(model, periods + 10, 3), "热"); // 02: six of the last ten
    EXPECT_EQ(cell(model, periods + 10, 2), "温"); // 01: five, the latest two periods ago
    EXPECT_EQ(cell(model, periods + 10, 5), "冷"); // 04: two
    // Their tooltips give the rule; 欲出几率's says it is no chance.
    EXPECT_TRUE(model->index(periods + 10, 2)
                    .data(Qt::ToolTipRole)
                    .toString()
                    .contains(QStringLiteral("热：近10期开出6次及以上，或5次且最近一期开出")));
    const QString ratioTip = model->index(periods + 9, 2).data(Qt::ToolTipRole).toString();
    EXPECT_TRUE(ratioTip.contains(QStringLiteral("不是开出的机会"))) << ratioTip.toStdString();
    EXPECT_TRUE(ratioTip.contains(QStringLiteral("5/11"))) << ratioTip.toStdString();

    // The 预选 rows of the chart take marks like the single views.
    const int marks = qobject_cast<TrendModel*>(model)->firstMarkRow();
    EXPECT_EQ(cell(model, marks, 0), "预选1");
    view->scrollTo(model->index(marks, 4));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      view->visualRect(model->index(marks, 4)).center());
    EXPECT_TRUE(model->index(marks, 4).data(TrendModel::MarkedRole).toBool());
}

TEST(TrendCharts, ThePositionChartShowsTheNumbersOfEachPositionSideBySide) {
    WindowFixture f;
    prepare(f);
    auto* kinds = f.find<QComboBox>("trendKind");
    kinds->setCurrentIndex(kinds->findText(QStringLiteral("定位走势")));
    QAbstractItemModel* model = f.find<QTableView>("trendView")->model();
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    ASSERT_EQ(model->columnCount(), 2 + 5 * 11);
    for (int p = 0; p < 5; ++p) {
        for (int i = 0; i < static_cast<int>(kDraws.size()); ++i) {
            for (int n = 1; n <= 11; ++n) {
                const bool at = kDraws[static_cast<size_t>(i)][static_cast<size_t>(p)] == n;
                EXPECT_EQ(
                    model->index(i, 2 + p * 11 + n - 1).data(TrendModel::CarriesRole).toBool(), at)
                    << p << " " << i << " " << n;
            }
        }
    }
    // Position 1 drew 09 first, then never again: its omission counts on.
    EXPECT_EQ(model->index(11, 2 + 8).data().toString(), "10");
    const QString tip = model->headerData(2 + 11, Qt::Horizontal, Qt::ToolTipRole).toString();
    EXPECT_TRUE(tip.contains(QStringLiteral("第2位")));
    // At one position a number comes 1 period in 11: the marks have their own cut points.
    EXPECT_TRUE(tip.contains(QStringLiteral("冷：近10期未开出且当前遗漏至少12")))
        << tip.toStdString();
    EXPECT_TRUE(f.find<QLabel>("trendLegend")->text().contains(QStringLiteral("1/11")));
}

// A draw typed on any page is stored, and the trend page then shows it in view.
TEST(TrendCharts, TheEntryLineStoresADrawFromEveryPage) {
    WindowFixture f;
    prepare(f);
    auto* pages = f.find<QTabBar>("pageTabs");
    auto* view = f.find<QTableView>("trendView");
    for (int page = 0; page < pages->count(); ++page) {
        SCOPED_TRACE(page);
        pages->setCurrentIndex(page);
        QApplication::processEvents();
        const size_t before = f.workspace().rows().size();
        const std::array<int, 5> draw = {page + 1, page + 2, page + 3, page + 4, page + 5};
        for (int i = 0; i < 5; ++i)
            QTest::keyClicks(
                f.find<QLineEdit>(QStringLiteral("MaskEdBox1_%1").arg(i + 1)),
                QString::fromStdString(history::format00(draw[static_cast<size_t>(i)])));
        ASSERT_EQ(f.workspace().rows().size(), before + 1);
        EXPECT_EQ(pages->currentIndex(), page);
    }
    pages->setCurrentIndex(1);
    QApplication::processEvents();
    const int newest = static_cast<int>(f.workspace().rows().size()) - 1;
    const QRect row = view->visualRect(view->model()->index(newest, 0));
    EXPECT_TRUE(view->viewport()->rect().contains(row)) << "the newest period is out of view";
    // The draw typed on the last page.
    const int last = pages->count();
    EXPECT_EQ(view->model()->index(newest, 1).data().toString(),
              QStringLiteral("%1 %2 %3 %4 %5")
                  .arg(QString::fromStdString(history::format00(last)),
                       QString::fromStdString(history::format00(last + 1)),
                       QString::fromStdString(history::format00(last + 2)),
                       QString::fromStdString(history::format00(last + 3)),
                       QString::fromStdString(history::format00(last + 4))));
}
