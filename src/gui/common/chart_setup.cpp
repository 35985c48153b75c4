#include "gui/common/chart_setup.h"

#include <QAreaSeries>
#include <QChart>
#include <QGraphicsLayout>
#include <QLegend>
#include <QLineSeries>
#include <QPen>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace app::gui {

void setRoundRange(QValueAxis& axis, double low, double high) {
    if (!(high > low)) high = low + 1;
    const double rough = (high - low) / 5;
    const double magnitude = std::pow(10.0, std::floor(std::log10(std::max(rough, 1.0))));
    double step = magnitude;
    for (const double m : {1.0, 2.0, 5.0, 10.0}) {
        step = m * magnitude;
        if (step >= rough) break;
    }
    const double first = std::floor(low / step) * step;
    const double last = std::ceil(high / step) * step;
    axis.setRange(first, last);
    axis.setTickCount(static_cast<int>(std::lround((last - first) / step)) + 1);
    axis.setLabelFormat(QStringLiteral("%d"));
}

void replaceChart(QChartView& view, QChart* chart) {
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setBackgroundRoundness(0);
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    chart->setMargins(QMargins(2, 2, 2, 2));
    QChart* old = view.chart();
    view.setChart(chart);
    delete old;
}

void showChartNote(QChartView& view, const QString& note) {
    auto* chart = new QChart;
    chart->setTitle(note);
    chart->legend()->hide();
    replaceChart(view, chart);
}

namespace {

QChart* moneyChart(const play::MoneyResult& money, const QString& ruleName) {
    auto* chart = new QChart;
    chart->setTitle(QStringLiteral("累计盈亏（元）"));
    auto* net = new QLineSeries;
    net->setName(ruleName);
    net->setPen(QPen(QColor(0x20, 0x9f, 0xdf), 2));
    auto* expected = new QLineSeries;
    expected->setName(QStringLiteral("理论"));
    expected->setPen(QPen(QColor(0xf0, 0xa0, 0x20), 2, Qt::DashLine));
    auto* low = new QLineSeries;
    auto* high = new QLineSeries;
    double least = 0, most = 0;
    net->append(0, 0);
    expected->append(0, 0);
    low->append(0, 0);
    high->append(0, 0);
    for (const auto& point : money.curve) {
        const double x = static_cast<double>(point.index + 1);
        net->append(x, static_cast<double>(point.net));
        expected->append(x, point.expectedNet);
        low->append(x, point.low);
        high->append(x, point.high);
        least = std::min({least, static_cast<double>(point.net), point.low, point.expectedNet});
        most = std::max({most, static_cast<double>(point.net), point.high, point.expectedNet});
    }
    QAbstractSeries* band = nullptr;
    if (money.random) {
        auto* area = new QAreaSeries(high, low);
        area->setName(QStringLiteral("随机5%–95%"));
        area->setBrush(QColor(0x90, 0x90, 0x90, 0x50));
        area->setPen(Qt::NoPen);
        band = area;
        chart->addSeries(area);
    } else {
        delete low;
        delete high;
    }
    chart->addSeries(expected);
    chart->addSeries(net);
    auto* x = new QValueAxis;
    setRoundRange(*x, 0, static_cast<double>(money.curve.back().index + 1));
    x->setTitleText(QStringLiteral("检验期"));
    auto* y = new QValueAxis;
    setRoundRange(*y, least, most);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries* series :
         {band, static_cast<QAbstractSeries*>(expected), static_cast<QAbstractSeries*>(net)}) {
        if (!series) continue;
        series->attachAxis(x);
        series->attachAxis(y);
    }
    chart->legend()->setAlignment(Qt::AlignBottom);
    return chart;
}

} // namespace

QChartView* newMoneyChartView(const QString& objectName, const QString& note) {
    auto* view = new QChartView;
    view->setObjectName(objectName);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(240, 180);
    showChartNote(*view, note);
    return view;
}

void showMoneyChart(QChartView& view, const play::MoneyResult& money, const QString& ruleName) {
    if (money.curve.empty()) {
        showChartNote(view, QStringLiteral("没有检验期"));
        return;
    }
    replaceChart(view, moneyChart(money, ruleName));
}

} // namespace app::gui
