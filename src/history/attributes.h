#pragma once
// The six attribute kinds of a number and the derivation of a draw's 30 attribute values, with
// the token strings that describe a draw as text.

#include "history/zodiac.h"

#include <array>
#include <cstdint>
#include <string>

namespace history {

enum Kind : int { Number = 0, ZodiacKind = 1, Head = 2, Tail = 3, Sum = 4, Segment = 5 };
constexpr int kKinds = 6;
constexpr int kPositions = 5;

// The column letter of each kind (L1A, L1B, L1E, ...).
constexpr std::array<const char*, kKinds> kColumnLetter = {"A", "B", "E", "F", "G", "H"};
// The suffix of each kind's token-string columns (txtHisLstHm, ...).
constexpr std::array<const char*, kKinds> kTextSuffix = {"Hm", "Sx", "Tou", "Wei", "He", "Ds"};
// Captions of the kinds as the option buttons show them.
const std::array<std::string, kKinds>& kindCaptions();

using Numbers = std::array<int, kPositions>;
using PositionValues = std::array<std::int16_t, kPositions>;
// values[kind][position - 1]
using DrawValues = std::array<PositionValues, kKinds>;

// The attributes of each number under the current zodiac and segment base.
DrawValues deriveDraw(const Numbers& numbers, const Zodiac& zodiac, int segmentBase);

// A value formatted "00" (5 -> "05", 11 -> "11", -5 -> "-05").
std::string format00(int value);
// A value as a token shows it: "00" for number, zodiac and sum; plain digits for the others.
std::string tokenValue(int kind, int value);
// A counted token: occurrence count, "X", value ("1X05").
std::string countedToken(int kind, int count, int value);

// The counted token string of one kind ("1X0 2X0 3X0 1X1 4X0 ").
std::string countedTokens(const PositionValues& values, int kind);
// The numbers formatted "00", each followed by a blank ("03 07 01 11 05 ").
std::string plainNumbers(const PositionValues& numbers);

// The seven strings that describe one draw: plain numbers, then the counted tokens of the six
// kinds in kind order (the txtHisLst columns, and the txtHisPreLst columns two draws on).
using DrawStrings = std::array<std::string, 1 + kKinds>;
DrawStrings describeDraw(const DrawValues& values);

} // namespace history
