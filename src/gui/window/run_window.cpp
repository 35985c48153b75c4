#include "gui/window/run_window.h"

#include "gui/common/prompter.h"
#include "gui/window/main_window.h"
#include "gui/window/translations.h"

#include <QApplication>
#include <QScreen>

#include <algorithm>

namespace app {

int runWindow(Workspace& workspace) {
    gui::installQtChineseTranslation();
    gui::WidgetPrompter prompter;
    gui::MainWindow window(workspace, prompter);
    prompter.setParentWidget(&window);

    // The grids, the entry and the search panel all fit a 1366x768 screen; use it all, unless
    // the window was left at another size that fits this screen.
    const QRect screen = QApplication::primaryScreen()->availableGeometry();
    const QSize remembered = window.rememberedSize();
    if (remembered.isValid() && remembered.width() <= screen.width() &&
        remembered.height() <= screen.height())
        window.resize(remembered);
    else
        window.resize(std::min(screen.width(), 1366), std::min(screen.height(), 768));
    if (window.rememberedMaximized() || window.width() >= screen.width() ||
        window.height() >= screen.height()) {
        window.move(screen.topLeft());
        window.showMaximized();
    } else {
        window.show();
    }
    return QApplication::exec();
}

} // namespace app
