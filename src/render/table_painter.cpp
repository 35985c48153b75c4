#include "render/table_painter.h"

#include <QAbstractItemModel>
#include <QBrush>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace render {

namespace {

// Room for the margins beside a cell's text.
constexpr int kCellPadding = 10;
// The rows whose texts set the fitted widths: enough to see every kind of row of a table.
constexpr int kFittedRows = 400;

const QColor kGrid(0xc0, 0xc0, 0xc0);
const QColor kHeading(0xee, 0xee, 0xee);

Qt::Alignment alignmentOf(const QVariant& value) {
    if (!value.isValid()) return Qt::AlignLeft | Qt::AlignVCenter;
    Qt::Alignment alignment(value.toInt());
    if (!(alignment & Qt::AlignVertical_Mask)) alignment |= Qt::AlignVCenter;
    return alignment;
}

} // namespace

TablePainter::TablePainter(const QAbstractItemModel& model, const QFont& font)
    : model_(model), font_(font) {
    const QFontMetrics metrics(font_);
    rowHeight_ = metrics.height() + 6;
    // A heading of two lines (a number over its heat) gets room for both.
    qsizetype lines = 1;
    for (int c = 0; c < model_.columnCount(); ++c)
        lines = std::max(lines, model_.headerData(c, Qt::Horizontal, Qt::DisplayRole)
                                        .toString()
                                        .count(QLatin1Char('\n')) +
                                    1);
    headingHeight_ = static_cast<int>(lines) * metrics.height() + 8;
    fitColumns();
}

void TablePainter::fitColumns() {
    const QFontMetrics metrics(font_);
    columns_.clear();
    widths_.clear();
    const int rows = std::min(model_.rowCount(), kFittedRows);
    for (int c = 0; c < model_.columnCount(); ++c) {
        int width = 0;
        for (const QString& line : model_.headerData(c, Qt::Horizontal, Qt::DisplayRole)
                                       .toString()
                                       .split(QLatin1Char('\n')))
            width = std::max(width, metrics.horizontalAdvance(line));
        // The last rows too: summary rows close many tables.
        for (int r = 0; r < model_.rowCount(); ++r) {
            if (r == rows) r = std::max(rows, model_.rowCount() - 20);
            width =
                std::max(width, metrics.horizontalAdvance(model_.index(r, c).data().toString()));
        }
        columns_.push_back(c);
        widths_.push_back(width + kCellPadding);
    }
}

void TablePainter::setColumns(std::vector<int> columns, std::vector<int> widths) {
    columns_ = std::move(columns);
    widths_ = std::move(widths);
    widths_.resize(columns_.size(), 40);
}

void TablePainter::setHeadingBands(std::vector<HeadingBand> bands) {
    headingHeight_ -= bandHeight_;
    bands_ = std::move(bands);
    bandHeight_ = bands_.empty() ? 0 : QFontMetrics(font_).height() + 6;
    headingHeight_ += bandHeight_;
}

int TablePainter::width() const {
    int width = 0;
    for (const int w : widths_) width += w;
    return width;
}

QRect TablePainter::cellRect(int row, int position) const {
    int x = 0;
    for (int k = 0; k < position; ++k) x += widths_[static_cast<size_t>(k)];
    return {x, headingHeight_ + row * rowHeight_, widths_[static_cast<size_t>(position)],
            rowHeight_};
}

int TablePainter::rowCount() const {
    return model_.rowCount();
}

void TablePainter::paintHeading(QPainter& painter, QPoint topLeft) const {
    painter.save();
    painter.setFont(font_);
    // Each band over the painted columns it holds, side by side as they stand.
    const auto bandOf = [&](int column) -> const HeadingBand* {
        for (const HeadingBand& band : bands_)
            if (column >= band.first && column <= band.last) return &band;
        return nullptr;
    };
    int x = topLeft.x();
    for (size_t k = 0; k < columns_.size();) {
        const HeadingBand* band = bandOf(columns_[k]);
        int width = 0;
        size_t next = k;
        for (; next < columns_.size() && band && bandOf(columns_[next]) == band; ++next)
            width += widths_[next];
        if (!band) {
            x += widths_[k++];
            continue;
        }
        const QRect cell(x, topLeft.y(), width, bandHeight_);
        painter.fillRect(cell, kHeading);
        painter.setPen(kGrid);
        painter.drawRect(cell.adjusted(0, 0, -1, -1));
        painter.setPen(Qt::black);
        painter.drawText(cell, Qt::AlignCenter, band->title);
        x += width;
        k = next;
    }
    x = topLeft.x();
    for (size_t k = 0; k < columns_.size(); ++k) {
        // A column under a band starts below it; the others take the heading's whole height.
        const int top = bandOf(columns_[k]) ? bandHeight_ : 0;
        const QRect cell(x, topLeft.y() + top, widths_[k], headingHeight_ - top);
        painter.fillRect(cell, kHeading);
        painter.setPen(kGrid);
        painter.drawRect(cell.adjusted(0, 0, -1, -1));
        painter.setPen(Qt::black);
        painter.drawText(
            cell.adjusted(2, 0, -2, 0), Qt::AlignCenter,
            model_.headerData(columns_[k], Qt::Horizontal, Qt::DisplayRole).toString());
        x += widths_[k];
    }
    painter.restore();
}

void TablePainter::paintRows(QPainter& painter, QPoint topLeft, int first, int last) const {
    last = std::min(last, rowCount());
    for (int r = first; r < last; ++r) {
        const int y = topLeft.y() + (r - first) * rowHeight_;
        int x = topLeft.x();
        for (size_t k = 0; k < columns_.size(); ++k) {
            const QRect cell(x, y, widths_[k], rowHeight_);
            x += widths_[k];
            const QModelIndex index = model_.index(r, columns_[k]);
            painter.save();
            painter.setClipRect(cell);
            painter.setFont(font_);
            if (!cellPainter_ || !cellPainter_(painter, cell, index)) {
                const QVariant background = index.data(Qt::BackgroundRole);
                if (background.isValid()) painter.fillRect(cell, background.value<QBrush>());
                const QVariant font = index.data(Qt::FontRole);
                if (font.isValid()) painter.setFont(font.value<QFont>());
                const QVariant foreground = index.data(Qt::ForegroundRole);
                painter.setPen(foreground.isValid() ? foreground.value<QBrush>().color()
                                                    : QColor(Qt::black));
                painter.drawText(cell.adjusted(kCellPadding / 2, 0, -kCellPadding / 2, 0),
                                 alignmentOf(index.data(Qt::TextAlignmentRole)),
                                 index.data(Qt::DisplayRole).toString());
            }
            painter.restore();
            painter.save();
            painter.setPen(kGrid);
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(cell.adjusted(0, 0, -1, -1));
            painter.restore();
        }
    }
}

} // namespace render
