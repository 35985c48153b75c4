#pragma once
// The basic trend chart (基本走势图) over a span: per period the draw, the eleven numbers'
// omissions at any position (carried over from the history before the span), the repeats and
// consecutive numbers of the draw, and the shape columns of the whole draw; per number its
// figures over the span with its recent heat (冷温热) and its 欲出几率 (current ÷ average
// omission); the sums and spans of the span's draws.

#include "history/history_table.h"
#include "history/zodiac.h"
#include "search/omission.h"
#include "search/shape.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace search {

// The shape columns of the chart, in their order.
inline constexpr std::array<Shape, 7> kBasicShapes = {
    Shape::Sum5, Shape::Span, Shape::Odd, Shape::Big, Shape::Prime, Shape::Route012, Shape::Repeat};

// 冷温热 ranks a value by its last kHeatPeriods periods: carried in more of them is hotter and, at
// equal counts, a smaller current omission is hotter. Two cut points split that rank into 冷, 温
// and 热 as near thirds as its exact distribution on uniformly random draws allows, for the value's
// chance a period (5/11 for a number at any position, 1/11 at one position). A span of fewer than
// kHeatPeriods periods gets no label.
enum class Heat { Cold, Warm, Hot };
inline constexpr size_t kHeatPeriods = 10;
const char* heatCaption(Heat heat); // "冷", "温", "热"

// A value's standing over the span's last kHeatPeriods periods.
struct HeatRank {
    std::int64_t count = 0;    // periods among them carrying the value
    std::int64_t omission = 0; // its current omission
    bool hotterThan(const HeatRank& other) const {
        return count != other.count ? count > other.count : omission < other.omission;
    }
    bool operator==(const HeatRank&) const = default;
};

struct HeatRule {
    double chance = 0;    // the value's chance a period
    HeatRank coldEdge;    // the hottest rank that is still 冷
    HeatRank hotEdge;     // the coldest rank that is 热
    double coldShare = 0; // the exact shares of 冷, 温 and 热 on uniformly random draws (the
    double warmShare = 0; // omission of a value the last ten periods lack counted as if the
    double hotShare = 0;  // history went on before them)
};

// The rule for a value drawn with the given chance in each period.
HeatRule heatRule(double chance);
Heat heatOf(const HeatRule& rule, const HeatRank& rank);
// The rule in words with its shares ("热：近10期开出6次及以上，或5次且最近一期开出；…").
std::string heatRuleText(const HeatRule& rule);

struct NumberFigures {
    ValueOmission omission;  // count, expected, average, max, current, max run
    std::int64_t last10 = 0; // periods among the span's last 10 that drew the number
    // 欲出几率: current (carried over where the table carries over) ÷ average omission. A ratio
    // that says how long the value has stayed away against its average; the value's chance in the
    // next period is its chance in every period.
    double ratio = 0;
    std::optional<Heat> heat; // none for a span of fewer than kHeatPeriods periods
};

// The heat rule of the value of index v of an omission table: its chance in the span's last
// period.
HeatRule heatRuleOf(const OmissionTable& table, size_t v);
// The figures of the value of index v of any omission table (a number at one position, too).
NumberFigures figuresOf(const OmissionTable& table, size_t v);

class BasicTrend {
  public:
    // request gives the span (spanStart, spanEnd); kind and position are ignored. The omissions
    // always carry over from the history before the span.
    BasicTrend(const std::vector<history::HistoryRow>& rows, const OmissionRequest& request,
               const history::Zodiac& zodiac);

    // The numbers 01..11 at any position over the span.
    const OmissionTable& numbers() const { return numbers_; }
    size_t periods() const { return numbers_.periods(); }
    size_t firstRow() const { return numbers_.firstRow(); }

    // The value of kBasicShapes[k] for the span's i-th period. Repeat compares with the period
    // before in the history, even when that lies before the span; it has none for the
    // history's first period.
    std::optional<int> shape(size_t i, size_t k) const;

    // Whether the span's i-th period draws the number (1..11) and the period before it in the
    // history drew it too (重号); whether it draws the number and one next to it (连号).
    bool repeats(size_t i, int number) const;
    bool consecutive(size_t i, int number) const;

    // The eleven numbers' figures, 01 first.
    const std::vector<NumberFigures>& figures() const { return figures_; }

    // The span's sums (和值) and spans (跨度), each value's figures as the numbers have them.
    const OmissionTable& sums() const { return sums_; }
    const OmissionTable& spans() const { return spans_; }
    struct SumFigures {
        double average = 0;  // over the span's draws
        double expected = 0; // on uniformly random draws
        int low = 0, high = 0;
    };
    SumFigures sumFigures() const;

  private:
    NumberSet setOfRow(size_t row) const;

    const std::vector<history::HistoryRow>& rows_;
    OmissionTable numbers_;
    OmissionTable sums_;
    OmissionTable spans_;
    std::vector<NumberFigures> figures_;
};

} // namespace search
