#pragma once
// Synthetic draw histories: valid draws (five distinct numbers 01..11) on consecutive periods of
// a game, from a seeded generator, so benchmarks and tests are repeatable.

#include "history/attributes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace synthetic {

struct Draw {
    int period = 0;
    history::Numbers numbers{};
};

// count draws starting at firstPeriod, drawsPerDay per day, rolling over days and months.
std::vector<Draw> makeHistory(size_t count, int firstPeriod = 16010101, int drawsPerDay = 84,
                              std::uint32_t seed = 20160908);

// The draws as lines of the history text format: "16090852 05 03 08 01 11 ", CR LF ends.
std::string toText(const std::vector<Draw>& draws);

} // namespace synthetic
