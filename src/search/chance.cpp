#include "search/chance.h"

#include "history/period.h"

#include <algorithm>
#include <cmath>

namespace search {

namespace {

// C(n, 5) for n = 0..11.
double choose5(int n) {
    if (n < 5) return 0;
    double c = 1;
    for (int k = 0; k < 5; ++k) c = c * (n - k) / (k + 1);
    return c;
}

} // namespace

int plainValueOf(history::Kind kind, int n, int segmentBase) {
    const int head = n / 10, tail = n % 10;
    switch (kind) {
    case history::Head:
        return head;
    case history::Tail:
        return tail;
    case history::Sum:
        return head + tail;
    case history::Segment:
        return (n - 1) / 4 + segmentBase;
    default:
        return n;
    }
}

NumberValues::NumberValues(history::Kind kind, const history::Zodiac& zodiac, int segmentBase)
    : kind_(kind), zodiac_(zodiac), segmentBase_(segmentBase) {
    for (int n = 1; n <= 11; ++n)
        plain_[n - 1] = static_cast<std::int16_t>(plainValueOf(kind, n, segmentBase));
}

std::array<std::int16_t, 11> NumberValues::valuesOfYear(int year) {
    zodiac_.setYear(year);
    zodiac_.updateYearGroups();
    std::array<std::int16_t, 11> values{};
    for (int n = 1; n <= 11; ++n) values[n - 1] = zodiac_.valueOf(n);
    return values;
}

const std::array<std::int16_t, 11>& NumberValues::at(int period) {
    if (kind_ != history::ZodiacKind) return plain_;
    // The zodiac year changes with the date only; draws of one day share it.
    const int day = period / 100;
    if (day == lastDay_ && lastValues_) return *lastValues_;
    const int year =
        history::Zodiac::yearOfPeriod(history::tenDigit(period)).value_or(zodiac_.year());
    auto at = byYear_.find(year);
    if (at == byYear_.end()) at = byYear_.emplace(year, valuesOfYear(year)).first;
    lastDay_ = day;
    lastValues_ = &at->second;
    return at->second;
}

std::vector<ChanceBand> chanceBands(const std::vector<history::HistoryRow>& rows,
                                    const std::vector<std::uint32_t>& hits, const Tally& tally,
                                    const history::Zodiac& zodiac, int segmentBase) {
    NumberValues numbers(tally.resultKind, zodiac, segmentBase);
    const size_t count = tally.byValue.size();
    std::vector<double> expected(count, 0.0), variance(count, 0.0);
    // Periods with the same values of the eleven numbers add the same amounts: count them first.
    std::map<const std::array<std::int16_t, 11>*, std::int64_t> periodsByValues;
    for (std::uint32_t r : hits) ++periodsByValues[&numbers.at(rows[r].period)];
    for (const auto& [values, periods] : periodsByValues) {
        for (size_t v = 0; v < count; ++v) {
            const auto carriers =
                std::count(values->begin(), values->end(), tally.byValue[v].value);
            const double p = static_cast<double>(carriers) / 11.0;
            expected[v] += static_cast<double>(periods) * 5.0 * p;
            variance[v] += static_cast<double>(periods) * 5.0 * p * (1.0 - p) * 6.0 / 10.0;
        }
    }
    std::vector<ChanceBand> bands(count);
    for (size_t v = 0; v < count; ++v) {
        const double spread = 1.96 * std::sqrt(variance[v]);
        bands[v] = {expected[v], std::max(0.0, expected[v] - spread), expected[v] + spread};
    }
    return bands;
}

double chanceOfAny(int m) {
    m = std::clamp(m, 0, 11);
    return 1.0 - choose5(11 - m) / choose5(11);
}

double poissonBinomialTail(const std::vector<double>& chances, std::int64_t successes) {
    if (successes <= 0) return 1.0;
    if (successes > static_cast<std::int64_t>(chances.size())) return 0.0;
    // The distribution of the count so far, over [low, high]; counts whose probability has
    // fallen far below what a double can add to the rest are dropped from the ends.
    std::vector<double> p(chances.size() + 1, 0.0);
    p[0] = 1.0;
    size_t low = 0, high = 0;
    constexpr double kNegligible = 1e-300;
    for (double q : chances) {
        q = std::clamp(q, 0.0, 1.0);
        p[high + 1] = 0.0;
        for (size_t j = high + 1; j > low; --j) p[j] = p[j] * (1.0 - q) + p[j - 1] * q;
        p[low] *= 1.0 - q;
        ++high;
        while (low < high && p[low] < kNegligible) ++low;
        while (high > low && p[high] < kNegligible) --high;
    }
    double tail = 0.0;
    for (size_t j = std::max(low, static_cast<size_t>(successes)); j <= high; ++j) tail += p[j];
    return std::min(1.0, tail);
}

} // namespace search
