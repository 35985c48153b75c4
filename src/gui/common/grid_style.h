#pragma once
// How the window's grids look: fixed row heights, no row header, whole-row selection, and
// column widths given in twips (1 px = 15 twips), widened where a text needs more room.

#include <QStringList>

#include <initializer_list>

class QTableView;

namespace app::gui {

// Rows of one fixed height and no row header: a grid of 300,000 rows scrolls as fast as one of 30.
void setupGrid(QTableView* grid);

// Column c gets widths[c] twips, or the width of the widest sample text of that column when it
// needs more (samples may be shorter than widths; missing samples mean none).
void setColumnTwips(QTableView* grid, std::initializer_list<int> widths,
                    const QStringList& samples = {});

int twipsToPixels(int twips);

// The width that shows every column of the grid beside its vertical scroll bar.
int widthForAllColumns(const QTableView* grid);

// A grid scrolled to its last row stays there, whole, when its height or its rows change (the
// window laid out again once the desktop has placed it, a draw added); scrolled up by the user,
// it stays where it was put.
void keepLastRowInView(QTableView* grid);

} // namespace app::gui
