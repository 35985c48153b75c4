#include "gui/trend/trend_table.h"

#include "gui/trend/trend_model.h"

#include <QPainter>

#include <algorithm>

namespace app::gui {

namespace {
const QColor kLine(0xd0, 0x30, 0x30);
} // namespace

void TrendTable::setLine(bool line) {
    line_ = line;
    viewport()->update();
}

void TrendTable::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    const auto* model = qobject_cast<const TrendModel*>(this->model());
    if (!line_ || !model || model->periods() < 2) return;
    const int periods = model->periods();
    int top = rowAt(0), bottom = rowAt(viewport()->height() - 1);
    if (top < 0) return;
    if (bottom < 0 || bottom >= periods) bottom = periods - 1;
    top = std::max(0, top - 1);
    bottom = std::min(periods - 1, bottom + 1);
    QPainter painter(viewport());
    painter.setRenderHint(QPainter::Antialiasing);
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    for (int g = 0; g < model->groupCount(); ++g) {
        const auto* table = model->groupTable(g);
        if (!table->singleValued()) continue;
        const int first = model->groupFirstColumn(g);
        const auto cellOf = [&](int r) {
            const int v = table->valueAt(static_cast<size_t>(r));
            return v < 0 ? QModelIndex() : model->index(r, first + v);
        };
        painter.setPen(QPen(kLine, 1.5));
        for (int r = top; r < bottom; ++r) {
            const QModelIndex from = cellOf(r), to = cellOf(r + 1);
            if (from.isValid() && to.isValid())
                painter.drawLine(QRectF(visualRect(from)).center(),
                                 QRectF(visualRect(to)).center());
        }
        for (int r = top; r <= bottom; ++r) {
            const QModelIndex cell = cellOf(r);
            if (!cell.isValid()) continue;
            option.rect = visualRect(cell);
            itemDelegate()->paint(&painter, option, cell);
        }
    }
}

} // namespace app::gui
