#include "gui/common/scrolling_tab.h"

#include <QScrollArea>
#include <QVBoxLayout>
#include <QWidget>

namespace app::gui {

namespace {

// The column's least height is what its parts need at their least. Asked for a height for its
// width, a layout answers with what word-wrapped texts and grids would like, and the page would
// scroll (taking its lower controls out of sight) long before they stop fitting.
class ColumnLayout : public QVBoxLayout {
  public:
    using QVBoxLayout::QVBoxLayout;
    bool hasHeightForWidth() const override { return false; }
};

} // namespace

QVBoxLayout* scrollingColumn(QWidget& tab) {
    auto* outer = new QVBoxLayout(&tab);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroller = new QScrollArea;
    scroller->setWidgetResizable(true);
    scroller->setFrameShape(QFrame::NoFrame);
    outer->addWidget(scroller);
    auto* content = new QWidget;
    scroller->setWidget(content);
    auto* column = new ColumnLayout(content);
    column->setContentsMargins(2, 2, 2, 2);
    return column;
}

} // namespace app::gui
