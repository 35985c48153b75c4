#pragma once
// The names of the history files of the data folder, shared by the workspace's files.

#include "history/period.h"

namespace app {

// kelvora11S5.db, and kelvora11S5-<code>.db beside it for each other game.
inline constexpr const char* kHistoryStem = "kelvora11S5";

// The game whose history a game code uses: a code the menu does not offer plays like 江西 and
// keeps 江西's history.
inline history::Game historyGame(history::Game game) {
    return history::gameMenuIndex(game) < 0 ? history::Game::Jiangxi : game;
}

} // namespace app
