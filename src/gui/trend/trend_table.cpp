#include "gui/trend/trend_table.h"

#include "gui/trend/trend_model.h"

#include <QPainter>

#include <algorithm>

namespace app::gui {

namespace {
const QColor kLine(0xd0, 0x30, 0x30);
const QColor kBand(0xd8, 0xe4, 0xd4);
const QColor kOtherBand(0xe8, 0xee, 0xe0);
} // namespace

TrendHeader::TrendHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setSectionsClickable(true);
    setHighlightSections(false);
}

int TrendHeader::bandHeight() const {
    const auto* trend = qobject_cast<const TrendModel*>(model());
    if (!trend || trend->groupTitle(0).isEmpty()) return 0;
    return fontMetrics().height() + 6;
}

QSize TrendHeader::sizeHint() const {
    QSize size = QHeaderView::sizeHint();
    size.setHeight(size.height() + bandHeight());
    return size;
}

void TrendHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    const auto* trend = qobject_cast<const TrendModel*>(model());
    const int band = bandHeight();
    const auto value = trend ? trend->valueOfColumn(logicalIndex) : std::nullopt;
    if (band == 0 || !value) {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        return;
    }
    QHeaderView::paintSection(painter, rect.adjusted(0, band, 0, 0), logicalIndex);
    // The group's title, centred over all its columns, of which this section shows its part.
    const int group = value->first;
    const int first = trend->groupFirstColumn(group);
    const int last = first + static_cast<int>(trend->groupTable(group)->values().size()) - 1;
    const QRect bandRect(rect.left(), rect.top(), rect.width(), band);
    const int left = sectionViewportPosition(first);
    const QRect whole(left, rect.top(), sectionViewportPosition(last) + sectionSize(last) - left,
                      band);
    painter->save();
    painter->setClipRect(bandRect);
    painter->fillRect(bandRect, group % 2 ? kOtherBand : kBand);
    painter->setPen(palette().color(QPalette::Mid));
    if (logicalIndex == last) painter->drawLine(bandRect.topRight(), bandRect.bottomRight());
    painter->drawLine(bandRect.bottomLeft(), bandRect.bottomRight());
    painter->setPen(palette().color(QPalette::WindowText));
    painter->drawText(whole, Qt::AlignCenter, trend->groupTitle(group));
    painter->restore();
}

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
