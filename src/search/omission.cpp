#include "search/omission.h"

#include "history/period.h"
#include "search/chance.h"
#include "search/hit_finder.h"
#include "search/tally.h"

#include <algorithm>
#include <array>
#include <map>

namespace search {

namespace {

// The chance that a random draw carries each value (at one position, or at any), given how many
// of the numbers 01..11 have each value.
std::vector<double> chances(const std::vector<int>& carriers, bool anyPosition) {
    std::vector<double> p(carriers.size(), 0.0);
    for (size_t v = 0; v < carriers.size(); ++v)
        p[v] = anyPosition ? chanceOfAny(carriers[v]) : carriers[v] / 11.0;
    return p;
}

} // namespace

OmissionTable::OmissionTable(const std::vector<history::HistoryRow>& rows,
                             const OmissionRequest& request, const history::Zodiac& zodiac) {
    const auto kind = request.kind;
    if (kind < 0 || kind >= history::kKinds) return;
    const bool anyPosition = request.position < 1 || request.position > history::kPositions;

    values_ = resultValues(kind, request.zodiacBase, request.segmentBase);
    summary_.resize(values_.size());
    carrying_.resize(values_.size());
    for (size_t v = 0; v < values_.size(); ++v) summary_[v].value = values_[v];

    size_t last = 0;
    if (request.spanStart == 0 && request.spanEnd == 0) {
        first_ = 0, last = rows.size();
    } else {
        std::tie(first_, last) = spanRows(rows, request.spanStart, request.spanEnd);
    }
    periods_ = last > first_ ? last - first_ : 0;
    if (periods_ == 0) {
        first_ = std::min(first_, rows.size());
        return;
    }

    // The values are consecutive integers.
    const int low = values_.front();
    const size_t valueCount = values_.size();
    const auto indexOf = [&](int value) -> int {
        const int index = value - low;
        return index >= 0 && static_cast<size_t>(index) < valueCount ? index : -1;
    };

    for (size_t i = 0; i < periods_; ++i) {
        const auto& stored = rows[first_ + i].values[kind];
        if (anyPosition) {
            std::uint32_t seen = 0; // values are at most 12 apart
            for (int p = 0; p < history::kPositions; ++p) {
                const int index = indexOf(stored[p]);
                if (index < 0 || (seen & (1u << index))) continue;
                seen |= 1u << index;
                carrying_[index].push_back(static_cast<std::uint32_t>(i));
            }
        } else {
            const int index = indexOf(stored[request.position - 1]);
            if (index >= 0) carrying_[index].push_back(static_cast<std::uint32_t>(i));
        }
    }

    // Expected counts. Outside the zodiac every period has the same chances; zodiac values
    // depend on the period's own zodiac year, so the periods are counted per year first.
    std::vector<double> expected(valueCount, 0.0);
    if (kind == history::ZodiacKind) {
        std::map<int, std::int64_t> periodsOfYear;
        history::Zodiac byYear = zodiac;
        int lastDay = -1, year = 0;
        for (size_t i = 0; i < periods_; ++i) {
            const int day = rows[first_ + i].period / 100;
            if (day != lastDay) {
                lastDay = day;
                year = history::Zodiac::yearOfPeriod(history::tenDigit(rows[first_ + i].period))
                           .value_or(byYear.year());
            }
            ++periodsOfYear[year];
        }
        for (const auto& [y, n] : periodsOfYear) {
            byYear.setYear(y);
            byYear.updateYearGroups();
            std::vector<int> carriers(valueCount, 0);
            for (int number = 1; number <= 11; ++number) {
                const int index = indexOf(byYear.valueOf(number));
                if (index >= 0) ++carriers[index];
            }
            const auto p = chances(carriers, anyPosition);
            for (size_t v = 0; v < valueCount; ++v) expected[v] += static_cast<double>(n) * p[v];
        }
    } else {
        std::vector<int> carriers(valueCount, 0);
        for (int number = 1; number <= 11; ++number) {
            const int index = indexOf(plainValueOf(kind, number, request.segmentBase));
            if (index >= 0) ++carriers[index];
        }
        const auto p = chances(carriers, anyPosition);
        for (size_t v = 0; v < valueCount; ++v) expected[v] = static_cast<double>(periods_) * p[v];
    }

    const auto periods = static_cast<std::int64_t>(periods_);
    for (size_t v = 0; v < valueCount; ++v) {
        auto& figures = summary_[v];
        const auto& carrying = carrying_[v];
        figures.count = static_cast<std::int64_t>(carrying.size());
        figures.expected = expected[v];
        figures.average = static_cast<double>(periods) / static_cast<double>(figures.count + 1);
        figures.current = omission(periods_ - 1, v);
        if (carrying.empty()) {
            figures.max = periods;
            continue;
        }
        // The longest absence ends just before a carrying period or at the span's end.
        std::int64_t longest = carrying.front();
        std::int64_t run = 1, longestRun = 1;
        for (size_t k = 1; k < carrying.size(); ++k) {
            const std::int64_t gap = static_cast<std::int64_t>(carrying[k]) - carrying[k - 1] - 1;
            longest = std::max(longest, gap);
            run = gap == 0 ? run + 1 : 1;
            longestRun = std::max(longestRun, run);
        }
        longest = std::max(longest, periods - 1 - static_cast<std::int64_t>(carrying.back()));
        figures.max = longest;
        figures.maxRun = longestRun;
    }
}

bool OmissionTable::carries(size_t i, size_t v) const {
    if (v >= carrying_.size() || i >= periods_) return false;
    const auto& carrying = carrying_[v];
    return std::binary_search(carrying.begin(), carrying.end(), static_cast<std::uint32_t>(i));
}

std::int64_t OmissionTable::omission(size_t i, size_t v) const {
    if (v >= carrying_.size() || i >= periods_) return 0;
    const auto& carrying = carrying_[v];
    // The first carrying period after i; the one before it is the last at or before i.
    const auto next =
        std::upper_bound(carrying.begin(), carrying.end(), static_cast<std::uint32_t>(i));
    if (next == carrying.begin()) return static_cast<std::int64_t>(i) + 1;
    return static_cast<std::int64_t>(i) - static_cast<std::int64_t>(*(next - 1));
}

} // namespace search
