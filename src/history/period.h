#pragma once
// Period ids. Stored form: an integer yymmddNN (16090852 is 2016-09-08, draw 52). Ten-digit form:
// "20" and the stored form padded to eight digits, so 9090852 (2009) shows as 2009090852.

#include <optional>
#include <string>
#include <string_view>

namespace history {

// The regional games by their game code. A stored code the program does not offer is kept as it
// is and plays like 江西 (84 draws a day, ten-digit ids).
enum class Game : int { Jiangxi = 22, Guangdong = 23, Shanghai = 562, Heilongjiang = 569 };

// The games of the game menu, in menu order.
inline constexpr Game kGames[4] = {Game::Jiangxi, Game::Guangdong, Game::Shanghai,
                                   Game::Heilongjiang};
// The index of a game in the menu, -1 for a code the menu does not offer.
int gameMenuIndex(Game game);

// Draws per day: 79 for 黑龙江, 90 for 上海, 84 for every other code.
int drawsPerDay(Game game);
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
// the newest draw is the last of its day (or draw 99, which has no successor that day), else the
// stored id plus one (no roll-over). Never a draw 00. Empty when that would lie past kLastPeriod.
std::string nextPeriodText(int newestPeriod, int drawsPerDay);

// Reads a ten-digit id yyyymmddNN typed by the user: a real date of 2000..2099 and a draw
// number of at least 01. Returns the stored form.
std::optional<int> parseTenDigitPeriod(std::string_view text);

// The number formed by the last eight characters of a text (the span boxes), if any.
std::optional<int> lastEightAsNumber(std::string_view text);

} // namespace history
