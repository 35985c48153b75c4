// kelvora11s5: without a command the window opens; with one, the command line runs it.

#include "cli/commands.h"
#include "cli/picture_out.h"
#include "gui/window/run_window.h"
#include "platform/descriptor_output.h"
#include "workspace/data_folder.h"
#include "workspace/workspace.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include <unistd.h>

namespace {

// On Linux an X server also listens on an abstract socket of the same name, which stays reachable
// when the file in /tmp/.X11-unix is gone (removed by a cleaner, or another /tmp).
bool listensAbstract(const std::string& socket) {
    std::ifstream table("/proc/net/unix");
    const std::string wanted = "@" + socket;
    std::string line;
    while (std::getline(table, line))
        if (line.size() >= wanted.size() &&
            line.compare(line.size() - wanted.size(), wanted.size(), wanted) == 0)
            return true;
    return false;
}

// Qt ends the program when it cannot reach a display; the reason is told instead. Empty when a
// display seems to be there (or a platform that needs none is asked for).
std::optional<std::string> missingDisplay() {
    const char* platformVariable = std::getenv("QT_QPA_PLATFORM");
    const std::string platform = platformVariable ? platformVariable : "";
    const bool x11 = platform.rfind("xcb", 0) == 0;
    if (!platform.empty() && !x11 && platform.rfind("wayland", 0) != 0) return std::nullopt;
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (!x11 && wayland && *wayland) return std::nullopt;
    const char* displayVariable = std::getenv("DISPLAY");
    const std::string display = displayVariable ? displayVariable : "";
    if (display.empty()) return "没有图形显示（环境变量 DISPLAY 没有设置）";
    // A local display :N listens on its socket in /tmp/.X11-unix.
    if (display[0] == ':') {
        const std::string number = display.substr(1, display.find('.') - 1);
        const std::string socket = "/tmp/.X11-unix/X" + number;
        std::error_code error;
        if (!std::filesystem::exists(socket, error) && !listensAbstract(socket))
            return "没有图形显示（" + display + " 上没有运行的显示服务）";
    }
    return std::nullopt;
}

// Qt's note that a session without a desktop has no runtime folder: not the command's to tell
// (a script run by cron would get it on every picture it makes). Everything else goes through.
void withoutRuntimeFolderNote(QtMsgType type, const QMessageLogContext& context,
                              const QString& message) {
    if (type == QtWarningMsg && message.startsWith(QLatin1String("QStandardPaths:"))) return;
    std::cerr << qPrintable(qFormatLogMessage(type, context, message)) << std::endl;
}

} // namespace

int main(int argc, char* argv[]) {
    // A standard descriptor the caller closed is held by /dev/null, so that no file opened later
    // takes its number; what would be printed to a closed standard output is told as not written.
    platform::keepStandardDescriptorOpen(STDIN_FILENO);
    const bool outputOpen = platform::keepStandardDescriptorOpen(STDOUT_FILENO);
    platform::keepStandardDescriptorOpen(STDERR_FILENO);
    // Commands print through a buffer that knows when a write failed (a full disk, a closed
    // pipe), so that the command ends with status 1 and says so instead of a silent success.
    // A reader gone from a pipe is such a failure too, reported instead of the signal's death.
    platform::DescriptorOutput outputBuffer(STDOUT_FILENO, !outputOpen);
    std::ostream output(&outputBuffer);

    auto parsed = app::parseCommandLine(argc, argv);
    if (!parsed.command.empty() || parsed.help || parsed.version || !parsed.error.empty())
        std::signal(SIGPIPE, SIG_IGN);
    if (const auto status = app::answerWithoutWorkspace(parsed, output, std::cerr)) return *status;
    if (parsed.command.empty()) {
        if (const auto problem = missingDisplay()) {
            std::cerr << "无法打开窗口：" << *problem
                      << "。请在图形桌面中启动本程序；命令行的用法见 kelvora11s5 --help。\n";
            return 2;
        }
        QApplication application(argc, argv);
        QApplication::setApplicationName(app::kApplicationName);
        QApplication::setOrganizationName(app::kApplicationName);
        // The desktop matches the window to its menu entry and icon by this name.
        QGuiApplication::setDesktopFileName(QString::fromUtf8(K11_APP_ID));
        QIcon icon;
        for (const char* size : {"48", "128", "256"})
            icon.addFile(QStringLiteral(":/icon/%1.png").arg(QLatin1String(size)));
        QApplication::setWindowIcon(icon);
        if (const auto status = app::resolveGame(parsed, std::cerr)) return *status;
        app::Workspace workspace(app::workspaceOptions(parsed));
        return app::runWindow(workspace);
    }
    if (app::writesPicture(parsed)) {
        // A picture or a PDF is painted with QtGui; into a file, so it needs no display: the
        // offscreen platform unless another is asked for.
        if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        qInstallMessageHandler(withoutRuntimeFolderNote);
        QGuiApplication application(argc, argv);
        QCoreApplication::setApplicationName(app::kApplicationName);
        QCoreApplication::setOrganizationName(app::kApplicationName);
        return app::runCommand(parsed, output, std::cerr);
    }
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(app::kApplicationName);
    QCoreApplication::setOrganizationName(app::kApplicationName);
    return app::runCommand(parsed, output, std::cerr);
}
