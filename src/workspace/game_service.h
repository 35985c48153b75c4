#pragma once
// The games of the workspace: the shipped game table (the installed copy, else the built-in one),
// the player's changes kept in the settings (schedules, added games, the games followed), and the
// operations that change them. The games in force (history::games()) are the shipped table with
// the player's changes; the workspace puts them in force whenever the settings are read.

#include "history/game_catalog.h"
#include "workspace/workspace.h"

#include <optional>
#include <string>
#include <vector>

namespace app {

// The games the player follows that are known, in the player's order; the four first games when
// none is.
std::vector<history::Game> followedGames(const Workspace& workspace);

// The shipped table as read: the installed file when it can be used, else the built-in table,
// with what was wrong in the file (its name and line).
struct ShippedGames {
    history::GameCatalog catalog;
    std::string source; // the file read; "" for the built-in table
    std::vector<std::string> problems;
};

// Where the installed game table is: beside the program (a build or a portable folder), else in
// the installation's share/kelvora11s5. Empty when there is none.
std::string installedGameTablePath();
// Reads a game table file ("" : the installed one); the built-in table when the file is missing,
// unreadable or damaged. The table of one path is read once per process.
const ShippedGames& shippedGames(const std::string& path = {});

// The shipped table with the player's changes stored in the settings: schedule edits
// (GameSchedules, and DrawFirst<code>/DrawEvery<code> of the four first games), added games
// (AddedGames). A change that no longer fits the table (an added game whose code or name a newer
// table took) is left aside, never lost from the settings.
history::GameCatalog gamesWithChanges(const history::GameCatalog& shipped,
                                      const Settings& settings);

class GameService {
  public:
    explicit GameService(Workspace& workspace) : workspace_(workspace) {}

    // The games the player follows (the game menu, the hall), in the player's order: the four
    // first games until the player chooses. Codes no longer known are left out.
    std::vector<history::Game> followed() const;
    bool isFollowed(history::Game game) const;

    // A game's schedule (first draw, minutes between draws, draws a day). Refused with a message
    // (and nothing stored) for an unknown game or a schedule that does not fit: draws a day
    // 1..99, minutes 1..120, the last draw at most 6 hours after midnight.
    Outcome setSchedule(history::Game game, const history::DrawSchedule& schedule);
    // Back to the shipped schedule.
    Outcome resetSchedule(history::Game game);
    // A game of the player's own; refused when its code, key, name or an alias is taken.
    Outcome addGame(history::GameInfo game);
    // Removes a game the player added (its history file stays in the data folder).
    Outcome removeGame(history::Game game);
    // The games followed, in this order (each known, at least one).
    Outcome setFollowed(const std::vector<history::Game>& games);

    // What was wrong with the installed game table (its file and line), for a notice.
    std::vector<std::string> tableProblems() const;

  private:
    Workspace& workspace_;
};

} // namespace app
