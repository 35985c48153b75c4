#pragma once
// Runs (长龙): the same value of a shape in consecutive draws, such as 大 at the first position
// eight draws running or a small 和值 six draws running, and the exact chance, on uniformly random
// draws, of a run at least that long somewhere in a day's draws.
//
// A shape of one number at a position (in drawn order): 大/小 (06..11 big), 单/双, 质/合 (01 02
// 03 05 07 11 prime) and the 012 route (the number mod 3). A shape of the whole draw: the same
// four as counts (大小比, 奇偶比, 质合比, 012路比 as the trend view shows them), 和值 大/小 and
// 跨度 大/小 (above the middle of the values the shape takes is 大, below it 小, the middle
// itself 和 for the sum 30 and 中 for the span 7: a value of its own), and 龙/虎 (the first number
// drawn above the fifth, or below it).

#include "history/history_table.h"
#include "search/shape.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace search {

enum class StreakShape { Big, Odd, Prime, Route012, Sum5, Span, Dragon };

struct StreakKind {
    StreakShape shape = StreakShape::Big;
    int position = 0; // 1..5 for a number at that position, 0 for the whole draw
    bool operator==(const StreakKind&) const = default;
};

struct ParsedStreakKind {
    std::optional<StreakKind> kind;
    std::string error;
};
// "big:1", "odd:3", "route012:5", "odd" (the odd count), "sum5", "span", "dragon". Refused with a
// message: an unknown shape, a position outside 1..5, a position for sum5, span or dragon.
ParsedStreakKind parseStreakKind(std::string_view text);
// The written form parseStreakKind reads back.
std::string streakKindText(const StreakKind& kind);
// As the program shows it: "第1位大小", "和值大小", "龙虎", "奇偶比".
std::string streakKindCaption(const StreakKind& kind);

// The value of the kind for a draw's numbers in drawn order.
int streakValue(const StreakKind& kind, std::span<const int, 5> numbers);
int streakValue(const StreakKind& kind, const history::PositionValues& numbers);
// How a value reads: "大", "双", "2路", "龙", "和", "3:2".
std::string streakValueLabel(const StreakKind& kind, int value);

struct StreakValueChance {
    int value = 0;
    double chance = 0;
};
// Every value the kind takes with its exact chance in one random draw, counted over the 55,440
// ordered draws.
std::vector<StreakValueChance> streakValueChances(const StreakKind& kind);

// The chance that draws independent draws, each value v taken with chances[v], hold a run of
// at least `length` draws of one value (any of them). Exact: the chance of no such run is carried
// draw by draw over the value and length of the run in progress. 1 for a length of 1 or less
// (with at least one draw), 0 for a length above draws.
double runChance(std::span<const double> chances, int length, int draws);
// The same for the kind's values, over a day of drawsPerDay draws.
double streakChanceInDay(const StreakKind& kind, int length, int drawsPerDay);

// Whether two stored draws follow each other with no draw known to be missing between them: the
// next draw of the same day, or draw 01 of a later day. A run is broken where a draw is missing.
bool followsDirectly(std::int32_t before, std::int32_t after);

struct Run {
    int value = 0;
    std::size_t length = 0; // draws
    std::size_t first = 0;  // index of its first row
};
// The run that ends with the row before `end` (empty when end is 0).
Run currentRun(const StreakKind& kind, std::span<const history::HistoryRow> rows, std::size_t end);

} // namespace search
