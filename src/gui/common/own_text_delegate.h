#pragma once
// A delegate that draws some cells' text itself (marked numbers, balls): the style paints the
// cell without its text (background, selection, focus) and the subclass paints the text.

#include <QStyledItemDelegate>

class QStyle;

namespace app::gui {

class OwnTextDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

  protected:
    // Paints the cell without its text; returns its options (with the text) and the style.
    QStyleOptionViewItem paintWithoutText(QPainter* painter, const QStyleOptionViewItem& option,
                                          const QModelIndex& index, QStyle*& style) const;
};

} // namespace app::gui
