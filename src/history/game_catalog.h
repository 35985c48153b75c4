#pragma once
// The 11选5 games the program knows: each game's code, its key for page addresses, its name and
// aliases, the form of its period ids and its schedule of draws. The table is a text file shipped
// with the program (data/games/games.tsv, also built into the program, so a damaged or missing
// installed copy falls back to the built-in one); the player's changes (schedules, added games)
// are merged over it by the workspace, which puts the result in force for the whole process.

#include "history/draw_schedule.h"
#include "history/period.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace history {

enum class IdForm { TenDigit, EightDigit };

struct GameInfo {
    Game game{};                      // the code: 22, 1037...
    std::string key;                  // for page addresses ({key}): "jx", "sd"
    std::string name;                 // "山东11选5"
    std::vector<std::string> aliases; // "十一运夺金"
    IdForm idForm = IdForm::TenDigit;
    DrawSchedule schedule;    // first draw, minutes between draws, draws a day
    int largestCount = 0;     // the most draws a day the game has had (older schedules), if more
    bool playerAdded = false; // added by the player, not in the shipped table
    bool scheduleChanged = false; // the player changed the shipped schedule

    int code() const { return static_cast<int>(game); }
    int drawsPerDay() const { return schedule.drawsPerDay; }
    // The largest draw number a stored or imported id may carry.
    int largestDrawNumber() const;
};

// A line of a game table that could not be taken, for the user.
struct CatalogProblem {
    std::string file;
    int line = 0; // 0: the file as a whole
    std::string what;
    // "games.tsv 第3行：……"
    std::string text() const;
};

class GameCatalog {
  public:
    GameCatalog() = default;
    explicit GameCatalog(std::vector<GameInfo> games) : games_(std::move(games)) {}

    // Reads a game table (see data/games/games.tsv for its form). Any problem (a line that
    // cannot be read, a code, key, name or alias given twice) is listed and the table is not
    // usable: nothing is returned then.
    static std::optional<GameCatalog> parse(std::string_view text, const std::string& fileName,
                                            std::vector<CatalogProblem>& problems);

    // Every game in table order (the player's added games last).
    const std::vector<GameInfo>& all() const { return games_; }
    bool empty() const { return games_.empty(); }

    const GameInfo* find(Game game) const;
    const GameInfo* findKey(std::string_view key) const;
    // By name or alias ("山东11选5", "十一运夺金"; also the name without "11选5": "山东").
    const GameInfo* findName(std::string_view name) const;
    // What the player typed: a code, a key, a name or an alias.
    const GameInfo* lookup(std::string_view text) const;
    // The games whose code, key, name or aliases are closest to a text that named none, closest
    // first (at most count).
    std::vector<const GameInfo*> closest(std::string_view text, size_t count = 3) const;
    // The game a text names, when it holds a name or alias of one ("江西11选5开奖"): the longest
    // name found wins.
    const GameInfo* namedIn(std::string_view text) const;

    // For a code the table does not hold: 江西's schedule and ten-digit ids, "彩种<code>".
    DrawSchedule schedule(Game game) const;
    int drawsPerDay(Game game) const { return schedule(game).drawsPerDay; }
    int largestDrawNumber(Game game) const;
    IdForm idForm(Game game) const;
    std::string name(Game game) const;

    // Why a game cannot join the table (a code, key, name or alias already used, a schedule that
    // cannot be); nothing when it can. ignore: a game whose own names do not count (its edit).
    std::optional<std::string> problemAdding(const GameInfo& game,
                                             std::optional<Game> ignore = {}) const;
    // The table with the game added (check problemAdding first) or a game's schedule changed.
    GameCatalog withGame(GameInfo game) const;
    GameCatalog withSchedule(Game game, const DrawSchedule& schedule) const;

  private:
    std::vector<GameInfo> games_;
};

// One line of a game table ("1037 sd 山东11选5 十一运夺金 10 09:00 20 43 87") read into a game,
// or why it cannot be; and a game written as such a line.
std::optional<std::string> readGameLine(std::string_view line, GameInfo& game);
std::string gameLineText(const GameInfo& game);

// The table built into the program (the source tree's data/games/games.tsv).
const GameCatalog& builtInGames();
// The text of that table.
std::string_view builtInGameTableText();

// The games in force: the shipped table with the player's changes (the built-in table until the
// workspace puts another one in force). Safe to call from any thread; a reader keeps the table it
// got even when another is put in force meanwhile.
std::shared_ptr<const GameCatalog> games();
void putGamesInForce(std::shared_ptr<const GameCatalog> catalog);

} // namespace history
