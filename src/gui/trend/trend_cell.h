#pragma once
// How a cell of the trend table is drawn, in one place for the window and for any picture of
// the table: a carrying cell as a ball with the value (a repeat of the period before, 重号, in
// its own colour; consecutive numbers, 连号, joined by a bar behind their balls), a 预选 mark
// as a ball of its own colour, every other cell as its text on its background. The colours and
// the legend of the marks come from here too.

#include "gui/common/own_text_delegate.h"

#include <QColor>
#include <QString>

class QFont;
class QModelIndex;
class QPainter;
class QRect;

namespace app::gui {

// The colours of the balls and the bar of consecutive numbers.
inline const QColor kTrendBall(0xd0, 0x30, 0x30);
inline const QColor kTrendRepeatBall(0x7b, 0x3f, 0xb0);
inline const QColor kTrendConsecutiveBar(0xf5, 0xb0, 0x41);
inline const QColor kTrendMarkBall(0x2a, 0x62, 0xb8);

// Paints a whole cell of a TrendModel (its background, then its ball or its text) in rect:
// what a picture or a print of the table draws for each cell.
void paintTrendCell(QPainter& painter, const QRect& rect, const QModelIndex& index,
                    const QFont& font);
// Paints only the ball (and the bar of a consecutive number) of a carrying or marked cell;
// false, nothing painted, for any other cell.
bool paintTrendBall(QPainter& painter, const QRect& rect, const QModelIndex& index,
                    const QFont& font);

// The legend of the balls as rich text: 开出, 重号, 连号.
QString trendMarksLegend();

// The table's delegate: the style paints the cell (background, selection), then its ball.
class TrendDelegate : public OwnTextDelegate {
    Q_OBJECT
  public:
    using OwnTextDelegate::OwnTextDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

} // namespace app::gui
