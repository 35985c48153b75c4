#include "search/tally.h"

#include "history/attributes.h"
#include "history/zodiac.h"

#include <algorithm>
#include <cstdio>

namespace search {

namespace {

// The counters of each kind, indexed by the value; a value outside them is not counted.
std::pair<int, int> counterRange(int kind) {
    switch (kind) {
    case history::Number:
        return {1, 11};
    case history::ZodiacKind:
        return {0, 12};
    case history::Head:
        return {0, 3};
    case history::Tail:
        return {0, 9};
    case history::Sum:
        return {1, 11};
    default:
        return {0, 3};
    }
}

} // namespace

std::vector<int> resultValues(history::Kind kind, int zodiacBase, int segmentBase) {
    int low = 1, high = 11;
    switch (kind) {
    case history::ZodiacKind:
        low = zodiacBase, high = zodiacBase + 11;
        break;
    case history::Head:
        low = 0, high = 1;
        break;
    case history::Tail:
        low = 0, high = 9;
        break;
    case history::Sum:
        low = 1, high = 9;
        break;
    case history::Segment:
        low = segmentBase, high = segmentBase + 2;
        break;
    default:
        break;
    }
    std::vector<int> values;
    for (int v = low; v <= high; ++v) values.push_back(v);
    return values;
}

Tally tallyHits(const std::vector<history::HistoryRow>& rows,
                const std::vector<std::uint32_t>& hits, history::Kind kind, int zodiacBase,
                int segmentBase) {
    const auto [low, high] = counterRange(kind);
    std::vector<std::int64_t> counters(static_cast<size_t>(high - low + 1), 0);
    for (std::uint32_t r : hits) {
        for (int p = 0; p < 5; ++p) {
            const int v = rows[r].values[kind][p];
            if (v >= low && v <= high) ++counters[static_cast<size_t>(v - low)];
        }
    }
    Tally tally;
    tally.resultKind = kind;
    tally.zodiacBase = zodiacBase;
    tally.hitPeriods = static_cast<std::int64_t>(hits.size());
    tally.total = 5 * tally.hitPeriods;
    for (int v : resultValues(kind, zodiacBase, segmentBase)) {
        const std::int64_t count =
            (v >= low && v <= high) ? counters[static_cast<size_t>(v - low)] : 0;
        tally.byValue.push_back({v, count});
    }
    tally.byCount = tally.byValue;
    std::stable_sort(tally.byCount.begin(), tally.byCount.end(),
                     [](const TallyRow& a, const TallyRow& b) { return a.count > b.count; });
    return tally;
}

std::string percentText(std::int64_t count, std::int64_t total) {
    if (total <= 0) return {};
    // Thousandths of a percent, rounded half away from zero on the exact quotient.
    const std::int64_t numerator = count * 100000;
    const std::int64_t magnitude =
        (2 * (numerator < 0 ? -numerator : numerator) + total) / (2 * total);
    const std::int64_t thousandths = numerator < 0 ? -magnitude : magnitude;
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%s%lld.%03lld%%", thousandths < 0 ? "-" : "",
                  static_cast<long long>((thousandths < 0 ? -thousandths : thousandths) / 1000),
                  static_cast<long long>((thousandths < 0 ? -thousandths : thousandths) % 1000));
    return buffer;
}

std::string valueText(int kind, int value, int zodiacBase) {
    if (kind == history::ZodiacKind) return history::Zodiac::nameOf(value, zodiacBase);
    return std::to_string(value);
}

} // namespace search
