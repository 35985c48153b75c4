#pragma once
// Putting a new chart into a view of the plays and shrink tabs: flat, tight margins, no
// animation, the old chart deleted.

#include <QChartView>
#include <QString>

namespace app::gui {

// Shows chart in view (which takes it) and deletes the chart shown before.
void replaceChart(QChartView& view, QChart* chart);
// Shows an empty chart whose title says note ("回测已取消").
void showChartNote(QChartView& view, const QString& note);

} // namespace app::gui
