#pragma once
// What a pattern or combination search is asked: kinds, mode, period offset, targets, positions
// or combination size, and the span of stored period ids.

#include <array>
#include <cstdint>

namespace search {

struct SearchRequest {
    bool combination = false; // combination search (every set of comboSize positions)
    bool freePosition = true; // 自由位: the value may stand at any position of the earlier draw
    bool lastPeriod = true;   // 上期: compare with the draw just before; else N before
    int distance = 2;         // N of 前期, 1..9
    int kind = 0;             // search type 0..5
    int resultKind = 0;       // result type 0..5
    std::array<std::int16_t, 5> targets{};
    std::array<bool, 5> positions{}; // chosen positions of a pattern search
    int comboSize = 2;               // k of a combination search; outside 1..5 finds nothing
    int spanStart = 0;               // stored ids, inclusive
    int spanEnd = 0;
    int zodiacBase = 1;
    int segmentBase = 1;
};

} // namespace search
