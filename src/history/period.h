#pragma once
// Period ids. Stored form: an integer yymmddNN (16090852 is 2016-09-08, draw 52). Ten-digit form:
// "20" and the stored form padded to eight digits, so 9090852 (2009) shows as 2009090852.

#include <optional>
#include <string>
#include <string_view>

namespace history {

// Games and their draws per day: 79 for code 569, 90 for 562, 84 for every other code.
int drawsPerDay(int gameCode);
// The games whose history grid shows the stored eight-digit id rather than the ten-digit form.
bool showsEightDigitIds(int gameCode);

// The stored form padded to eight digits.
std::string eightDigit(int period);
// "20" followed by the eight-digit form.
std::string tenDigit(int period);
// The id as the history grid of the given game shows it.
std::string gridPeriodText(int period, int gameCode);

// The next period after the newest stored draw, in ten-digit form: the next day's draw 01 when
// the newest draw is the last of its day, else the stored id plus one (no roll-over).
std::string nextPeriodText(int newestPeriod, int drawsPerDay);

// Reads a ten-digit id yyyymmddNN typed by the user: a real date of 2000..2099 and a draw
// number of at least 01. Returns the stored form.
std::optional<int> parseTenDigitPeriod(std::string_view text);

// The number formed by the last eight characters of a text (the span boxes), if any.
std::optional<int> lastEightAsNumber(std::string_view text);

} // namespace history
