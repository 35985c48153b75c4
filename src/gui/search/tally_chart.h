#pragma once
// Beside the result grid: one bar per value of the result kind, how often it stood at the hit
// periods' positions, a line at what chance alone would give and a shaded band where chance puts
// the count 95 times in 100, so values running outside chance stand out.

#include "workspace/search_service.h"

#include <QChartView>

namespace app::gui {

class TallyChart : public QChartView {
    Q_OBJECT
  public:
    explicit TallyChart(QWidget* parent = nullptr);
    void showResult(const SearchResult& result);
    // A faded chart belongs to a history that has changed since; a new result is never faded.
    void setFaded(bool faded);
    bool faded() const;

  protected:
    // A bar's tooltip: the value, its count and what chance gives it.
    bool viewportEvent(QEvent* event) override;

  private:
    QStringList barTips_;
};

} // namespace app::gui
