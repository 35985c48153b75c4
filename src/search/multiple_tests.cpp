#include "search/multiple_tests.h"

#include <algorithm>
#include <numeric>

namespace search {

std::vector<double> holmAdjusted(const std::vector<double>& p) {
    const size_t count = p.size();
    std::vector<size_t> order(count);
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return p[a] < p[b]; });
    std::vector<double> adjusted(count);
    double running = 0;
    for (size_t i = 0; i < count; ++i) {
        const double scaled = std::min(1.0, static_cast<double>(count - i) * p[order[i]]);
        running = std::max(running, scaled);
        adjusted[order[i]] = running;
    }
    return adjusted;
}

} // namespace search
