#include "gui/common/grid_style.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>

#include <algorithm>

namespace app::gui {

namespace {
// Room for the cell's margins and the grid line beside the text.
constexpr int kCellPadding = 14;
} // namespace

int twipsToPixels(int twips) {
    return (twips + 7) / 15;
}

void setupGrid(QTableView* grid) {
    QHeaderView* rows = grid->verticalHeader();
    rows->setVisible(false);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->horizontalHeader()->setStretchLastSection(false);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setWordWrap(false);
    grid->setTabKeyNavigation(false);
}

void setColumnTwips(QTableView* grid, std::initializer_list<int> widths,
                    const QStringList& samples) {
    const QFontMetrics cell(grid->font());
    const QFontMetrics header(grid->horizontalHeader()->font());
    int column = 0;
    for (int twips : widths) {
        int pixels = twipsToPixels(twips);
        if (column < samples.size())
            pixels = std::max(pixels, cell.horizontalAdvance(samples[column]) + kCellPadding);
        if (grid->model() && column < grid->model()->columnCount()) {
            const QString title =
                grid->model()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
            pixels = std::max(pixels, header.horizontalAdvance(title) + kCellPadding);
        }
        grid->setColumnWidth(column++, pixels);
    }
}

int widthForAllColumns(const QTableView* grid) {
    int width = 2 * grid->frameWidth() + grid->verticalScrollBar()->sizeHint().width();
    if (grid->model())
        for (int c = 0; c < grid->model()->columnCount(); ++c) width += grid->columnWidth(c);
    return width;
}

namespace {

// Whether a grid's scroll bar was last at its end; lives as long as the bar.
struct AtEnd : QObject {
    using QObject::QObject;
    bool at = true;
};

} // namespace

void keepLastRowInView(QTableView* grid) {
    QScrollBar* bar = grid->verticalScrollBar();
    auto* atEnd = new AtEnd(bar);
    QObject::connect(bar, &QScrollBar::valueChanged, atEnd,
                     [bar, atEnd](int value) { atEnd->at = value == bar->maximum(); });
    QObject::connect(bar, &QScrollBar::rangeChanged, atEnd, [bar, atEnd](int, int maximum) {
        if (atEnd->at) bar->setValue(maximum);
    });
}

} // namespace app::gui
