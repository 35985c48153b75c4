// What the shrink page keeps between runs: the play, the 胆/杀 pad and the conditions.

#include "gui/shrink/shrink_view.h"

#include "gui/window/window_state.h"

#include <QPushButton>

namespace app::gui {

namespace {
const QString kPadKey = QStringLiteral("shrinkPad");
} // namespace

void ShrinkView::saveState(WindowState& state) const {
    state.saveControls(*this);
    QString pad;
    for (const int mark : pad_) pad += QChar(u'0' + mark);
    state.write(kPadKey, pad);
}

void ShrinkView::restoreState(const WindowState& state) {
    state.restoreControls(*this);
    // Eleven marks of 0 (neither), 1 (胆) or 2 (杀); anything else leaves the pad empty.
    const auto pad = state.text(kPadKey);
    if (!pad || pad->size() != 11) return;
    for (const QChar mark : *pad)
        if (mark < u'0' || mark > u'2') return;
    for (int n = 1; n <= 11; ++n)
        while (pad_[static_cast<size_t>(n - 1)] != pad->at(n - 1).unicode() - u'0') cycleNumber(n);
}

} // namespace app::gui
