#include "gui/common/own_text_delegate.h"

#include <QApplication>
#include <QStyle>

namespace app::gui {

QStyleOptionViewItem OwnTextDelegate::paintWithoutText(QPainter* painter,
                                                       const QStyleOptionViewItem& option,
                                                       const QModelIndex& index,
                                                       QStyle*& style) const {
    QStyleOptionViewItem opt(option);
    initStyleOption(&opt, index);
    const QString text = opt.text;
    opt.text.clear();
    style = opt.widget ? opt.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
    opt.text = text;
    return opt;
}

} // namespace app::gui
