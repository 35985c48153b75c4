#pragma once
// Paints a table of any item model onto a QPainter, a slice of rows at a time: its heading row
// (the model's horizontal headers), then each cell with the model's texts, background and
// foreground colours, alignment and font, under a thin grid. A cell painter of the caller's may
// paint some cells itself (the window hands its views' delegates through it). QtGui only: the
// window and the command line both use it.

#include <QFont>
#include <QRect>
#include <QString>

#include <functional>
#include <vector>

class QAbstractItemModel;
class QModelIndex;
class QPainter;

namespace render {

// A title over several neighbouring columns of the heading (第1位 over the numbers of position 1):
// the model's columns first..last.
struct HeadingBand {
    int first = 0, last = 0;
    QString title;
};

// Paints the cell in rect; false leaves it to the table painter.
using CellPainter = std::function<bool(QPainter&, const QRect&, const QModelIndex&)>;

class TablePainter {
  public:
    // The model must outlive the painter. Columns are fitted to the texts of the heading and of
    // the first rows until setColumns says otherwise.
    TablePainter(const QAbstractItemModel& model, const QFont& font);

    // The model's columns painted, in this order, with these widths.
    void setColumns(std::vector<int> columns, std::vector<int> widths);
    void setRowHeight(int height) { rowHeight_ = height; }
    void setCellPainter(CellPainter painter) { cellPainter_ = std::move(painter); }
    // Bands over the heading's columns; the heading grows by a line for them.
    void setHeadingBands(std::vector<HeadingBand> bands);

    int width() const;
    int rowHeight() const { return rowHeight_; }
    int headingHeight() const { return headingHeight_; }
    int rowCount() const;
    // The whole table's height: the heading and every row.
    int height() const { return headingHeight_ + rowCount() * rowHeight_; }

    // Where a cell lies, from the table's top left corner (the heading's): row of the model and
    // the position of its column among those painted.
    QRect cellRect(int row, int position) const;

    // The heading row with its top left corner at topLeft.
    void paintHeading(QPainter& painter, QPoint topLeft) const;
    // Rows first..last-1, the first one's top left corner at topLeft.
    void paintRows(QPainter& painter, QPoint topLeft, int first, int last) const;

  private:
    void fitColumns();

    const QAbstractItemModel& model_;
    QFont font_;
    std::vector<int> columns_;
    std::vector<int> widths_;
    int rowHeight_ = 0;
    int headingHeight_ = 0;
    int bandHeight_ = 0;
    std::vector<HeadingBand> bands_;
    CellPainter cellPainter_;
};

} // namespace render
