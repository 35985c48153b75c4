#pragma once
// The trend table, with the line through the carrying cells of consecutive periods (折线) of each
// group whose periods carry one value each, drawn over its cells; the carrying cells are painted
// again over the line, so it joins their edges.

#include <QTableView>

namespace app::gui {

class TrendTable : public QTableView {
    Q_OBJECT
  public:
    using QTableView::QTableView;
    void setLine(bool line);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    bool line_ = false;
};

} // namespace app::gui
