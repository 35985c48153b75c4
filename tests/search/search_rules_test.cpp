// The rules of the searches that the worked examples pin down: tokens, combination order,
// the tally and its percentages.

#include "history/history_table.h"
#include "search/combinations.h"
#include "search/hit_finder.h"
#include "search/tally.h"

#include <gtest/gtest.h>

using search::SearchRequest;

namespace {

std::vector<std::string> tokensOf(const search::PositionSet& set) {
    std::vector<std::string> tokens;
    for (const auto& t : set.tokens) tokens.push_back(t.value_or("<none>"));
    return tokens;
}

history::HistoryRow rowWith(int period, int kind, history::PositionValues values) {
    history::HistoryRow row;
    row.period = period;
    row.values[kind] = values;
    return row;
}

} // namespace

TEST(SearchRules, FreeTokensCountRepeatedTargets) {
    SearchRequest r;
    r.positionMode = search::PositionMode::Free;
    r.kind = history::ZodiacKind;
    r.targets = {5, 1, 5, 1, 1};
    r.positions = {true, false, true, false, false};
    EXPECT_EQ(tokensOf(search::positionSets(r).front()),
              (std::vector<std::string>{"1X05", "2X05"}));
    // Numbers are matched by their value alone; tails, heads and segments without a leading zero.
    r.kind = history::Number;
    r.targets = {3, 7, 7, 1, 1};
    r.positions = {false, true, true, false, false};
    EXPECT_EQ(tokensOf(search::positionSets(r).front()), (std::vector<std::string>{"07", "07"}));
    r.kind = history::Tail;
    r.targets = {3, 3, 12, 1, 1};
    r.positions = {true, true, true, false, false};
    EXPECT_EQ(tokensOf(search::positionSets(r).front()),
              (std::vector<std::string>{"1X3", "2X3", "<none>"}));
}

TEST(SearchRules, CombinationsComeInCountingOrderWithCountedTokens) {
    EXPECT_EQ(search::positionCombinations(2),
              (std::vector<std::vector<int>>{
                  {1, 2}, {1, 3}, {1, 4}, {1, 5}, {2, 3}, {2, 4}, {2, 5}, {3, 4}, {3, 5}, {4, 5}}));
    std::vector<size_t> counts;
    for (int k = 0; k <= 6; ++k) counts.push_back(search::positionCombinations(k).size());
    EXPECT_EQ(counts, (std::vector<size_t>{0, 5, 10, 10, 5, 1, 0}));

    SearchRequest r;
    r.type = search::SearchType::Combination;
    r.positionMode = search::PositionMode::Free;
    r.kind = history::ZodiacKind;
    r.combinationSize = 2;
    r.targets = {1, 4, 7, 9, 4};
    const auto sets = search::positionSets(r);
    ASSERT_EQ(sets.size(), 10u);
    EXPECT_EQ(sets[6].positions, (std::vector<int>{2, 5}));
    EXPECT_EQ(tokensOf(sets[6]), (std::vector<std::string>{"2X04", "2X04"}));
    EXPECT_EQ(tokensOf(sets[0]), (std::vector<std::string>{"1X01", "1X04"}));
    r.kind = history::Number; // numbers are counted too in the combination search
    r.targets = {7, 3, 5, 9, 11};
    EXPECT_EQ(tokensOf(search::positionSets(r)[0]), (std::vector<std::string>{"1X07", "1X03"}));
}

TEST(SearchRules, FixedLastPeriodWorkedExample) {
    // First numbers 3, 7, 3, 5, 3; the target is the newest draw's 3; only position 1.
    std::vector<history::HistoryRow> rows;
    const int firsts[] = {3, 7, 3, 5, 3};
    for (int i = 0; i < 5; ++i) {
        rows.push_back(rowWith(16090801 + i, history::Number,
                               {static_cast<std::int16_t>(firsts[i]), 1, 2, 4, 6}));
        rows.back().id = i + 1;
    }
    SearchRequest r;
    r.positionMode = search::PositionMode::Fixed;
    r.periodMode = search::PeriodMode::Last;
    r.kind = history::Number;
    r.targets = {3, 0, 0, 0, 0};
    r.positions = {true, false, false, false, false};
    r.spanStart = 16090801;
    r.spanEnd = 16090805;
    search::SearchInput input{rows, nullptr, {}, {}};
    EXPECT_EQ(search::findHits(input, r), (std::vector<std::uint32_t>{1, 3}));
    const auto tally = search::tallyHits(rows, {1, 3}, history::Number, 1, 1);
    EXPECT_EQ(tally.total, 10);
    EXPECT_EQ(tally.byCount.front().count, 2); // 1, 2, 4 and 6 twice each
    // A target of 0 agrees with the filler of the first row, exactly as the rewrite leaves it.
    r.targets = {0, 0, 0, 0, 0};
    EXPECT_EQ(search::findHits(input, r), (std::vector<std::uint32_t>{0}));
    // Span start after span end finds nothing.
    r.spanStart = 16090805;
    r.spanEnd = 16090801;
    EXPECT_TRUE(search::findHits(input, r).empty());
}

TEST(SearchRules, TallyOrdersByCountWithExactPercentages) {
    std::vector<history::HistoryRow> rows = {rowWith(1, history::Head, {0, 0, 1, 0, 1}),
                                             rowWith(2, history::Head, {1, 0, 0, 0, 0}),
                                             rowWith(3, history::Head, {0, 1, 0, 0, 1})};
    const auto tally = search::tallyHits(rows, {0, 1, 2}, history::Head, 1, 1);
    ASSERT_EQ(tally.byValue.size(), 2u);
    EXPECT_EQ(tally.byValue[0].count, 10);
    EXPECT_EQ(tally.byValue[1].count, 5);
    EXPECT_EQ(search::percentText(10, tally.total), "66.667%");
    EXPECT_EQ(search::percentText(5, tally.total), "33.333%");
    EXPECT_EQ(search::percentText(1, 320), "0.313%"); // 0.3125 rounds away from zero
    EXPECT_EQ(search::percentText(0, 5), "0.000%");
    EXPECT_EQ(search::percentText(3, 0), "");

    // Equal counts keep ascending values; every value of the kind is listed.
    const auto none = search::tallyHits(rows, {}, history::ZodiacKind, 1, 1);
    ASSERT_EQ(none.byCount.size(), 12u);
    EXPECT_EQ(none.byCount.front().value, 1);
    EXPECT_EQ(none.byCount.back().value, 12);
    EXPECT_EQ(search::valueText(history::ZodiacKind, 1, 1), "鼠");
    EXPECT_EQ(search::valueText(history::ZodiacKind, 0, 1), "");
    EXPECT_EQ(search::resultValues(history::Segment, 1, 0), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(search::resultValues(history::Sum, 1, 1).size(), 9u);
}
