#pragma once
// What chance alone would give: the values the eleven numbers carry in a period (zodiac values by
// the period's own zodiac year), the band a tally's counts fall in by chance, the chance that a
// draw carries one of a set of values, and the exact tail of a sum of such chances.

#include "history/attributes.h"
#include "history/history_table.h"
#include "history/zodiac.h"
#include "search/tally.h"

#include <array>
#include <cstdint>
#include <map>
#include <vector>

namespace search {

// The value of a kind other than the zodiac that number n carries.
int plainValueOf(history::Kind kind, int n, int segmentBase);

// The values of a kind that the numbers 01..11 carry, period by period. Zodiac values follow the
// zodiac year of each period (turning at the Lunar New Year) with the value order of the zodiac
// given; the other kinds follow from the number and the segment base alone.
class NumberValues {
  public:
    NumberValues(history::Kind kind, const history::Zodiac& zodiac, int segmentBase);

    // The value of each number 01..11 (index 0..10) at the period (a stored id).
    const std::array<std::int16_t, 11>& at(int period);

  private:
    std::array<std::int16_t, 11> valuesOfYear(int year);

    history::Kind kind_;
    history::Zodiac zodiac_;
    int segmentBase_;
    std::array<std::int16_t, 11> plain_{};
    int lastDay_ = -1;
    const std::array<std::int16_t, 11>* lastValues_ = nullptr;
    std::map<int, std::array<std::int16_t, 11>> byYear_;
};

// Where a tally's count of one value falls by chance: the expectation and the band of about 95%
// around it (1.96 standard deviations, not below zero).
struct ChanceBand {
    double expected = 0;
    double low = 0;
    double high = 0;
};

// One band per entry of tally.byValue. Each hit period adds 5p to the expectation and
// 5p(1-p)·6/10 to the variance (five numbers drawn from eleven without replacement), where p is
// the share of the eleven numbers carrying the value at that period.
std::vector<ChanceBand> chanceBands(const std::vector<history::HistoryRow>& rows,
                                    const std::vector<std::uint32_t>& hits, const Tally& tally,
                                    const history::Zodiac& zodiac, int segmentBase);

// The chance that a random draw (five of the eleven numbers) holds at least one of m numbers.
double chanceOfAny(int m);

// P[X >= successes] where X is the number of successes of independent trials with the given
// chances (the Poisson-binomial distribution), computed exactly from its distribution.
double poissonBinomialTail(const std::vector<double>& chances, std::int64_t successes);

} // namespace search
