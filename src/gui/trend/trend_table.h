#pragma once
// The trend table, with the line through the carrying cells of consecutive periods (折线) of each
// group whose periods carry one value each, drawn over its cells; the carrying cells are painted
// again over the line, so it joins their edges. Its heading shows the band of each position
// (第1位…第5位) over the chart by position.

#include <QHeaderView>
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

// The horizontal heading of the trend table: over a chart of several groups, a band with each
// group's title above its columns.
class TrendHeader : public QHeaderView {
    Q_OBJECT
  public:
    explicit TrendHeader(QWidget* parent = nullptr);
    QSize sizeHint() const override;
    // The height of the band, 0 without one.
    int bandHeight() const;

  protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
};

} // namespace app::gui
