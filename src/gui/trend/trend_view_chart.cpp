// The trend page's chart of one value's omission over the span's last periods, and its tooltips.

#include "gui/trend/trend_view.h"

#include "gui/common/chart_setup.h"
#include "workspace/workspace.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QHelpEvent>
#include <QLineSeries>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace app::gui {

namespace {

// The periods the chart looks back over.
constexpr size_t kChartPeriods = 100;
const QColor kBall(0xd0, 0x30, 0x30);

} // namespace

void TrendView::showChart(int group, int v) {
    QChart* chart = chart_->chart();
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
    const search::OmissionTable* table = model_->groupTable(group);
    if (!table || v < 0 || static_cast<size_t>(v) >= table->values().size() ||
        table->periods() == 0) {
        chartedGroup_ = 0;
        chartedValue_ = -1;
        chart->setTitle(QStringLiteral("点击上表的一列，看它近%1期的遗漏").arg(kChartPeriods));
        return;
    }
    chartedGroup_ = group;
    chartedValue_ = v;
    const size_t periods = table->periods();
    const size_t shown = std::min(periods, kChartPeriods);
    chartFirst_ = periods - shown;
    auto* series = new QLineSeries;
    std::int64_t highest = 1;
    for (size_t k = 0; k < shown; ++k) {
        const size_t i = periods - shown + k;
        const std::int64_t omission = table->omission(i, static_cast<size_t>(v));
        highest = std::max(highest, omission);
        series->append(static_cast<double>(k + 1), static_cast<double>(omission));
    }
    series->setColor(kBall);
    chart->addSeries(series);
    auto* x = new QValueAxis;
    setRoundRange(*x, 1, static_cast<double>(std::max<size_t>(shown, 2)));
    auto* y = new QValueAxis;
    setRoundRange(*y, 0, static_cast<double>(highest));
    // Counts of five digits in a narrow chart are shown whole, never cut to "…".
    x->setTruncateLabels(false);
    y->setTruncateLabels(false);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(x);
    series->attachAxis(y);
    const QString label = model_->valueLabel(group, static_cast<size_t>(v));
    const int position = model_->subject().chart == TrendChart::Positions ? group + 1
                         : model_->subject().chart == TrendChart::Basic
                             ? 0
                             : positionBox_->currentIndex();
    chart->setTitle(
        model_->subject().shape
            ? QStringLiteral("%1 %2 近%3期遗漏").arg(model_->subjectText(), label).arg(shown)
            : QStringLiteral("%1 近%2期遗漏（%3）")
                  .arg(label)
                  .arg(shown)
                  .arg(position == 0 ? QStringLiteral("任意位")
                                     : QStringLiteral("第%1位").arg(position)));
}

// The period under the pointer in the chart and the value's omission there.
QString TrendView::chartTip(const QPoint& position) const {
    const search::OmissionTable* table = model_->groupTable(chartedGroup_);
    QChart* chart = chart_->chart();
    if (!table || chartedValue_ < 0 || chart->series().isEmpty()) return {};
    const QPointF scene = chart_->mapToScene(position);
    // A few pixels of grace around the plot: the newest point lies on its right edge.
    if (!chart->plotArea().adjusted(-4, -4, 4, 4).contains(chart->mapFromScene(scene))) return {};
    const QPointF value = chart->mapToValue(chart->mapFromScene(scene), chart->series().front());
    const auto k = static_cast<std::int64_t>(std::llround(value.x())) - 1;
    const size_t i = chartFirst_ + static_cast<size_t>(std::max<std::int64_t>(k, 0));
    if (k < 0 || i >= table->periods()) return {};
    const auto v = static_cast<size_t>(chartedValue_);
    const size_t stored = table->firstRow() + i;
    if (stored >= workspace_.rows().size()) return {};
    const QString state = table->carries(i, v)
                              ? QStringLiteral("本期开出")
                              : QStringLiteral("遗漏 %1 期").arg(table->omission(i, v));
    return QStringLiteral("%1期\n%2 %3：%4")
        .arg(QString::fromStdString(workspace_.historyPeriodText(stored)),
             model_->subjectText(chartedGroup_), model_->valueLabel(chartedGroup_, v), state);
}

bool TrendView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == chart_->viewport() && event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QString tip = chartTip(help->pos());
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, chart_->viewport());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace app::gui
