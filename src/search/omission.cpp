#include "search/omission.h"

#include "history/period.h"
#include "search/chance.h"
#include "search/hit_finder.h"
#include "search/tally.h"

#include <algorithm>
#include <array>
#include <map>
#include <numeric>

namespace search {

namespace {

constexpr std::uint8_t kNoValue = 255;

// The chance that a random draw carries each value (at one position, or at any), given how many
// of the numbers 01..11 have each value.
std::vector<double> chances(const std::vector<int>& carriers, bool anyPosition) {
    std::vector<double> p(carriers.size(), 0.0);
    for (size_t v = 0; v < carriers.size(); ++v)
        p[v] = anyPosition ? chanceOfAny(carriers[v]) : carriers[v] / 11.0;
    return p;
}

std::array<int, history::kPositions> numbersOf(const history::HistoryRow& row) {
    std::array<int, history::kPositions> numbers{};
    for (int p = 0; p < history::kPositions; ++p) numbers[p] = row.values[history::Number][p];
    return numbers;
}

NumberSet setOf(const history::HistoryRow& row) {
    unsigned set = 0;
    for (const int n : row.values[history::Number])
        if (n >= 1 && n <= 11) set |= 1u << (n - 1);
    return static_cast<NumberSet>(set);
}

} // namespace

OmissionTable::OmissionTable(const std::vector<history::HistoryRow>& rows,
                             const OmissionRequest& request, const history::Zodiac& zodiac) {
    const auto kind = request.kind;
    const auto shape = request.shape;
    if (!shape && (kind < 0 || kind >= history::kKinds)) return;
    const bool anyPosition =
        !shape && (request.position < 1 || request.position > history::kPositions);
    const bool withPrevious = shape && needsPrevious(*shape);
    singleValued_ = !anyPosition;

    values_ =
        shape ? shapeValues(*shape) : resultValues(kind, request.zodiacBase, request.segmentBase);
    summary_.resize(values_.size());
    carrying_.resize(values_.size());
    for (size_t v = 0; v < values_.size(); ++v) summary_[v].value = values_[v];

    size_t last = 0;
    if (request.spanStart == 0 && request.spanEnd == 0) {
        first_ = 0, last = rows.size();
    } else {
        std::tie(first_, last) = spanRows(rows, request.spanStart, request.spanEnd);
    }
    // The history's first period has no draw before it to compare with.
    if (withPrevious && first_ == 0 && last > 0) first_ = 1;
    periods_ = last > first_ ? last - first_ : 0;
    if (periods_ == 0) {
        first_ = std::min(first_, rows.size());
        return;
    }

    // Index of each value, over the range of the values (shape values are not consecutive).
    const int low = values_.front();
    std::vector<int> indexOfValue(static_cast<size_t>(values_.back() - low + 1), -1);
    for (size_t v = 0; v < values_.size(); ++v)
        indexOfValue[static_cast<size_t>(values_[v] - low)] = static_cast<int>(v);
    const auto indexOf = [&](int value) -> int {
        const int offset = value - low;
        return offset >= 0 && static_cast<size_t>(offset) < indexOfValue.size()
                   ? indexOfValue[static_cast<size_t>(offset)]
                   : -1;
    };

    // The value row r carries, where a period carries one (-1: none of the values).
    const auto valueOfRow = [&](size_t r) -> int {
        const auto& row = rows[r];
        if (!shape) return indexOf(row.values[kind][request.position - 1]);
        if (*shape == Shape::Sum5 || *shape == Shape::Sum3)
            return indexOf(shapeValue(*shape, numbersOf(row)));
        return withPrevious ? indexOf(shapeValueOfSet(*shape, setOf(row), setOf(rows[r - 1])))
                            : indexOf(shapeValueOfSet(*shape, setOf(row)));
    };
    // Calls add with the index of each value row r carries, each once.
    const auto forEachValue = [&](size_t r, auto&& add) {
        if (!anyPosition) {
            if (const int index = valueOfRow(r); index >= 0) add(index);
            return;
        }
        std::uint32_t seen = 0; // values are at most 12 apart
        for (const int value : rows[r].values[kind]) {
            const int index = indexOf(value);
            if (index < 0 || (seen & (1u << index))) continue;
            seen |= 1u << index;
            add(index);
        }
    };

    // The history before the span, once: each value's omission at its end and its longest.
    std::vector<std::int64_t> longestBefore;
    if (request.carryOver) {
        const size_t start = withPrevious ? 1 : 0;
        std::vector<std::int64_t> last(values_.size(), static_cast<std::int64_t>(start) - 1);
        longestBefore.assign(values_.size(), 0);
        for (size_t r = start; r < first_; ++r)
            forEachValue(r, [&](int index) {
                const auto v = static_cast<size_t>(index);
                const auto at = static_cast<std::int64_t>(r);
                longestBefore[v] = std::max(longestBefore[v], at - last[v] - 1);
                last[v] = at;
            });
        carriedIn_.resize(values_.size());
        for (size_t v = 0; v < values_.size(); ++v)
            carriedIn_[v] = static_cast<std::int64_t>(first_) - 1 - last[v];
    }

    if (singleValued_) valueIndex_.assign(periods_, kNoValue);
    // The sets of the numbers drawn, from the period before the span's first when it has one.
    std::vector<NumberSet> sets;
    if (withPrevious) {
        sets.resize(periods_ + 1);
        for (size_t i = 0; i <= periods_; ++i) sets[i] = setOf(rows[first_ + i - 1]);
    }
    for (size_t i = 0; i < periods_; ++i) {
        forEachValue(first_ + i, [&](int index) {
            carrying_[static_cast<size_t>(index)].push_back(static_cast<std::uint32_t>(i));
            if (singleValued_) valueIndex_[i] = static_cast<std::uint8_t>(index);
        });
    }

    // The chances of each period. Outside the zodiac and the shapes that look back, every
    // period has the same; zodiac values depend on the period's own zodiac year, repeat and
    // neighbour on the draw before, so the periods are counted per year or per previous draw.
    const size_t valueCount = values_.size();
    std::vector<std::int64_t> periodsOfSet;
    if (shape && withPrevious) {
        constexpr std::uint16_t none = 0xffff;
        std::vector<std::uint16_t> setOfPrevious(0x800, none);
        periodChances_.resize(periods_);
        for (size_t i = 0; i < periods_; ++i) {
            const NumberSet previous = sets[i];
            auto& set = setOfPrevious[previous];
            if (set == none) {
                set = static_cast<std::uint16_t>(chanceSets_.size());
                chanceSets_.push_back(shapeChances(*shape, 5, previous));
                periodsOfSet.push_back(0);
            }
            periodChances_[i] = set;
            ++periodsOfSet[set];
        }
    } else if (shape) {
        chanceSets_.push_back(shapeChances(*shape));
        periodsOfSet.push_back(static_cast<std::int64_t>(periods_));
    } else if (kind == history::ZodiacKind) {
        std::map<int, std::uint16_t> setOfYear;
        periodChances_.resize(periods_);
        history::Zodiac byYear = zodiac;
        int lastDay = -1;
        std::uint16_t current = 0;
        for (size_t i = 0; i < periods_; ++i) {
            const int day = rows[first_ + i].period / 100;
            if (day != lastDay) {
                lastDay = day;
                const int year =
                    history::Zodiac::yearOfPeriod(history::tenDigit(rows[first_ + i].period))
                        .value_or(zodiac.year());
                auto [at, added] =
                    setOfYear.emplace(year, static_cast<std::uint16_t>(chanceSets_.size()));
                if (added) {
                    byYear.setYear(year);
                    byYear.updateYearGroups();
                    std::vector<int> carriers(valueCount, 0);
                    for (int number = 1; number <= 11; ++number) {
                        const int index = indexOf(byYear.valueOf(number));
                        if (index >= 0) ++carriers[static_cast<size_t>(index)];
                    }
                    chanceSets_.push_back(chances(carriers, anyPosition));
                    periodsOfSet.push_back(0);
                }
                current = at->second;
            }
            periodChances_[i] = current;
            ++periodsOfSet[current];
        }
    } else {
        std::vector<int> carriers(valueCount, 0);
        for (int number = 1; number <= 11; ++number) {
            const int index = indexOf(plainValueOf(kind, number, request.segmentBase));
            if (index >= 0) ++carriers[static_cast<size_t>(index)];
        }
        chanceSets_.push_back(chances(carriers, anyPosition));
        periodsOfSet.push_back(static_cast<std::int64_t>(periods_));
    }
    if (chanceSets_.size() == 1) periodChances_.clear();
    std::vector<double> expected(valueCount, 0.0);
    for (size_t s = 0; s < chanceSets_.size(); ++s)
        for (size_t v = 0; v < valueCount; ++v)
            expected[v] += static_cast<double>(periodsOfSet[s]) * chanceSets_[s][v];

    const auto periods = static_cast<std::int64_t>(periods_);
    std::vector<std::int64_t> counts(valueCount, 0);
    for (size_t v = 0; v < valueCount; ++v) {
        auto& figures = summary_[v];
        const auto& carrying = carrying_[v];
        figures.count = counts[v] = static_cast<std::int64_t>(carrying.size());
        figures.expected = expected[v];
        figures.average = static_cast<double>(periods) / static_cast<double>(figures.count + 1);
        figures.carriedCurrent = omission(periods_ - 1, v);
        const std::int64_t carriedIn = carriedIn_.empty() ? 0 : carriedIn_[v];
        const std::int64_t before = longestBefore.empty() ? 0 : longestBefore[v];
        if (carrying.empty()) {
            figures.current = figures.max = periods;
            figures.carriedMax = std::max(before, carriedIn + periods);
            continue;
        }
        figures.current = periods - 1 - static_cast<std::int64_t>(carrying.back());
        // The longest absence ends just before a carrying period or at the span's end; the
        // first one began before the span when the omission carries over.
        std::int64_t longest = figures.current;
        std::int64_t run = 1, longestRun = 1;
        for (size_t k = 1; k < carrying.size(); ++k) {
            const std::int64_t gap = static_cast<std::int64_t>(carrying[k]) - carrying[k - 1] - 1;
            longest = std::max(longest, gap);
            run = gap == 0 ? run + 1 : 1;
            longestRun = std::max(longestRun, run);
        }
        const auto first = static_cast<std::int64_t>(carrying.front());
        figures.max = std::max(longest, first);
        figures.carriedMax = std::max({longest, before, carriedIn + first});
        figures.maxRun = longestRun;
    }
    if (singleValued_) {
        // The merging of rare values goes by ascending value.
        std::vector<size_t> order(valueCount);
        std::iota(order.begin(), order.end(), size_t{0});
        std::stable_sort(order.begin(), order.end(),
                         [&](size_t a, size_t b) { return values_[a] < values_[b]; });
        std::vector<std::int64_t> sortedCounts;
        std::vector<double> sortedExpected;
        for (const size_t v : order) {
            sortedCounts.push_back(counts[v]);
            sortedExpected.push_back(expected[v]);
        }
        uniformity_ = chiSquareUniformity(sortedCounts, sortedExpected);
    }
}

bool OmissionTable::carries(size_t i, size_t v) const {
    if (v >= carrying_.size() || i >= periods_) return false;
    if (!valueIndex_.empty()) return valueIndex_[i] == v;
    const auto& carrying = carrying_[v];
    return std::binary_search(carrying.begin(), carrying.end(), static_cast<std::uint32_t>(i));
}

std::int64_t OmissionTable::omission(size_t i, size_t v) const {
    if (v >= carrying_.size() || i >= periods_) return 0;
    const auto& carrying = carrying_[v];
    // The first carrying period after i; the one before it is the last at or before i.
    const auto next =
        std::upper_bound(carrying.begin(), carrying.end(), static_cast<std::uint32_t>(i));
    if (next == carrying.begin())
        return (carriedIn_.empty() ? 0 : carriedIn_[v]) + static_cast<std::int64_t>(i) + 1;
    return static_cast<std::int64_t>(i) - static_cast<std::int64_t>(*(next - 1));
}

int OmissionTable::valueAt(size_t i) const {
    if (i >= valueIndex_.size() || valueIndex_[i] == kNoValue) return -1;
    return valueIndex_[i];
}

std::int64_t OmissionTable::lastCarrying(size_t v) const {
    if (v >= carrying_.size() || carrying_[v].empty()) return -1;
    return carrying_[v].back();
}

std::int64_t OmissionTable::countInLast(size_t v, size_t n) const {
    if (v >= carrying_.size()) return 0;
    const auto& carrying = carrying_[v];
    const size_t from = periods_ > n ? periods_ - n : 0;
    return carrying.end() -
           std::lower_bound(carrying.begin(), carrying.end(), static_cast<std::uint32_t>(from));
}

double OmissionTable::chance(size_t i, size_t v) const {
    if (i >= periods_ || chanceSets_.empty()) return 0;
    const auto& set = chanceSets_[periodChances_.empty() ? 0 : periodChances_[i]];
    return v < set.size() ? set[v] : 0;
}

} // namespace search
