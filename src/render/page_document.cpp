#include "render/page_document.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace render {

namespace {

// The resolution of the document's own units (logical pixels).
constexpr double kLogicalDpi = 96;
// Space between the title and the blocks, and between blocks.
constexpr int kGap = 8;
// A table begins on a new page rather than with fewer rows than this under its heading.
constexpr int kLeastRows = 3;

QFont titleFontOf(const QFont& font) {
    QFont title = font;
    title.setBold(true);
    if (font.pointSizeF() > 0) title.setPointSizeF(font.pointSizeF() * 1.2);
    return title;
}

} // namespace

QString titleLine(const QString& game, const QString& what, const QString& span,
                  const QDateTime& made) {
    QStringList parts;
    for (const QString& part : {game, what, span})
        if (!part.isEmpty()) parts << part;
    parts << made.toString(QStringLiteral("yyyy-MM-dd HH:mm")) + QStringLiteral("制");
    return parts.join(QLatin1Char(' '));
}

QFont chineseFont(const QFont& wanted) {
    if (QFontDatabase::writingSystems(wanted.family()).contains(QFontDatabase::SimplifiedChinese))
        return wanted;
    const QStringList families = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    if (families.isEmpty()) return wanted;
    QString chosen = families.front();
    for (const QString& family : families)
        if (family.startsWith(QLatin1String("Noto Sans CJK SC"))) {
            chosen = family;
            break;
        }
    QFont font = wanted;
    font.setFamilies({chosen, wanted.family()});
    return font;
}

PageDocument::PageDocument(QString title, const QFont& font)
    : title_(std::move(title)), font_(chineseFont(font)) {}

void PageDocument::addTable(std::unique_ptr<TablePainter> table) {
    blocks_.push_back({std::move(table), nullptr, {}, {}});
}

void PageDocument::addTable(std::unique_ptr<QAbstractItemModel> model) {
    std::shared_ptr<QAbstractItemModel> kept = std::move(model);
    blocks_.push_back({std::make_unique<TablePainter>(*kept, font_), kept, {}, {}});
}

void PageDocument::addDrawing(QSize size, DrawingPainter paint) {
    blocks_.push_back({nullptr, nullptr, size, std::move(paint)});
}

int PageDocument::titleHeight() const {
    return QFontMetrics(titleFontOf(font_)).height() + 4;
}

int PageDocument::contentWidth() const {
    int width = QFontMetrics(titleFontOf(font_)).horizontalAdvance(title_) + 8;
    for (const Block& block : blocks_)
        width = std::max(width, block.table ? block.table->width() : block.size.width());
    return width;
}

QSize PageDocument::canvasSize() const {
    int height = titleHeight();
    for (const Block& block : blocks_)
        height += kGap + (block.table ? block.table->height() : block.size.height());
    return {contentWidth() + 2 * kGap, height + 2 * kGap};
}

void PageDocument::paintTitle(QPainter& painter, double width) const {
    painter.save();
    painter.setFont(titleFontOf(font_));
    painter.setPen(Qt::black);
    painter.drawText(QRectF(0, 0, width, titleHeight()), Qt::AlignLeft | Qt::AlignVCenter, title_);
    painter.restore();
}

void PageDocument::paintCanvas(QPainter& painter) const {
    painter.save();
    painter.translate(kGap, kGap);
    paintTitle(painter, contentWidth());
    int y = titleHeight();
    for (const Block& block : blocks_) {
        y += kGap;
        if (block.table) {
            block.table->paintHeading(painter, {0, y});
            block.table->paintRows(painter, {0, y + block.table->headingHeight()}, 0,
                                   block.table->rowCount());
            y += block.table->height();
        } else {
            painter.save();
            block.paint(painter, QRectF(QPointF(0, y), QSizeF(block.size)));
            painter.restore();
            y += block.size.height();
        }
    }
    painter.restore();
}

QRect PageDocument::canvasCellRect(size_t block, int row, int position) const {
    int y = kGap + titleHeight();
    for (size_t b = 0; b < block; ++b)
        y += kGap + (blocks_[b].table ? blocks_[b].table->height() : blocks_[b].size.height());
    return blocks_[block].table->cellRect(row, position).translated(kGap, y + kGap);
}

std::vector<PageDocument::Page> PageDocument::layOut(double pageHeight) const {
    std::vector<Page> pages(1);
    const double top = titleHeight() + kGap;
    double y = top;
    const auto newPage = [&] {
        pages.emplace_back();
        y = top;
    };
    for (size_t b = 0; b < blocks_.size(); ++b) {
        const Block& block = blocks_[b];
        if (!block.table) {
            const double scale = std::min(1.0, (pageHeight - top) / block.size.height());
            const double height = block.size.height() * scale;
            if (y + height > pageHeight && !pages.back().empty()) newPage();
            pages.back().push_back({b, 0, 0, y, scale});
            y += height + kGap;
            continue;
        }
        const TablePainter& table = *block.table;
        const int rows = table.rowCount();
        for (int r = 0;;) {
            const int room = static_cast<int>(
                std::floor((pageHeight - y - table.headingHeight()) / table.rowHeight()));
            if (room < std::min(kLeastRows, rows - r) && !pages.back().empty()) {
                newPage();
                continue;
            }
            const int taken = std::min(std::max(room, 1), rows - r);
            pages.back().push_back({b, r, r + taken, y, 1});
            y += table.headingHeight() + taken * table.rowHeight() + kGap;
            r += taken;
            if (r >= rows) break;
            newPage();
        }
    }
    return pages;
}

double PageDocument::scaleFor(QSize page, int dpi) const {
    const double toDevice = dpi / kLogicalDpi;
    return toDevice * std::min(1.0, page.width() / toDevice / contentWidth());
}

int PageDocument::pageCount(QSize page, int dpi) const {
    return static_cast<int>(layOut(page.height() / scaleFor(page, dpi)).size());
}

bool PageDocument::paintPages(QPagedPaintDevice& device, const PaintProgress& progress) const {
    const QSize page(device.width(), device.height());
    const double scale = scaleFor(page, device.logicalDpiY());
    const std::vector<Page> pages = layOut(page.height() / scale);
    QPainter painter;
    if (!painter.begin(&device)) return false;
    const double width = page.width() / scale;
    std::size_t rows = 0, done = 0;
    for (const Block& block : blocks_)
        if (block.table) rows += static_cast<std::size_t>(block.table->rowCount());
    for (size_t p = 0; p < pages.size(); ++p) {
        if (progress && !progress(done, rows)) throw PaintingStopped{};
        if (p > 0 && !device.newPage()) return false;
        painter.save();
        painter.scale(scale, scale);
        paintTitle(painter, width);
        if (pages.size() > 1) {
            painter.save();
            painter.setFont(font_);
            painter.drawText(QRectF(0, 0, width, titleHeight()), Qt::AlignRight | Qt::AlignVCenter,
                             QStringLiteral("第%1页，共%2页").arg(p + 1).arg(pages.size()));
            painter.restore();
        }
        for (const Placement& place : pages[p]) {
            const Block& block = blocks_[place.block];
            const int top = static_cast<int>(std::lround(place.top));
            if (block.table) {
                block.table->paintHeading(painter, {0, top});
                block.table->paintRows(painter, {0, top + block.table->headingHeight()},
                                       place.first, place.last);
                done += static_cast<std::size_t>(place.last - place.first);
            } else {
                painter.save();
                block.paint(painter, QRectF(0, place.top, block.size.width() * place.scale,
                                            block.size.height() * place.scale));
                painter.restore();
            }
        }
        painter.restore();
    }
    return painter.end();
}

} // namespace render
