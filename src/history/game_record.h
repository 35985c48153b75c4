#pragma once
// Which game's history a database file holds. It is kept in the file's header, not in a table:
// application_id marks the file as a history of this program and user_version holds the game
// code. Lishi and Carcu stay exactly as they are, other readers of the file see nothing new, and
// every copy the program makes of a file (the replacement built by an import or a rebuild, the
// compaction) carries both fields along.

#include "history/period.h"
#include "platform/database.h"

#include <cstdint>
#include <string>

namespace history {

// The application_id of a history file whose game is recorded ("K115").
inline constexpr std::int32_t kHistoryFileId = 0x4b313135;

struct GameRecord {
    enum class State {
        Unrecorded, // written before files recorded their game (or new and empty)
        Recorded,
        Foreign // another program's application_id: not a history of ours
    };
    State state = State::Unrecorded;
    int code = 0; // the recorded game code
};

// Reads the record without changing the file.
GameRecord readGameRecord(platform::Database& db);
// Records the game in the file (one small transaction of its own).
void recordGame(platform::Database& db, Game game);

// The game's name in the games in force ("江西11选5"); "彩种<code>" for a code the game table
// does not hold.
std::string gameName(Game game);

} // namespace history
