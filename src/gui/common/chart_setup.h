#pragma once
// The charts of the plays and shrink tabs: put into their view flat, with tight margins and no
// animation (the old chart deleted), and the money back-test's chart both tabs draw.

#include "play/money.h"

#include <QChartView>
#include <QString>

class QValueAxis;

namespace app::gui {

// Puts axis over a range holding low..high whose ticks are round whole numbers: about five
// steps of 1, 2 or 5 times a power of ten, from a multiple of the step to a multiple of it.
void setRoundRange(QValueAxis& axis, double low, double high);
// Shows chart in view (which takes it) and deletes the chart shown before.
void replaceChart(QChartView& view, QChart* chart);
// Shows an empty chart whose title says note ("回测已取消").
void showChartNote(QChartView& view, const QString& note);
// The view of a money back-test's chart, named objectName, showing note until the first run.
QChartView* newMoneyChartView(const QString& objectName, const QString& note);
// Shows the running net of a money back-test (the line ruleName) against the expected net, with
// the random runs' 5–95 % band when there were random runs; a note when it had no draws to test.
void showMoneyChart(QChartView& view, const play::MoneyResult& money, const QString& ruleName);

} // namespace app::gui
