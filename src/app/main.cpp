// kelvora11s5: without a command the window opens; with one, the command line runs it.

#include "app/cli.h"
#include "app/data_folder.h"
#include "app/gui/run_window.h"
#include "app/workspace.h"

#include <QApplication>
#include <QCoreApplication>

#include <iostream>
#include <memory>

int main(int argc, char* argv[]) {
    const auto parsed = app::parseCommandLine(argc, argv);
    if (const auto status = app::answerWithoutWorkspace(parsed, std::cout, std::cerr))
        return *status;
    if (parsed.command.empty()) {
        QApplication application(argc, argv);
        QApplication::setApplicationName(app::kApplicationName);
        QApplication::setOrganizationName(app::kApplicationName);
        app::Workspace workspace(app::workspaceOptions(parsed));
        return app::runWindow(workspace);
    }
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(app::kApplicationName);
    QCoreApplication::setOrganizationName(app::kApplicationName);
    return app::runCommand(parsed, std::cout, std::cerr);
}
