#pragma once
// A history of uniformly random draws (numbers only, periods counted up from 16010101), the same
// for the same seed.

#include "history/history_table.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <vector>

namespace testing_support {

inline std::vector<history::HistoryRow> randomHistory(size_t count, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<history::HistoryRow> rows(count);
    for (size_t i = 0; i < count; ++i) {
        std::array<std::int16_t, 11> numbers{};
        for (int n = 0; n < 11; ++n) numbers[n] = static_cast<std::int16_t>(n + 1);
        std::shuffle(numbers.begin(), numbers.end(), random);
        rows[i].period = 16010101 + static_cast<int>(i);
        std::copy_n(numbers.begin(), 5, rows[i].values[history::Number].begin());
    }
    return rows;
}

} // namespace testing_support
