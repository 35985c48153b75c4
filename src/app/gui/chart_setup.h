#pragma once
// The charts of the plays and shrink tabs: put into their view flat, with tight margins and no
// animation (the old chart deleted), and the money back-test's chart both tabs draw.

#include "play/money.h"

#include <QChartView>
#include <QString>

namespace app::gui {

// Shows chart in view (which takes it) and deletes the chart shown before.
void replaceChart(QChartView& view, QChart* chart);
// The running net of a money back-test against the expected net, with the random runs' 5–95 %
// band when there were random runs; the curve must not be empty.
QChart* moneyChart(const play::MoneyResult& money, const QString& ruleName);
// Shows an empty chart whose title says note ("回测已取消").
void showChartNote(QChartView& view, const QString& note);

} // namespace app::gui
