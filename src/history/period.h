#pragma once
// Period ids. Stored form: an integer yymmddNN (16090852 is 2016-09-08, draw 52). Ten-digit form:
// "20" and the stored form padded to eight digits, so 9090852 (2009) shows as 2009090852.

#include <optional>
#include <string>
#include <string_view>

namespace history {

// A game by its code. The games and their codes are data (history/game_catalog.h): any code is
// Game{code}; the four named here are the ones the program has always had. A code the game table
// does not hold plays like 江西 (its schedule, ten-digit ids).
enum class Game : int { Jiangxi = 22, Guangdong = 23, Shanghai = 562, Heilongjiang = 569 };

// The four games of the first versions, in their old menu order (the games followed until the
// player chooses others).
inline constexpr Game kFirstGames[4] = {Game::Jiangxi, Game::Guangdong, Game::Shanghai,
                                        Game::Heilongjiang};

// Draws a day of the game's schedule in force (history::games()).
int drawsPerDay(Game game);
// The largest draw number a stored or imported id of the game may carry: the most draws a day
// the game has had.
int largestDrawNumber(Game game);
// The games whose history grid shows the stored eight-digit id rather than the ten-digit form.
bool showsEightDigitIds(Game game);

// The stored form padded to eight digits.
std::string eightDigit(int period);
// "20" followed by the eight-digit form.
std::string tenDigit(int period);
// The id as the history grid of the given game shows it.
std::string gridPeriodText(int period, Game game);

// The last period id there can be: ten-digit ids end at 2099123199.
inline constexpr int kLastPeriod = 99123199;

// The next period after the newest stored draw, in ten-digit form: the next day's draw 01 when
// the newest draw is the day's last or later (a draw of an older, longer schedule; draw 99 has no
// successor that day), else the stored id plus one. Never a draw 00. Empty when that would lie
// past kLastPeriod.
std::string nextPeriodText(int newestPeriod, int drawsPerDay);

// Reads a ten-digit id yyyymmddNN typed by the user: a real date of 2000..2099 and a draw
// number of at least 01. Returns the stored form.
std::optional<int> parseTenDigitPeriod(std::string_view text);

// The number formed by the last eight characters of a text (the span boxes), if any.
std::optional<int> lastEightAsNumber(std::string_view text);

} // namespace history
