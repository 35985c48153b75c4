// The groups of 胆, AC, 和尾, the smallest and largest number, the 直选 position patterns and the
// tolerance, each against a direct reading of its definition on every ticket.

#include "play/shrink.h"
#include "support/random_history.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {

using play::Condition;
using play::ConditionKind;
using play::Play;
using testing_support::randomHistory;

Condition range(ConditionKind kind, int low, int high) {
    Condition c;
    c.kind = kind;
    c.low = low;
    c.high = high;
    return c;
}

Condition patterns(ConditionKind kind, std::vector<std::string> list) {
    Condition c;
    c.kind = kind;
    c.patterns = std::move(list);
    return c;
}

// The definition, read off the ticket's numbers in their order.
bool directlyHolds(const Condition& c, const play::Selection& s) {
    std::vector<int> numbers(s.numbers.begin(), s.numbers.begin() + s.size);
    const int low = *std::min_element(numbers.begin(), numbers.end());
    const int high = *std::max_element(numbers.begin(), numbers.end());
    int sum = 0, inGroup = 0;
    std::set<int> differences;
    for (const int a : numbers) {
        sum += a;
        inGroup += (c.numbers >> (a - 1)) & 1;
        for (const int b : numbers)
            if (b > a) differences.insert(b - a);
    }
    const int ac = static_cast<int>(differences.size()) - (static_cast<int>(numbers.size()) - 1);
    std::string pattern;
    for (const int n : numbers)
        pattern += static_cast<char>('0' + (c.kind == ConditionKind::PatternOdd   ? n % 2
                                            : c.kind == ConditionKind::PatternBig ? (n >= 6)
                                                                                  : n % 3));
    const auto inRange = [&](int v) { return v >= c.low && v <= c.high; };
    switch (c.kind) {
    case ConditionKind::DanGroup:
        return inRange(inGroup);
    case ConditionKind::Ac:
        return inRange(ac);
    case ConditionKind::SumTail:
        return std::count(c.values.begin(), c.values.end(), sum % 10) > 0;
    case ConditionKind::Min:
        return inRange(low);
    case ConditionKind::Max:
        return inRange(high);
    case ConditionKind::Kill:
        return inGroup == 0;
    case ConditionKind::Sum:
        return inRange(sum);
    default:
        return std::count(c.patterns.begin(), c.patterns.end(), pattern) > 0;
    }
}

std::vector<Condition> newConditions(bool ordered) {
    Condition group = range(ConditionKind::DanGroup, 1, 2);
    group.numbers = 0b00000010101; // 01 03 05
    Condition tail;
    tail.kind = ConditionKind::SumTail;
    tail.values = {0, 3, 7};
    std::vector<Condition> out = {group, range(ConditionKind::Ac, 1, 4), tail,
                                  range(ConditionKind::Min, 1, 3),
                                  range(ConditionKind::Max, 7, 11)};
    if (ordered) {
        out.push_back(patterns(ConditionKind::PatternOdd, {"110", "101", "10", "01"}));
        out.push_back(patterns(ConditionKind::PatternBig, {"011", "00", "100"}));
        out.push_back(patterns(ConditionKind::PatternRoute, {"012", "120", "21", "02"}));
    }
    return out;
}

TEST(ShrinkConditions, EachMatchesItsDefinitionOnEveryTicket) {
    const auto rows = randomHistory(5, 1);
    for (const Play play : {Play::Front1, Play::Any2, Play::Any3, Play::Any5, Play::Any7,
                            Play::Front2Direct, Play::Front2Group, Play::Front3Direct}) {
        const auto& selections = play::selectionsOf(play);
        const auto conditions = newConditions(play::info(play).ordered);
        play::ShrinkFilter filter(selections, conditions, rows);
        filter.moveTo(rows.size());
        for (size_t c = 0; c < conditions.size(); ++c) {
            std::int64_t kept = 0;
            for (std::uint32_t s = 0; s < selections.size(); ++s) {
                ASSERT_EQ(filter.holds(c, s), directlyHolds(conditions[c], selections[s]))
                    << play::info(play).code << " " << play::conditionName(conditions[c].kind)
                    << " " << play::selectionText(selections[s]);
                kept += filter.holds(c, s);
            }
            // Each condition here keeps some and drops some of the tickets of three to five
            // numbers (shorter and longer ones can all agree).
            if (play::info(play).size >= 3 && play::info(play).size <= 5) {
                EXPECT_GT(kept, 0) << play::info(play).code << " " << c;
                EXPECT_LT(kept, static_cast<std::int64_t>(selections.size()))
                    << play::info(play).code << " " << c;
            }
        }
    }
}

TEST(ShrinkConditions, AcOfKnownSets) {
    const auto set = [](std::initializer_list<int> numbers) {
        search::NumberSet s = 0;
        for (const int n : numbers) s |= static_cast<search::NumberSet>(1u << (n - 1));
        return s;
    };
    EXPECT_EQ(play::acValue(set({1, 2, 3, 4, 5})), 0);
    EXPECT_EQ(play::acValue(set({1, 2, 5, 9, 11})), 5);
    EXPECT_EQ(play::acValue(set({1, 3, 5, 7, 9})), 0);
    EXPECT_EQ(play::acValue(set({4})), 0);
    EXPECT_EQ(play::acValue(set({2, 9})), 0);
    EXPECT_EQ(play::acValue(set({1, 2, 4})), 1);
    // Five numbers reach AC 5 at most: a range up to 5 is accepted, one to 6 refused.
    EXPECT_EQ(play::conditionProblem(Play::Any5, range(ConditionKind::Ac, 0, 5)), "");
    EXPECT_NE(play::conditionProblem(Play::Any5, range(ConditionKind::Ac, 0, 6)), "");
}

TEST(ShrinkConditions, ToleranceForgivesAllButDanAndKill) {
    const auto rows = randomHistory(60, 4);
    Condition kill = range(ConditionKind::Kill, 0, 0);
    kill.numbers = 0b10000000000; // 11
    std::vector<Condition> conditions = {kill, range(ConditionKind::Sum, 14, 24),
                                         range(ConditionKind::Ac, 2, 3),
                                         range(ConditionKind::Min, 1, 2)};
    for (const Play play : {Play::Any3, Play::Front3Direct, Play::Any6}) {
        const auto& selections = play::selectionsOf(play);
        const int size = play::info(play).size;
        conditions[1].low = size == 3 ? 10 : 28;
        conditions[1].high = size == 3 ? 20 : 40;
        for (const int tolerance : {0, 1, 2}) {
            const auto f = play::shrinkFigures(play, conditions, rows, 30, tolerance);
            std::vector<std::int64_t> failures(static_cast<size_t>(tolerance) + 1, 0);
            std::vector<std::uint32_t> kept;
            for (std::uint32_t s = 0; s < selections.size(); ++s) {
                if (!directlyHolds(conditions[0], selections[s])) continue;
                int failed = 0;
                for (size_t c = 1; c < conditions.size(); ++c)
                    failed += !directlyHolds(conditions[c], selections[s]);
                if (failed > tolerance) continue;
                kept.push_back(s);
                ++failures[static_cast<size_t>(failed)];
            }
            EXPECT_EQ(f.tickets, kept) << play::info(play).code << " K=" << tolerance;
            EXPECT_EQ(f.failures, failures) << play::info(play).code << " K=" << tolerance;
            // Every period keeps the same tickets here, so the pass count is how many of the
            // window's draws some kept ticket wins.
            std::int64_t passed = 0;
            for (size_t row = rows.size() - 30; row < rows.size(); ++row)
                passed += std::any_of(kept.begin(), kept.end(), [&](std::uint32_t s) {
                    return play::wins(play, selections[s], rows[row].numbers());
                });
            EXPECT_EQ(f.passed, passed) << play::info(play).code << " K=" << tolerance;
        }
    }
}

TEST(ShrinkConditions, ChancesOfTheShorterPlays) {
    const auto rows = randomHistory(20, 9);
    Condition kill = range(ConditionKind::Kill, 0, 0);
    kill.numbers = 0b10000000000;
    // Two of any draw's five numbers are never both 11: 任二 with 11 killed always passes.
    EXPECT_NEAR(play::shrinkFigures(Play::Any2, {kill}, rows, 10).chance, 1.0, 1e-12);
    EXPECT_NEAR(play::shrinkFigures(Play::Front1, {kill}, rows, 10).chance, 10.0 / 11, 1e-12);
    // So does 任四: four of any draw's five numbers are not 11.
    EXPECT_NEAR(play::shrinkFigures(Play::Any4, {kill}, rows, 10).chance, 1.0, 1e-12);
    // Both positions odd: 6·5 of the 110 ordered first twos.
    const auto odd = patterns(ConditionKind::PatternOdd, {"11"});
    EXPECT_NEAR(play::shrinkFigures(Play::Front2Direct, {odd}, rows, 10).chance, 30.0 / 110, 1e-12);
    // A 胆 group of 01 02 with exactly one of them: 2·9 of the 55 first twos.
    Condition group = range(ConditionKind::DanGroup, 1, 1);
    group.numbers = 0b11;
    EXPECT_NEAR(play::shrinkFigures(Play::Front2Group, {group}, rows, 10).chance, 18.0 / 55, 1e-12);
}

TEST(ShrinkConditions, Problems) {
    const auto problem = [](Play play, const Condition& c) {
        return play::conditionProblem(play, c);
    };
    Condition group = range(ConditionKind::DanGroup, 2, 1);
    group.numbers = 0b111;
    EXPECT_NE(problem(Play::Any5, group), ""); // m above n
    group.low = 1, group.high = 4;
    EXPECT_NE(problem(Play::Any5, group), ""); // more than the group holds
    group.high = 3;
    EXPECT_EQ(problem(Play::Any5, group), "");
    Condition tail;
    tail.kind = ConditionKind::SumTail;
    tail.values = {3, 10};
    EXPECT_NE(problem(Play::Any5, tail), "");
    tail.values = {3, 9};
    EXPECT_EQ(problem(Play::Any5, tail), "");
    // Five numbers start at 07 at the latest and end at 05 at the earliest.
    EXPECT_EQ(problem(Play::Any5, range(ConditionKind::Min, 1, 7)), "");
    EXPECT_NE(problem(Play::Any5, range(ConditionKind::Min, 1, 8)), "");
    EXPECT_NE(problem(Play::Any5, range(ConditionKind::Max, 4, 11)), "");
    EXPECT_EQ(problem(Play::Front1, range(ConditionKind::Max, 1, 11)), "");
    const auto odd = patterns(ConditionKind::PatternOdd, {"110"});
    EXPECT_EQ(problem(Play::Front3Direct, odd), "");
    EXPECT_NE(problem(Play::Front2Direct, odd), ""); // three positions on a 前二 ticket
    EXPECT_NE(problem(Play::Front3Group, odd), "");  // no positions on a set
    EXPECT_NE(problem(Play::Front3Direct, patterns(ConditionKind::PatternOdd, {"120"})), "");
    EXPECT_EQ(problem(Play::Front3Direct, patterns(ConditionKind::PatternRoute, {"120"})), "");
}

} // namespace
