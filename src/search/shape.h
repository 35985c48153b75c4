#pragma once
// The shape (形态) of a draw: one figure that describes all its numbers at once, such as their sum,
// their span or how many are odd, and the exact chance of each figure for a random draw. The
// figures are defined for any count of numbers from 01..11 (a draw of five, a ticket of three), so
// that a bet can be narrowed with the same figures the trend view shows.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace search {

enum class Shape : int {
    Sum5,     // 和值: the sum of the numbers
    Span,     // 跨度: largest minus smallest
    Odd,      // 奇偶比: how many are odd
    Big,      // 大小比: how many are 06..11
    Prime,    // 质合比: how many are in 01 02 03 05 07 11 (01 counted as prime, as players do)
    Route012, // 012路比: counts of n mod 3 = 0, 1, 2, as r0·100 + r1·10 + r2
    Consecutive, // 连号: pairs k, k+1 both drawn
    Repeat,      // 重号: numbers also in the previous draw
    Neighbour,   // 邻号: numbers not in the previous draw next to one that is
    Sum3,        // 前三和值: the sum of the first three in drawn order
};
constexpr int kShapes = 10;

// The name the command line takes ("sum5", "route012", ...) and the caption the window shows.
const char* shapeName(Shape shape);
const char* shapeCaption(Shape shape);
std::optional<Shape> parseShape(std::string_view name);

// Whether the value compares the numbers with the draw before (repeat, neighbour).
bool needsPrevious(Shape shape);

// A set of the numbers 01..11: bit n - 1 stands for n. Numbers outside 01..11 are left out.
using NumberSet = std::uint16_t;
NumberSet numberSet(std::span<const int> numbers);

// The value of a shape for numbers in drawn order (any count; only Sum3 looks at the order).
// previous is the draw before, for Repeat and Neighbour.
int shapeValue(Shape shape, std::span<const int> numbers, NumberSet previous = 0);
// The same for a set, for every shape but Sum3 (which needs the order).
int shapeValueOfSet(Shape shape, NumberSet numbers, NumberSet previous = 0);

// How a value reads for numbers of the given count: "3:2" (the count and the rest) for Odd, Big
// and Prime, "r0:r1:r2" for Route012, decimal otherwise.
std::string shapeLabel(Shape shape, int value, int count = 5);

// The values a shape can take for `count` numbers, ascending: every value with a chance above
// zero (for Repeat and Neighbour, above zero after some previous draw of five).
std::vector<int> shapeValues(Shape shape, int count = 5);

// The exact chance of each of shapeValues(shape, count) for `count` distinct numbers drawn at
// random in random order, counted over every possible draw. Repeat and Neighbour depend on the
// previous draw, given as a set.
std::vector<double> shapeChances(Shape shape, int count = 5, NumberSet previous = 0);

} // namespace search
