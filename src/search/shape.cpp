#include "search/shape.h"

#include <algorithm>
#include <array>
#include <bit>
#include <mutex>

namespace search {

namespace {

constexpr NumberSet kAll = 0x7ff;
// Bit n - 1 for each n of the group.
constexpr NumberSet kOdd = 0x555;    // 01 03 05 07 09 11
constexpr NumberSet kBig = 0x7e0;    // 06..11
constexpr NumberSet kPrime = 0x457;  // 01 02 03 05 07 11
constexpr NumberSet kRoute0 = 0x124; // 03 06 09
constexpr NumberSet kRoute1 = 0x249; // 01 04 07 10
constexpr NumberSet kRoute2 = 0x492; // 02 05 08 11

struct ShapeInfo {
    const char* name;
    const char* caption;
};
constexpr std::array<ShapeInfo, kShapes> kInfo = {{
    {"sum5", "和值"},
    {"span", "跨度"},
    {"odd", "奇偶比"},
    {"big", "大小比"},
    {"prime", "质合比"},
    {"route012", "012路比"},
    {"consecutive", "连号"},
    {"repeat", "重号"},
    {"neighbour", "邻号"},
    {"sum3", "前三和值"},
}};

int sumOfSet(NumberSet set) {
    int sum = 0;
    for (int n = 1; n <= 11; ++n)
        if (set & (1u << (n - 1))) sum += n;
    return sum;
}

// How many numbers a set holds, from a table: without a popcount instruction in the target,
// std::popcount is a library call, and the omission table counts several sets per period.
int count(NumberSet set) {
    static constexpr auto kCounts = [] {
        std::array<std::uint8_t, kAll + 1> counts{};
        for (unsigned s = 1; s <= kAll; ++s)
            counts[s] = static_cast<std::uint8_t>(counts[s >> 1] + (s & 1));
        return counts;
    }();
    return kCounts[set & kAll];
}

// Every set of `size` numbers of 01..11.
template <typename Fn> void forEachSet(int size, Fn&& fn) {
    static const auto bySize = [] {
        std::array<std::vector<NumberSet>, 12> sets;
        for (unsigned set = 0; set <= kAll; ++set)
            sets[static_cast<size_t>(std::popcount(set))].push_back(static_cast<NumberSet>(set));
        return sets;
    }();
    for (NumberSet set : bySize[static_cast<size_t>(size)]) fn(set);
}

// The values of Repeat and Neighbour over every previous draw of five, per count of numbers,
// worked out on first use of each count.
const std::vector<int>& previousShapeValues(Shape shape, int size) {
    static std::array<std::once_flag, 12> once;
    static std::array<std::array<std::vector<int>, 2>, 12> values;
    const auto s = static_cast<size_t>(size);
    std::call_once(once[s], [s] {
        std::array<bool, 12> seenRepeat{}, seenNeighbour{};
        forEachSet(5, [&](NumberSet previous) {
            forEachSet(static_cast<int>(s), [&](NumberSet set) {
                seenRepeat[static_cast<size_t>(count(set & previous))] = true;
                seenNeighbour[static_cast<size_t>(
                    shapeValueOfSet(Shape::Neighbour, set, previous))] = true;
            });
        });
        for (int v = 0; v < 12; ++v) {
            if (seenRepeat[static_cast<size_t>(v)]) values[s][0].push_back(v);
            if (seenNeighbour[static_cast<size_t>(v)]) values[s][1].push_back(v);
        }
    });
    return values[s][shape == Shape::Repeat ? 0 : 1];
}

} // namespace

const char* shapeName(Shape shape) {
    return kInfo[static_cast<size_t>(shape)].name;
}
const char* shapeCaption(Shape shape) {
    return kInfo[static_cast<size_t>(shape)].caption;
}

std::optional<Shape> parseShape(std::string_view name) {
    for (int s = 0; s < kShapes; ++s)
        if (name == kInfo[static_cast<size_t>(s)].name) return Shape(s);
    return std::nullopt;
}

bool needsPrevious(Shape shape) {
    return shape == Shape::Repeat || shape == Shape::Neighbour;
}

NumberSet numberSet(std::span<const int> numbers) {
    NumberSet set = 0;
    for (int n : numbers)
        if (n >= 1 && n <= 11) set |= static_cast<NumberSet>(1u << (n - 1));
    return set;
}

int shapeValueOfSet(Shape shape, NumberSet set, NumberSet previous) {
    set &= kAll;
    previous &= kAll;
    switch (shape) {
    case Shape::Sum5:
    case Shape::Sum3: // a set has no order: its whole sum
        return sumOfSet(set);
    case Shape::Span:
        return set == 0 ? 0
                        : std::bit_width(static_cast<unsigned>(set)) - 1 - std::countr_zero(set);
    case Shape::Odd:
        return count(set & kOdd);
    case Shape::Big:
        return count(set & kBig);
    case Shape::Prime:
        return count(set & kPrime);
    case Shape::Route012:
        return count(set & kRoute0) * 100 + count(set & kRoute1) * 10 + count(set & kRoute2);
    case Shape::Consecutive:
        return count(set & (set >> 1));
    case Shape::Repeat:
        return count(set & previous);
    case Shape::Neighbour:
        return count(set & ~previous & ((previous << 1) | (previous >> 1)) & kAll);
    }
    return 0;
}

int shapeValue(Shape shape, std::span<const int> numbers, NumberSet previous) {
    if (shape == Shape::Sum5 || shape == Shape::Sum3) {
        const size_t taken =
            shape == Shape::Sum3 ? std::min<size_t>(3, numbers.size()) : numbers.size();
        int sum = 0;
        for (size_t i = 0; i < taken; ++i) sum += numbers[i];
        return sum;
    }
    return shapeValueOfSet(shape, numberSet(numbers), previous);
}

std::string shapeLabel(Shape shape, int value, int count) {
    switch (shape) {
    case Shape::Odd:
    case Shape::Big:
    case Shape::Prime:
        return std::to_string(value) + ":" + std::to_string(count - value);
    case Shape::Route012:
        return std::to_string(value / 100) + ":" + std::to_string(value / 10 % 10) + ":" +
               std::to_string(value % 10);
    default:
        return std::to_string(value);
    }
}

// The first three of a draw in random order are three numbers taken at random, and a sum does
// not depend on their order: the chances of Sum3 for a draw of `count` are those of the sum of
// min(count, 3) numbers, counted over sets.
std::vector<int> shapeValues(Shape shape, int count) {
    count = std::clamp(count, 0, 11);
    if (needsPrevious(shape)) return previousShapeValues(shape, count);
    if (shape == Shape::Sum3) return shapeValues(Shape::Sum5, std::min(count, 3));
    std::vector<int> values;
    forEachSet(count, [&](NumberSet set) { values.push_back(shapeValueOfSet(shape, set)); });
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    return values;
}

std::vector<double> shapeChances(Shape shape, int count, NumberSet previous) {
    count = std::clamp(count, 0, 11);
    if (shape == Shape::Sum3) return shapeChances(Shape::Sum5, std::min(count, 3));
    const std::vector<int> values = shapeValues(shape, count);
    std::vector<std::int64_t> draws(values.size(), 0);
    std::int64_t total = 0;
    forEachSet(count, [&](NumberSet set) {
        const int value = shapeValueOfSet(shape, set, previous);
        const auto at = std::lower_bound(values.begin(), values.end(), value);
        if (at != values.end() && *at == value) ++draws[static_cast<size_t>(at - values.begin())];
        ++total;
    });
    std::vector<double> chances(values.size(), 0.0);
    for (size_t v = 0; v < values.size(); ++v)
        chances[v] = static_cast<double>(draws[v]) / static_cast<double>(total);
    return chances;
}

} // namespace search
