#include "search/basic_trend.h"

namespace search {

Heat heatOf(std::int64_t drawnInLastTen) {
    return drawnInLastTen >= 3 ? Heat::Hot : drawnInLastTen >= 1 ? Heat::Warm : Heat::Cold;
}

const char* heatCaption(Heat heat) {
    switch (heat) {
    case Heat::Hot:
        return "热";
    case Heat::Warm:
        return "温";
    case Heat::Cold:
        break;
    }
    return "冷";
}

namespace {

OmissionRequest numbersAtAnyPosition(OmissionRequest request) {
    request.kind = history::Number;
    request.position = 0;
    request.shape.reset();
    return request;
}

// A period's numbers in drawn order, and as a set.
std::pair<std::array<int, history::kPositions>, NumberSet>
numbersOf(const history::HistoryRow& row) {
    std::array<int, history::kPositions> numbers{};
    for (int p = 0; p < history::kPositions; ++p) numbers[p] = row.numbers()[p];
    return {numbers, numberSet(numbers)};
}

} // namespace

BasicTrend::BasicTrend(const std::vector<history::HistoryRow>& rows, const OmissionRequest& request,
                       const history::Zodiac& zodiac)
    : rows_(rows), numbers_(rows, numbersAtAnyPosition(request), zodiac) {
    for (size_t v = 0; v < numbers_.values().size(); ++v)
        figures_.push_back(figuresOf(numbers_, v));
}

NumberFigures figuresOf(const OmissionTable& table, size_t v) {
    NumberFigures f;
    if (v >= table.summary().size()) return f;
    f.omission = table.summary()[v];
    f.last10 = table.countInLast(v, kHeatPeriods);
    f.ratio =
        f.omission.average > 0 ? static_cast<double>(f.omission.current) / f.omission.average : 0;
    f.heat = heatOf(f.last10);
    return f;
}

std::optional<int> BasicTrend::shape(size_t i, size_t k) const {
    const size_t row = firstRow() + i;
    if (i >= periods() || row >= rows_.size() || k >= kBasicShapes.size()) return std::nullopt;
    const Shape s = kBasicShapes[k];
    NumberSet previous = 0;
    if (needsPrevious(s)) {
        if (row == 0) return std::nullopt;
        previous = numbersOf(rows_[row - 1]).second;
    }
    return shapeValue(s, numbersOf(rows_[row]).first, previous);
}

} // namespace search
