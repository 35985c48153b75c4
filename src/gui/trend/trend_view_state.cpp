// What the trend page keeps between runs: the kind, the position, the span, the tools and the
// 预选 marks.

#include "gui/trend/trend_view.h"

#include "gui/window/window_state.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRegularExpression>

namespace app::gui {

namespace {

bool isPeriodId(const QString& text) {
    static const QRegularExpression tenDigits(QStringLiteral("^[0-9]{10}$"));
    return tenDigits.match(text).hasMatch();
}

} // namespace

void TrendView::saveState(WindowState& state) const {
    state.write(kindBox_->objectName(), kindBox_->currentText());
    state.write(positionBox_->objectName(), positionBox_->currentText());
    state.write(presetBox_->objectName(), presetBox_->currentText());
    state.write(fromBox_->objectName(), fromBox_->text());
    state.write(toBox_->objectName(), toBox_->text());
    for (const QCheckBox* check : {hideNumbers_, layered_, line_})
        state.write(check->objectName(),
                    check->isChecked() ? QStringLiteral("True") : QStringLiteral("False"));
    state.write(QStringLiteral("trendMarks"), model_->marksText());
}

void TrendView::restoreState(const WindowState& state) {
    // Only a kind the chooser offers: not its separators, not the heading of the shapes.
    if (const auto kind = state.text(kindBox_->objectName())) {
        const int index = kindBox_->findText(*kind);
        if (index >= 0 && kindBox_->itemData(index).toInt() >= 0) kindBox_->setCurrentIndex(index);
    }
    state.restoreCombo(*positionBox_);
    for (QCheckBox* check : {hideNumbers_, layered_, line_}) {
        const auto value = state.text(check->objectName());
        if (value == QStringLiteral("True") || value == QStringLiteral("False"))
            check->setChecked(*value == QStringLiteral("True"));
    }
    if (const auto marks = state.text(QStringLiteral("trendMarks"))) model_->setMarksText(*marks);

    const auto preset = state.text(presetBox_->objectName());
    const int index = preset ? presetBox_->findText(*preset) : -1;
    if (index < 0) return;
    if (static_cast<Preset>(index) != Preset::Custom) {
        presetBox_->setCurrentIndex(index);
        onPresetChosen();
        return;
    }
    // The player's own span, when both its ends read as period ids.
    const auto from = state.text(fromBox_->objectName());
    const auto to = state.text(toBox_->objectName());
    if (!from || !to || !isPeriodId(*from) || !isPeriodId(*to)) return;
    presetBox_->setCurrentIndex(index);
    preset_ = Preset::Custom;
    fromBox_->setText(*from);
    toBox_->setText(*to);
    onSpanEdited();
}

} // namespace app::gui
