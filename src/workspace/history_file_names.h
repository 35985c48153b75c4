#pragma once
// The names of the history files of the data folder, shared by the workspace's files.

#include "history/game_catalog.h"
#include "history/period.h"

namespace app {

// kelvora11S5.db, and kelvora11S5-<code>.db beside it for each other game.
inline constexpr const char* kHistoryStem = "kelvora11S5";

// The game whose history a game code uses: every known game its own; a code the game table does
// not hold plays like 江西 and keeps 江西's history.
inline history::Game historyGame(history::Game game) {
    return history::games()->find(game) ? game : history::Game::Jiangxi;
}

} // namespace app
