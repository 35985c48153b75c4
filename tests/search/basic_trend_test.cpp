// 冷温热 on uniformly random draws: each mark holds the share its rule states (about a third), for
// the numbers at any position and at one position; no mark on a span too short to have one.

#include "search/basic_trend.h"
#include "support/random_history.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace {

using search::Heat;

history::Zodiac plainZodiac() {
    history::Zodiac zodiac;
    zodiac.setValueOrder(true, 1);
    zodiac.updateYearGroups();
    return zodiac;
}

search::OmissionRequest spanOf(const std::vector<history::HistoryRow>& rows, size_t first,
                               size_t last, int position) {
    search::OmissionRequest request;
    request.kind = history::Number;
    request.position = position;
    request.spanStart = rows[first].period;
    request.spanEnd = rows[last].period;
    return request;
}

// The shares of 冷, 温 and 热 against the rule's exact ones, within four standard deviations of
// a binomial count.
void expectShares(const std::array<std::int64_t, 3>& counts, const search::HeatRule& rule) {
    const double n = static_cast<double>(counts[0] + counts[1] + counts[2]);
    const std::array<double, 3> exact = {rule.coldShare, rule.warmShare, rule.hotShare};
    for (size_t h = 0; h < 3; ++h) {
        SCOPED_TRACE(search::heatCaption(Heat(h)));
        // About a third each: no mark that almost never changes.
        EXPECT_GT(exact[h], 0.25);
        EXPECT_LT(exact[h], 0.40);
        const double share = static_cast<double>(counts[h]) / n;
        EXPECT_NEAR(share, exact[h], 4 * std::sqrt(exact[h] * (1 - exact[h]) / n)) << n;
    }
}

TEST(Heat, EachMarkHoldsTheShareItsRuleStatesOnRandomDraws) {
    const auto rows = testing_support::randomHistory(24000, 37);
    const history::Zodiac zodiac = plainZodiac();
    // Spans of 40 periods one after another: each mark looks at its span's last periods only.
    constexpr size_t kSpan = 40;
    for (const int position : {0, 1, 3}) {
        SCOPED_TRACE(position);
        std::array<std::int64_t, 3> counts{};
        const search::HeatRule rule = search::heatRule(position == 0 ? 5.0 / 11 : 1.0 / 11);
        for (size_t first = 0; first + kSpan <= rows.size(); first += kSpan) {
            const search::OmissionTable table(
                rows, spanOf(rows, first, first + kSpan - 1, position), zodiac);
            ASSERT_EQ(table.periods(), kSpan);
            for (size_t v = 0; v < table.values().size(); ++v) {
                const auto figures = search::figuresOf(table, v);
                ASSERT_TRUE(figures.heat);
                ++counts[static_cast<size_t>(*figures.heat)];
                EXPECT_EQ(search::heatRuleOf(table, v).hotEdge, rule.hotEdge);
            }
        }
        expectShares(counts, rule);
    }
}

TEST(Heat, TheRulesAsTheGuideStatesThemAndNoMarkOnAShortSpan) {
    // Any position: 热 6 or more of the last 10, or 5 with the latest period; 冷 3 or fewer, or 4
    // with an omission of 2 or more.
    const auto any = search::heatRule(5.0 / 11);
    EXPECT_EQ(any.hotEdge, (search::HeatRank{5, 0}));
    EXPECT_EQ(any.coldEdge, (search::HeatRank{4, 2}));
    EXPECT_NEAR(any.hotShare, 0.38936, 1e-5);
    EXPECT_NEAR(any.warmShare, 0.27544, 1e-5);
    EXPECT_NEAR(any.coldShare, 0.33520, 1e-5);
    EXPECT_EQ(search::heatOf(any, {5, 1}), Heat::Warm);
    EXPECT_EQ(search::heatOf(any, {4, 1}), Heat::Warm);
    EXPECT_EQ(search::heatOf(any, {4, 2}), Heat::Cold);
    EXPECT_EQ(search::heatOf(any, {6, 4}), Heat::Hot);
    // One position: 热 2 or more, or 1 within the last three periods; 冷 none with an omission
    // of 12 or more.
    const auto one = search::heatRule(1.0 / 11);
    EXPECT_EQ(one.hotEdge, (search::HeatRank{1, 2}));
    EXPECT_EQ(one.coldEdge, (search::HeatRank{0, 12}));
    EXPECT_NEAR(one.hotShare, 0.34458, 1e-5);
    EXPECT_NEAR(one.warmShare, 0.33679, 1e-5);
    EXPECT_NEAR(one.coldShare, 0.31863, 1e-5);
    EXPECT_EQ(search::heatOf(one, {0, 11}), Heat::Warm);

    // Nine periods tell nothing of ten: no mark; ten do.
    const auto rows = testing_support::randomHistory(30, 5);
    const history::Zodiac zodiac = plainZodiac();
    const search::BasicTrend nine(rows, spanOf(rows, 20, 28, 0), zodiac);
    ASSERT_EQ(nine.periods(), 9u);
    for (const auto& f : nine.figures()) EXPECT_FALSE(f.heat);
    const search::BasicTrend ten(rows, spanOf(rows, 20, 29, 0), zodiac);
    for (const auto& f : ten.figures()) EXPECT_TRUE(f.heat);
}

} // namespace
