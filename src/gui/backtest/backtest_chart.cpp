#include "gui/backtest/backtest_chart.h"

#include <QChart>
#include <QGraphicsLayout>
#include <QLineSeries>
#include <QPen>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace app::gui {

namespace {

void replaceChart(QChartView& view, QChart* chart) {
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setBackgroundRoundness(0);
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    QChart* old = view.chart();
    view.setChart(chart);
    delete old;
}

// A whole-number axis from 0 to at least `top`, its ticks on whole numbers.
void wholeAxis(QValueAxis* axis, double top) {
    const double least = std::max(1.0, top) / 5;
    double step = 1;
    while (step < least) {
        if (step * 2 >= least) {
            step *= 2;
            break;
        }
        if (step * 5 >= least) {
            step *= 5;
            break;
        }
        step *= 10;
    }
    const double steps = std::max(1.0, std::ceil(top / step));
    axis->setRange(0, step * steps);
    axis->setTickCount(static_cast<int>(steps) + 1);
    axis->setLabelFormat(QStringLiteral("%d"));
}

} // namespace

BacktestChart::BacktestChart(QWidget* parent) : QChartView(parent) {
    setObjectName(QStringLiteral("backtestChart"));
    setRenderHint(QPainter::Antialiasing);
    setMinimumSize(300, 200);
    showNote(QStringLiteral("回测后在此显示累计命中期数与随机期望"));
}

void BacktestChart::showNote(const QString& note) {
    auto* chart = new QChart;
    chart->setTitle(note);
    chart->legend()->hide();
    replaceChart(*this, chart);
}

void BacktestChart::showResult(const search::BacktestResult& result, int k) {
    if (k < 1 || static_cast<size_t>(k) > result.top.size() || result.steps.empty()) {
        showNote(QStringLiteral("没有计入的检验期：每期检索都无结果"));
        return;
    }
    auto* chart = new QChart;
    chart->setTitle(QStringLiteral("前%1位：累计命中期数与累计随机期望").arg(k));
    chart->setMargins(QMargins(2, 2, 2, 2));

    // The colours of the tally chart: what was drawn in blue, what chance gives in orange.
    auto* successes = new QLineSeries;
    successes->setName(QStringLiteral("累计命中期数"));
    successes->setPen(QPen(QColor(0x20, 0x9f, 0xdf), 2));
    auto* expected = new QLineSeries;
    expected->setName(QStringLiteral("累计随机期望"));
    expected->setPen(QPen(QColor(0xf0, 0xa0, 0x20), 2, Qt::DashLine));
    double hits = 0;
    double chance = 0;
    successes->append(0, 0);
    expected->append(0, 0);
    const auto index = static_cast<size_t>(k - 1);
    for (size_t s = 0; s < result.steps.size(); ++s) {
        hits += result.steps[s].success[index];
        chance += result.steps[s].chance[index];
        successes->append(static_cast<double>(s + 1), hits);
        expected->append(static_cast<double>(s + 1), chance);
    }
    chart->addSeries(successes);
    chart->addSeries(expected);

    auto* x = new QValueAxis;
    x->setTitleText(QStringLiteral("检验期（从早到晚第几期）"));
    wholeAxis(x, static_cast<double>(result.steps.size()));
    auto* y = new QValueAxis;
    wholeAxis(y, std::max(hits, chance) * 1.05);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QLineSeries* series : {successes, expected}) {
        series->attachAxis(x);
        series->attachAxis(y);
    }
    chart->legend()->setAlignment(Qt::AlignBottom);
    replaceChart(*this, chart);
}

} // namespace app::gui
