// Switching the game: each game has its own history file; a switch keeps the history it leaves
// in memory and reads the other, or takes it back when it was seen before. Timed on the
// workspace alone and in the shown window (menu item to the window painted with the other
// history), at 300,000 draws per game.

#include "benchmarks.h"

#include "gui/common/prompter.h"
#include "gui/window/main_window.h"
#include "history/game_record.h"
#include "workspace/workspace.h"

#include <QAction>
#include <QApplication>
#include <QTest>

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <stdexcept>
#include <vector>

namespace bench {

namespace {

// A data folder whose 江西 and 广东 histories hold `draws` draws each.
std::string folderWithTwoGames(size_t draws) {
    const std::string folder = folderWithHistory(draws);
    {
        platform::Database db(folder + "/kelvora11S5.db");
        history::recordGame(db, history::Game::Jiangxi);
    }
    std::filesystem::copy_file(folder + "/kelvora11S5.db", folder + "/kelvora11S5-23.db");
    platform::Database other(folder + "/kelvora11S5-23.db");
    history::recordGame(other, history::Game::Guangdong);
    return folder;
}

} // namespace

void runGameSwitchBenchmarks(std::ostream& out) {
    const size_t draws = 300000;
    const std::string folder = folderWithTwoGames(draws);
    // For comparison: opening the workspace at start, which reads the same history.
    const double open = medianSeconds(5, [&] { app::Workspace start(workspaceOptions(folder)); });
    out << "workspace open at start, " << draws << " draws: " << open * 1000 << " ms median of 5\n";
    {
        // The first switch to a game reads its history; a switch back to a game seen before
        // takes the history kept in memory, once its file is checked.
        std::vector<double> firsts;
        for (int i = 0; i < 5; ++i) {
            app::Workspace workspace(workspaceOptions(folder));
            firsts.push_back(medianSeconds(1, [&] {
                workspace.setGame(history::Game::Guangdong);
                if (workspace.rows().size() != draws) throw std::runtime_error("history not shown");
            }));
        }
        std::sort(firsts.begin(), firsts.end());
        out << "first switch to a game, workspace, " << draws
            << " draws per game: " << firsts[firsts.size() / 2] * 1000 << " ms median of 5\n";
        app::Workspace workspace(workspaceOptions(folder));
        workspace.setGame(history::Game::Guangdong);
        bool toOther = false;
        const double seconds = medianSeconds(10, [&] {
            workspace.setGame(toOther ? history::Game::Guangdong : history::Game::Jiangxi);
            if (workspace.rows().size() != draws) throw std::runtime_error("history not shown");
            toOther = !toOther;
        });
        out << "switch back to a game seen before, workspace, " << draws
            << " draws per game: " << seconds * 1000 << " ms median of 10\n";
    }
    // The same with the window: the grid, the entry line, the targets, the span and the trend
    // view follow, and the window is painted.
    app::Workspace workspace(workspaceOptions(folder));
    app::gui::WidgetPrompter prompter;
    app::gui::MainWindow window(workspace, prompter);
    window.resize(1366, 768);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) throw std::runtime_error("not shown");
    QApplication::processEvents();
    auto* jiangxi = window.findChild<QAction*>(QStringLiteral("mnu11S5_0"));
    auto* guangdong = window.findChild<QAction*>(QStringLiteral("mnu11S5_1"));
    if (!jiangxi || !guangdong) throw std::runtime_error("no game menu items");
    bool toOther = true;
    const double seconds = medianSeconds(10, [&] {
        (toOther ? guangdong : jiangxi)->trigger();
        window.repaint();
        QApplication::processEvents();
        if (workspace.rows().size() != draws) throw std::runtime_error("history not shown");
        toOther = !toOther;
    });
    out << "game switch (each game seen before but the first two), shown window, " << draws
        << " draws per game: " << seconds * 1000 << " ms median of 10\n";
}

} // namespace bench
