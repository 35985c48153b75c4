#pragma once
// Omission (遗漏) statistics of one attribute kind at one position (or any position), or of one
// shape of the whole draw, over a span of the ordered history: for each value, how often the
// span's periods carry it, how often chance would have it, and how long it stays away. Computed
// from the history in memory; per period the omission is found on demand from each value's list
// of carrying periods, so nothing is kept per cell of the whole history.
// On request the omissions carry over from the history before the span, as the results sites
// count them.

#include "history/attributes.h"
#include "history/history_table.h"
#include "history/zodiac.h"
#include "search/shape.h"
#include "search/uniformity.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace search {

struct OmissionRequest {
    history::Kind kind = history::Number;
    int position = 0;  // 1..5, or 0 for any position
    int spanStart = 0; // stored ids, inclusive; 0 and 0 take the whole history
    int spanEnd = 0;
    int zodiacBase = 1;
    int segmentBase = 1;
    // A shape of the whole draw instead of the kind at the position. Repeat and Neighbour leave
    // out the history's first period, which has no draw before it.
    std::optional<Shape> shape;
    // The omissions count from the whole history before the span (one pass over it), not from
    // the span's first period.
    bool carryOver = false;
};

// One value's figures over the span.
struct ValueOmission {
    int value = 0;            // the stored value
    std::int64_t count = 0;   // 出现次数: periods carrying the value
    double expected = 0;      // 理论次数: the sum of each period's chance to carry it
    std::int64_t current = 0; // 当前遗漏: the omission at the span's last period
    std::int64_t max = 0;     // 最大遗漏
    double average = 0;       // 平均遗漏: periods / (count + 1)
    std::int64_t maxRun = 0;  // 最大连出: the longest run of carrying periods
    // The current and longest omission counted over the whole history up to the span's last
    // period; current and max themselves when the request does not carry over.
    std::int64_t carriedCurrent = 0;
    std::int64_t carriedMax = 0;
};

class OmissionTable {
  public:
    // The span's rows of rows (ordered history) under request. zodiac gives the zodiac value of
    // each number in each period's own zodiac year (its value order and groups as the stored
    // values were derived; the table works on a copy).
    OmissionTable(const std::vector<history::HistoryRow>& rows, const OmissionRequest& request,
                  const history::Zodiac& zodiac);

    // The values of the kind under the current bases, ascending (as the result grid lists them),
    // or of the shape.
    const std::vector<int>& values() const { return values_; }
    // Periods in the span, and the index in rows of its first period.
    size_t periods() const { return periods_; }
    size_t firstRow() const { return first_; }

    // Whether the span's i-th period carries the value of index v, and its omission there (0
    // when it carries it, else the periods since the last one that did, counting from the span's
    // first period when none did yet, or from the history before it when the request carries
    // over).
    bool carries(size_t i, size_t v) const;
    std::int64_t omission(size_t i, size_t v) const;

    // The figures of each value, in the order of values().
    const std::vector<ValueOmission>& summary() const { return summary_; }

    // Whether each period carries exactly one value (a shape, or a kind at one position).
    bool singleValued() const { return singleValued_; }
    bool carriesOver() const { return !carriedIn_.empty(); }
    // The index of the value the span's i-th period carries, or -1 (kinds of one value a period).
    int valueAt(size_t i) const;
    // The span index of the last period carrying the value of index v, or -1.
    std::int64_t lastCarrying(size_t v) const;
    // Periods among the span's last n that carry the value of index v.
    std::int64_t countInLast(size_t v, size_t n) const;
    // The chance that the span's i-th period carries the value of index v, as `expected` sums it.
    double chance(size_t i, size_t v) const;
    // The chi-square test of the counts against their expectation, where a period carries one
    // value (none over any position, or for an empty span).
    const std::optional<Uniformity>& uniformity() const { return uniformity_; }

  private:
    std::vector<int> values_;
    bool singleValued_ = false;
    // Per period, the index of the value carried (255: none), where a period carries one value.
    std::vector<std::uint8_t> valueIndex_;
    // Each period's chances are one of these sets (one, unless they depend on the zodiac year or
    // the previous draw); periodChances_ picks the set of each period when there are several.
    std::vector<std::vector<double>> chanceSets_;
    std::vector<std::uint16_t> periodChances_;
    std::optional<Uniformity> uniformity_;
    size_t first_ = 0;
    size_t periods_ = 0;
    // For each value, the span indexes of the periods carrying it, ascending.
    std::vector<std::vector<std::uint32_t>> carrying_;
    // With carryOver, each value's omission at the period before the span's first.
    std::vector<std::int64_t> carriedIn_;
    std::vector<ValueOmission> summary_;
};

} // namespace search
