#pragma once
// What a pattern or combination search is asked: kinds, mode, period offset, targets, positions
// or combination size, and the span of stored period ids.

#include "history/attributes.h"

#include <array>
#include <cstdint>

namespace search {

enum class SearchType {
    Pattern,     // the chosen positions compared together (检索)
    Combination, // every set of combinationSize positions (组合检索)
};

enum class PositionMode {
    Fixed, // 固定位: a target agrees with the value at its own position
    Free,  // 自由位: the value may stand at any position of the earlier draw
};

enum class PeriodMode {
    Last, // 上期: compare with the draw just before
    Back, // 前期: compare with the draw `distance` periods before
};

struct SearchRequest {
    SearchType type = SearchType::Pattern;
    PositionMode positionMode = PositionMode::Free;
    PeriodMode periodMode = PeriodMode::Last;
    int distance = 2; // N of 前期, 1..9
    history::Kind kind = history::Number;
    history::Kind resultKind = history::Number;
    std::array<std::int16_t, 5> targets{};
    std::array<bool, 5> positions{}; // chosen positions of a pattern search
    int combinationSize = 2;         // k of a combination search; outside 1..5 finds nothing
    int spanStart = 0;               // stored ids, inclusive
    int spanEnd = 0;
    int zodiacBase = 1;
    int segmentBase = 1;

    bool combination() const { return type == SearchType::Combination; }
    bool freePosition() const { return positionMode == PositionMode::Free; }
    bool lastPeriod() const { return periodMode == PeriodMode::Last; }
};

} // namespace search
