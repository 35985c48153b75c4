#pragma once
// The games that have a history file in the data folder, with what each holds: for the command
// line's `games`. Every file is only read.

#include "history/period.h"
#include "workspace/workspace.h"

#include <cstddef>
#include <string>
#include <vector>

namespace app {

struct GameHistory {
    history::Game game = history::Game::Jiangxi;
    std::string file; // the file's name in the data folder
    size_t draws = 0;
    int first = 0; // the oldest and the newest stored period; 0 while the history is empty
    int newest = 0;
};

struct GameHistories {
    std::vector<GameHistory> games; // by game code
    // Files that are left out, with the reason (a file that records another game, say).
    std::vector<std::string> problems;
};

GameHistories listGameHistories(Workspace& workspace);

} // namespace app
