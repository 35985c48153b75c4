#include "gui/common/scrolling_tab.h"

#include <QScrollArea>
#include <QVBoxLayout>
#include <QWidget>

namespace app::gui {

QVBoxLayout* scrollingColumn(QWidget& tab) {
    auto* outer = new QVBoxLayout(&tab);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroller = new QScrollArea;
    scroller->setWidgetResizable(true);
    scroller->setFrameShape(QFrame::NoFrame);
    outer->addWidget(scroller);
    auto* content = new QWidget;
    scroller->setWidget(content);
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(2, 2, 2, 2);
    return column;
}

} // namespace app::gui
