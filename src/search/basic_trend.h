#pragma once
// The basic trend chart (基本走势图) over a span: per period the draw, the eleven numbers'
// omissions at any position, and the shape columns of the whole draw; per number its figures
// over the span with its recent heat (冷温热) and its 欲出几率.

#include "history/history_table.h"
#include "history/zodiac.h"
#include "search/omission.h"
#include "search/shape.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace search {

// The shape columns of the chart, in their order.
inline constexpr std::array<Shape, 7> kBasicShapes = {
    Shape::Sum5, Shape::Span, Shape::Odd, Shape::Big, Shape::Prime, Shape::Route012, Shape::Repeat};

// 热: drawn 3 or more times in the span's last 10 periods, 温: 1 or 2 times, 冷: never.
enum class Heat { Cold, Warm, Hot };
inline constexpr size_t kHeatPeriods = 10;
Heat heatOf(std::int64_t drawnInLastTen);
const char* heatCaption(Heat heat); // "冷", "温", "热"

struct NumberFigures {
    ValueOmission omission;  // count, expected, average, max, current, max run
    std::int64_t last10 = 0; // periods among the span's last 10 that drew the number
    double ratio = 0;        // 欲出几率: current ÷ average omission
    Heat heat = Heat::Cold;
};

// The figures of the value of index v of any omission table (a number at one position, too).
NumberFigures figuresOf(const OmissionTable& table, size_t v);

class BasicTrend {
  public:
    // request gives the span (spanStart, spanEnd); kind and position are ignored.
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

    // The eleven numbers' figures, 01 first.
    const std::vector<NumberFigures>& figures() const { return figures_; }

  private:
    const std::vector<history::HistoryRow>& rows_;
    OmissionTable numbers_;
    std::vector<NumberFigures> figures_;
};

} // namespace search
