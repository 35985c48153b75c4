#pragma once
// The back-test over time: for the top k values, the successes added up period by period against
// what chance adds up, so a search that beats chance for a while and then falls back is seen.

#include "search/backtest.h"

#include <QChartView>

namespace app::gui {

class BacktestChart : public QChartView {
    Q_OBJECT
  public:
    explicit BacktestChart(QWidget* parent = nullptr);
    // The figures of k (1..result.top.size()).
    void showResult(const search::BacktestResult& result, int k);
    // A note in place of a chart (before a run, or after a cancelled one).
    void showNote(const QString& note);
};

} // namespace app::gui
