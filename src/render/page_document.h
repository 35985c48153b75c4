#pragma once
// What is saved or printed from a page: a title line (the game, the span, the date it was made)
// over tables and drawings (charts) one under the other. On one canvas for a picture; on paper
// page by page, the title and each table's heading repeated on every page a table continues on,
// a drawing moved to the next page when it does not fit below what is there.

#include "render/table_painter.h"

#include <QAbstractItemModel>
#include <QDateTime>
#include <QFont>
#include <QSize>
#include <QString>

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

class QPagedPaintDevice;
class QPainter;

namespace render {

// Told of the rows painted so far out of all, page by page; false stops the painting.
using PaintProgress = std::function<bool(std::size_t done, std::size_t total)>;

// Thrown when the painting was stopped through its progress.
struct PaintingStopped {};

// Paints a drawing into the rectangle given (of its natural size, or scaled to fit a page).
using DrawingPainter = std::function<void(QPainter&, const QRectF&)>;

class PageDocument {
  public:
    PageDocument(QString title, const QFont& font);

    const QString& title() const { return title_; }
    const QFont& font() const { return font_; }
    void addTable(std::unique_ptr<TablePainter> table);
    // A table of a model the document keeps, painted with the document's font.
    void addTable(std::unique_ptr<QAbstractItemModel> model);
    void addDrawing(QSize size, DrawingPainter paint);
    bool empty() const { return blocks_.empty(); }

    // The whole document on one canvas, in logical pixels.
    QSize canvasSize() const;
    void paintCanvas(QPainter& painter) const;
    // Where a cell of a table (the block-th thing added) lies on the canvas.
    QRect canvasCellRect(size_t block, int row, int position) const;

    // The pages the document takes on a device of this page size (in device pixels) and
    // resolution; the same count paintPages paints.
    int pageCount(QSize page, int dpi) const;
    // Paints every page onto the device (a PDF writer or a printer), a new page for each but
    // the first. False when the device could not be painted on; throws PaintingStopped when
    // progress said to stop.
    bool paintPages(QPagedPaintDevice& device, const PaintProgress& progress = {}) const;

  private:
    struct Block {
        std::unique_ptr<TablePainter> table;
        std::shared_ptr<QAbstractItemModel> model; // the table's, when the document keeps it
        QSize size;                                // a drawing's
        DrawingPainter paint;
    };
    // One thing on one page: a block (its rows first..last for a table) at a height of the page.
    struct Placement {
        size_t block = 0;
        int first = 0, last = 0;
        double top = 0, scale = 1;
    };
    using Page = std::vector<Placement>;

    int titleHeight() const;
    int contentWidth() const;
    // The pages on paper of this many logical pixels (after the document is scaled to the
    // paper's width).
    std::vector<Page> layOut(double pageHeight) const;
    double scaleFor(QSize page, int dpi) const;
    void paintTitle(QPainter& painter, double width) const;

    QString title_;
    QFont font_;
    std::vector<Block> blocks_;
};

// The title line: the game, what is shown, over which span, and when it was made
// ("江西11选5 基本走势图 2016090801至2016090852 2026-12-09 21:30制").
QString titleLine(const QString& game, const QString& what, const QString& span,
                  const QDateTime& made);

// The font pictures and paper are written with: the one given when it has Chinese glyphs, else a
// Chinese font of the system in its size (so no text turns into boxes).
QFont chineseFont(const QFont& wanted);

} // namespace render
