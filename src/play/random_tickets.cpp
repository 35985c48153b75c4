#include "play/random_tickets.h"

#include <algorithm>

namespace play {

// The winning tickets when `bought` distinct selections of n are taken at random. Only how many
// of the period's winners are among them matters, so whichever side is smaller is walked: the
// bought tickets (Floyd's way of drawing a set, marks kept in `chosen`, all false before and
// after), or the winners, each taken with the chance left of the tickets still to place.
std::int64_t randomHits(Random& random, std::uint32_t n, std::uint32_t bought,
                        const std::vector<std::uint32_t>& winners,
                        std::vector<std::uint8_t>& chosen, std::vector<std::uint32_t>& picked) {
    const std::uint32_t m = std::min(bought, n);
    if (m == 0) return 0;
    if (m == 1) {
        const std::uint32_t s = random.below(n);
        return std::count(winners.begin(), winners.end(), s);
    }
    const auto w = static_cast<std::uint32_t>(winners.size());
    if (m > w) {
        // Winner j (of the n - j selections not yet decided) is among the tickets with the
        // chance (tickets left) / (n - j).
        std::uint32_t left = m;
        for (std::uint32_t j = 0; j < w && left > 0; ++j)
            if (random.below(n - j) < left) --left;
        return m - left;
    }
    picked.clear();
    for (std::uint32_t j = n - m; j < n; ++j) {
        std::uint32_t t = random.below(j + 1);
        if (chosen[t]) t = j;
        chosen[t] = 1;
        picked.push_back(t);
    }
    std::int64_t hits = 0;
    for (std::uint32_t winner : winners) hits += chosen[winner];
    for (std::uint32_t t : picked) chosen[t] = 0;
    return hits;
}

double quantile(std::vector<std::int64_t>& values, double share) {
    if (values.empty()) return 0;
    const size_t at = std::min(values.size() - 1,
                               static_cast<size_t>(share * static_cast<double>(values.size())));
    std::nth_element(values.begin(), values.begin() + static_cast<long>(at), values.end());
    return static_cast<double>(values[at]);
}

} // namespace play
