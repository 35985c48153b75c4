#pragma once
// Beside the result grid: one bar per value of the result kind, how often it stood at the hit
// periods' positions, and a line at what chance alone would give, so values running above chance
// stand out.

#include "app/search_service.h"

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
};

} // namespace app::gui
