#include "search/basic_trend.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace search {

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

constexpr std::int64_t kPeriods = static_cast<std::int64_t>(kHeatPeriods);

double choose(std::int64_t n, std::int64_t k) {
    double c = 1;
    for (std::int64_t i = 1; i <= k; ++i)
        c = c * static_cast<double>(n - k + i) / static_cast<double>(i);
    return c;
}

// The chance on random draws that the last ten periods carry the value rank.count times, the
// latest of them rank.omission periods ago (a count of 1 or more).
double rankChance(double p, const HeatRank& rank) {
    const std::int64_t before = kPeriods - 1 - rank.omission; // periods before the latest one
    if (rank.count < 1 || rank.omission < 0 || before < rank.count - 1) return 0;
    const double q = 1 - p;
    return std::pow(q, static_cast<double>(rank.omission)) * p * choose(before, rank.count - 1) *
           std::pow(p, static_cast<double>(rank.count - 1)) *
           std::pow(q, static_cast<double>(before - rank.count + 1));
}

// The edge nearest a third: fed the ranks in order with the share of all ranks fed so far.
struct NearestThird {
    HeatRank edge;
    double share = 0;
    double distance = 2;
    void consider(const HeatRank& rank, double cumulative) {
        const double d = std::abs(cumulative - 1.0 / 3);
        if (d < distance) {
            distance = d;
            edge = rank;
            share = cumulative;
        }
    }
};

// Omissions followed past the last ten periods, for a value they lack; far more than any chance of
// ours needs.
constexpr std::int64_t kLongestOmission = 100000;

std::string percent1(double share) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f%%", share * 100);
    return text;
}

} // namespace

HeatRule heatRule(double chance) {
    HeatRule rule;
    rule.chance = chance;
    const double p = std::clamp(chance, 0.0, 1.0), q = 1 - p;
    // 冷 from the coldest rank up: not carried in the last ten periods with an omission of m or
    // more (chance q^m), then one carrying period with the latest nine, eight, ... periods ago,
    // then two, ...
    NearestThird cold;
    for (std::int64_t m = kPeriods; m <= kLongestOmission; ++m) {
        const double share = std::pow(q, static_cast<double>(m));
        cold.consider({0, m}, share);
        if (share < 1.0 / 3 || q >= 1) break;
    }
    double cumulative = std::pow(q, static_cast<double>(kPeriods));
    for (std::int64_t count = 1; count <= kPeriods; ++count)
        for (std::int64_t omission = kPeriods - count; omission >= 0; --omission) {
            cumulative += rankChance(p, {count, omission});
            cold.consider({count, omission}, cumulative);
        }
    // 热 from the hottest rank down.
    NearestThird hot;
    cumulative = 0;
    for (std::int64_t count = kPeriods; count >= 1; --count)
        for (std::int64_t omission = 0; omission <= kPeriods - count; ++omission) {
            cumulative += rankChance(p, {count, omission});
            hot.consider({count, omission}, cumulative);
        }
    for (std::int64_t m = kPeriods; m <= kLongestOmission && p > 0 && cumulative < 1.0 / 3; ++m) {
        cumulative += std::pow(q, static_cast<double>(m)) * p;
        hot.consider({0, m}, cumulative);
    }
    rule.coldEdge = cold.edge;
    rule.hotEdge = hot.edge;
    rule.coldShare = cold.share;
    rule.hotShare = hot.share;
    rule.warmShare = std::max(0.0, 1 - cold.share - hot.share);
    return rule;
}

Heat heatOf(const HeatRule& rule, const HeatRank& rank) {
    if (!rank.hotterThan(rule.coldEdge)) return Heat::Cold;
    if (!rule.hotEdge.hotterThan(rank)) return Heat::Hot;
    return Heat::Warm;
}

std::string heatRuleText(const HeatRule& rule) {
    const auto times = [](std::int64_t n) { return std::to_string(n) + "次"; };
    // 热: the whole count of the edge when its omission is the largest that count allows.
    const HeatRank& h = rule.hotEdge;
    std::string hot = "热：近10期开出";
    if (h.count >= 1 && h.omission >= kPeriods - h.count)
        hot += times(h.count) + (h.count < kPeriods ? "及以上" : "");
    else
        hot += times(h.count + 1) + "及以上，或" + (h.count ? times(h.count) : "未开出") + "且" +
               (h.omission == 0 ? std::string("最近一期开出")
                                : "当前遗漏不超过" + std::to_string(h.omission));
    // 冷: the whole count of the edge when its omission is the smallest that count allows.
    const HeatRank& c = rule.coldEdge;
    std::string cold = "冷：近10期";
    if (c.count == 0)
        cold += c.omission <= kPeriods ? std::string("未开出")
                                       : "未开出且当前遗漏至少" + std::to_string(c.omission);
    else if (c.omission == 0)
        cold += "开出" + times(c.count) + "及以下";
    else
        cold += (c.count == 1 ? std::string("未开出，或开出")
                              : "开出" + times(c.count - 1) + "及以下，或") +
                times(c.count) + "且当前遗漏至少" + std::to_string(c.omission);
    return hot + "；" + cold + "；其余为温。随机开奖时热约占" + percent1(rule.hotShare) + "，温" +
           percent1(rule.warmShare) + "，冷" + percent1(rule.coldShare);
}

namespace {

OmissionRequest numbersAtAnyPosition(OmissionRequest request) {
    request.kind = history::Number;
    request.position = 0;
    request.shape.reset();
    request.carryOver = true;
    return request;
}

OmissionRequest shapeOf(OmissionRequest request, Shape shape) {
    request = numbersAtAnyPosition(request);
    request.shape = shape;
    return request;
}

// A period's numbers in drawn order, and as a set.
std::pair<std::array<int, history::kPositions>, NumberSet>
numbersOf(const history::HistoryRow& row) {
    std::array<int, history::kPositions> numbers{};
    for (int p = 0; p < history::kPositions; ++p) numbers[p] = row.numbers()[p];
    return {numbers, numberSet(numbers)};
}

bool has(NumberSet set, int number) {
    return number >= 1 && number <= 11 && (set >> (number - 1)) & 1u;
}

} // namespace

BasicTrend::BasicTrend(const std::vector<history::HistoryRow>& rows, const OmissionRequest& request,
                       const history::Zodiac& zodiac)
    : rows_(rows), numbers_(rows, numbersAtAnyPosition(request), zodiac),
      sums_(rows, shapeOf(request, Shape::Sum5), zodiac),
      spans_(rows, shapeOf(request, Shape::Span), zodiac) {
    for (size_t v = 0; v < numbers_.values().size(); ++v)
        figures_.push_back(figuresOf(numbers_, v));
}

NumberSet BasicTrend::setOfRow(size_t row) const {
    return row < rows_.size() ? numbersOf(rows_[row]).second : NumberSet{0};
}

bool BasicTrend::repeats(size_t i, int number) const {
    const size_t row = firstRow() + i;
    return i < periods() && row > 0 && has(setOfRow(row), number) && has(setOfRow(row - 1), number);
}

bool BasicTrend::consecutive(size_t i, int number) const {
    if (i >= periods()) return false;
    const NumberSet set = setOfRow(firstRow() + i);
    return has(set, number) && (has(set, number - 1) || has(set, number + 1));
}

BasicTrend::SumFigures BasicTrend::sumFigures() const {
    SumFigures f;
    const auto& values = sums_.values();
    const auto chances = shapeChances(Shape::Sum5);
    double total = 0;
    std::int64_t draws = 0;
    for (size_t v = 0; v < values.size(); ++v) {
        const std::int64_t count = sums_.summary()[v].count;
        if (v < chances.size()) f.expected += chances[v] * values[v];
        if (count == 0) continue;
        if (draws == 0) f.low = values[v];
        f.high = values[v];
        total += static_cast<double>(count) * values[v];
        draws += count;
    }
    f.average = draws ? total / static_cast<double>(draws) : 0;
    return f;
}

HeatRule heatRuleOf(const OmissionTable& table, size_t v) {
    return heatRule(table.periods() ? table.chance(table.periods() - 1, v) : 0);
}

NumberFigures figuresOf(const OmissionTable& table, size_t v) {
    NumberFigures f;
    if (v >= table.summary().size()) return f;
    f.omission = table.summary()[v];
    f.last10 = table.countInLast(v, kHeatPeriods);
    f.ratio = f.omission.average > 0
                  ? static_cast<double>(f.omission.carriedCurrent) / f.omission.average
                  : 0;
    if (table.periods() >= kHeatPeriods)
        f.heat = heatOf(heatRuleOf(table, v), {f.last10, f.omission.carriedCurrent});
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
