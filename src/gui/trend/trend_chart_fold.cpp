// The omission chart beside the trend table gives its width to the table when the table needs it
// (a small screen, a kind with many columns), and takes it back when the page is wide enough.

#include "gui/trend/trend_table.h"
#include "gui/trend/trend_view.h"

#include <QChartView>
#include <QResizeEvent>
#include <QScrollBar>
#include <QSplitter>

#include <algorithm>

namespace app::gui {

void TrendView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    foldChartToFit();
}

void TrendView::foldChartToFit() {
    if (!isVisible() || splitter_->width() <= 0) return;
    int needed = 2 * table_->frameWidth() + table_->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < model_->columnCount(); ++c) needed += table_->columnWidth(c);
    const int chart = std::max(openChartWidth_, chart_->minimumWidth());
    if (needed + splitter_->handleWidth() + chart > splitter_->width()) {
        if (chart_->isHidden()) return;
        openChartWidth_ = chart_->width();
        chart_->hide();
    } else {
        openChart();
    }
}

void TrendView::openChart() {
    if (!chart_->isHidden()) return;
    const int chart = std::max(openChartWidth_, chart_->minimumWidth());
    chart_->show();
    splitter_->setSizes(
        {std::max(0, splitter_->width() - splitter_->handleWidth() - chart), chart});
}

} // namespace app::gui
