#pragma once
// The contents of a tab that shares the history column: on a small screen they scroll rather
// than widen the window.

class QVBoxLayout;
class QWidget;

namespace app::gui {

// Fills tab with a frameless scroll area and returns the column its contents go into.
QVBoxLayout* scrollingColumn(QWidget& tab);

} // namespace app::gui
