#include "gui/search/tally_chart.h"

#include "search/tally.h"

#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QCursor>
#include <QGraphicsLayout>
#include <QHelpEvent>
#include <QLineSeries>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace app::gui {

namespace {

// At most this many ticks on the count axis.
constexpr int kTicks = 5;

// The smallest of 1, 2, 5, 10, 20, 50, ... that is at least `least`.
qint64 niceStep(double least) {
    qint64 step = 1;
    for (;;) {
        for (qint64 factor : {1, 2, 5})
            if (static_cast<double>(step * factor) >= least) return step * factor;
        step *= 10;
    }
}

} // namespace

TallyChart::TallyChart(QWidget* parent) : QChartView(parent) {
    setObjectName(QStringLiteral("tallyChart"));
    setRenderHint(QPainter::Antialiasing);
    setMinimumSize(240, 180);
    auto* empty = new QChart;
    empty->setTitle(QStringLiteral("检索后在此显示各值出现次数"));
    empty->legend()->hide();
    setChart(empty);
}

void TallyChart::showResult(const SearchResult& result) {
    auto* chart = new QChart;
    chart->setTitle(QStringLiteral("出现次数与随机期望（共%1期）").arg(result.tally.hitPeriods));
    chart->setAnimationOptions(QChart::NoAnimation);
    // Every pixel of a narrow chart goes to the bars, so that the value labels keep their room.
    chart->setMargins(QMargins(2, 2, 2, 2));
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    chart->setBackgroundRoundness(0);

    auto* counts = new QBarSet(QStringLiteral("出现次数"));
    auto* expected = new QLineSeries;
    expected->setName(QStringLiteral("随机期望"));
    expected->setPointsVisible(true);
    // The band of each value spans its whole category, so the bar is read against the band
    // standing behind it; neighbouring bands join into one stepped strip.
    auto* band = new QAreaSeries;
    auto* bandHigh = new QLineSeries(band);
    auto* bandLow = new QLineSeries(band);
    QStringList categories;
    barTips_.clear();
    double top = 1;
    const auto& byValue = result.tally.byValue;
    for (size_t i = 0; i < byValue.size(); ++i) {
        const search::ChanceBand band =
            i < result.bands.size() ? result.bands[i] : search::ChanceBand{};
        *counts << static_cast<double>(byValue[i].count);
        const auto x = static_cast<double>(i);
        expected->append(x, band.expected);
        for (double edge : {x - 0.5, x + 0.5}) {
            bandHigh->append(edge, band.high);
            bandLow->append(edge, band.low);
        }
        categories << QString::fromStdString(
            search::valueText(result.tally.resultKind, byValue[i].value, result.tally.zodiacBase));
        // The same words as the result grid's tooltip.
        barTips_ << QStringLiteral("%1：出现 %2 次（%3）\n随机期望 %4，95%范围 %5–%6")
                        .arg(categories.back())
                        .arg(byValue[i].count)
                        .arg(QString::fromStdString(
                            search::percentText(byValue[i].count, result.tally.total)))
                        .arg(band.expected, 0, 'f', 3)
                        .arg(band.low, 0, 'f', 1)
                        .arg(band.high, 0, 'f', 1);
        top = std::max({top, static_cast<double>(byValue[i].count), band.high});
    }
    auto* bars = new QBarSeries;
    bars->append(counts);
    // A bar's figures on hover: its count beside what chance gives.
    QStringList tips;
    for (size_t i = 0; i < byValue.size(); ++i) {
        const search::ChanceBand b =
            i < result.bands.size() ? result.bands[i] : search::ChanceBand{};
        tips << QStringLiteral("%1：出现%2次\n随机期望%3次（95%范围 %4～%5）")
                    .arg(categories[static_cast<int>(i)])
                    .arg(static_cast<qlonglong>(byValue[i].count))
                    .arg(b.expected, 0, 'f', 1)
                    .arg(b.low, 0, 'f', 1)
                    .arg(b.high, 0, 'f', 1);
    }
    connect(bars, &QBarSeries::hovered, this, [tips](bool over, int index, QBarSet*) {
        if (over && index >= 0 && index < tips.size())
            QToolTip::showText(QCursor::pos(), tips[index]);
        else
            QToolTip::hideText();
    });
    band->setUpperSeries(bandHigh);
    band->setLowerSeries(bandLow);
    band->setName(QStringLiteral("随机范围（95%）"));
    band->setObjectName(QStringLiteral("chanceBand"));
    // Drawn over the bars but see-through, so a bar's top is seen inside, above or below it.
    band->setColor(QColor(0x40, 0x90, 0x40, 0x48));
    band->setBorderColor(QColor(0x40, 0x90, 0x40, 0x90));
    chart->addSeries(bars);
    chart->addSeries(band);
    chart->addSeries(expected);

    auto* x = new QBarCategoryAxis;
    x->append(categories);
    // The values are one or two characters and fit under their bars even in a narrow chart,
    // where the axis would otherwise cut "10" and "11" down to "…".
    x->setTruncateLabels(false);
    // Whole-number ticks: the labels are counts, so each tick must stand on a whole number.
    auto* y = new QValueAxis;
    const qint64 step = niceStep(top * 1.1 / (kTicks - 1));
    const qint64 steps = std::max<qint64>(1, static_cast<qint64>(std::ceil(top * 1.1 / step)));
    y->setRange(0, static_cast<double>(step * steps));
    y->setTickCount(static_cast<int>(steps) + 1);
    y->setLabelFormat(QStringLiteral("%d"));
    // Counts in the ten thousands keep every digit, however narrow the chart.
    y->setTruncateLabels(false);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries* series :
         {static_cast<QAbstractSeries*>(bars), static_cast<QAbstractSeries*>(band),
          static_cast<QAbstractSeries*>(expected)}) {
        series->attachAxis(x);
        series->attachAxis(y);
    }
    chart->legend()->setAlignment(Qt::AlignBottom);

    QChart* old = this->chart();
    setChart(chart);
    delete old;
}

bool TallyChart::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QChartView::viewportEvent(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    QChart* shown = chart();
    const QPointF at = shown->mapFromScene(mapToScene(help->pos()));
    int bar = -1;
    if (!shown->series().isEmpty() && shown->plotArea().contains(at))
        bar = static_cast<int>(std::lround(shown->mapToValue(at, shown->series().front()).x()));
    if (bar >= 0 && bar < barTips_.size())
        QToolTip::showText(help->globalPos(), barTips_[bar], viewport());
    else
        QToolTip::hideText();
    return true;
}

void TallyChart::setFaded(bool faded) {
    chart()->setOpacity(faded ? 0.35 : 1.0);
}

bool TallyChart::faded() const {
    return chart()->opacity() < 1.0;
}

} // namespace app::gui
