#include "synthetic_history.h"

#include "history/period.h"

#include <algorithm>
#include <numeric>
#include <random>

namespace synthetic {

std::vector<Draw> makeHistory(size_t count, int firstPeriod, int perDay, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<Draw> draws;
    draws.reserve(count);
    int period = firstPeriod;
    std::array<int, 11> pool{};
    std::iota(pool.begin(), pool.end(), 1);
    for (size_t i = 0; i < count; ++i) {
        // A partial Fisher-Yates shuffle gives five distinct numbers in drawn order.
        for (int k = 0; k < 5; ++k) {
            std::uniform_int_distribution<int> pick(k, 10);
            std::swap(pool[k], pool[pick(random)]);
        }
        Draw d;
        d.period = period;
        std::copy_n(pool.begin(), 5, d.numbers.begin());
        draws.push_back(d);
        period = history::parseTenDigitPeriod(history::nextPeriodText(period, perDay))
                     .value_or(period + 1);
    }
    return draws;
}

std::string toText(const std::vector<Draw>& draws) {
    std::string out;
    out.reserve(draws.size() * 26);
    for (const auto& d : draws) {
        out += history::eightDigit(d.period);
        out += ' ';
        for (int n : d.numbers) out += history::format00(n) + " ";
        out += "\r\n";
    }
    return out;
}

} // namespace synthetic
