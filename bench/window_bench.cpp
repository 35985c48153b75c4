// From start to a shown window holding a long history: the workspace opens the database and reads
// the history, the window is built, shown and painted once.

#include "benchmarks.h"

#include "app/gui/main_window.h"
#include "app/gui/prompter.h"
#include "app/workspace.h"

#include <QApplication>
#include <QTest>

#include <ostream>

namespace bench {

void runWindowBenchmarks(std::ostream& out) {
    for (size_t draws : {size_t{1400}, size_t{300000}}) {
        const std::string folder = folderWithHistory(draws);
        double openSeconds = 0;
        const double seconds = medianSeconds(5, [&] {
            const auto start = std::chrono::steady_clock::now();
            app::WorkspaceOptions options = workspaceOptions(folder);
            app::Workspace workspace(options);
            openSeconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            app::gui::WidgetPrompter prompter;
            app::gui::MainWindow window(workspace, prompter);
            window.resize(1366, 768);
            window.show();
            if (!QTest::qWaitForWindowExposed(&window)) throw std::runtime_error("not shown");
            QApplication::processEvents();
        });
        out << "window shown with " << draws << " draws: " << seconds
            << " s median of 5 (workspace open " << openSeconds << " s)\n";
    }
}

} // namespace bench
