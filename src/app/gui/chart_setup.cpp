#include "app/gui/chart_setup.h"

#include <QChart>
#include <QGraphicsLayout>
#include <QLegend>

namespace app::gui {

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

} // namespace app::gui
