#pragma once
// Qt's own texts (the buttons of message boxes and input boxes, the file dialog) in Chinese, like
// the rest of the window.

namespace app::gui {

// Installs Qt's Chinese translation into the running application; a second call does nothing.
// False when the translation file is missing: Qt's texts then stay in English.
bool installQtChineseTranslation();

} // namespace app::gui
