// The shrink conditions against a direct count over every ticket, the pass rates against a recount
// on random histories, the whole filter's figures and the two-sided binomial p-value.

#include "play/shrink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

using play::Condition;
using play::ConditionKind;
using play::Play;

std::vector<history::HistoryRow> randomHistory(size_t count, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<history::HistoryRow> rows(count);
    for (size_t i = 0; i < count; ++i) {
        std::array<std::int16_t, 11> numbers{};
        for (int n = 0; n < 11; ++n) numbers[n] = static_cast<std::int16_t>(n + 1);
        std::shuffle(numbers.begin(), numbers.end(), random);
        rows[i].period = 16010101 + static_cast<int>(i);
        std::copy_n(numbers.begin(), 5, rows[i].values[history::Number].begin());
    }
    return rows;
}

std::vector<int> numbersOf(const play::Selection& s) {
    return {s.numbers.begin(), s.numbers.begin() + s.size};
}

// A condition straight from its definition, for the ticket s bet on at row `row`.
bool directlyHolds(Play play, const Condition& c, const play::Selection& s,
                   const std::vector<history::HistoryRow>& rows, size_t row) {
    const auto numbers = numbersOf(s);
    int inSet = 0;
    for (const int n : numbers) inSet += (c.numbers >> (n - 1)) & 1;
    std::vector<int> previous;
    if (row > 0)
        for (const auto n : rows[row - 1].numbers()) previous.push_back(n);
    const auto previousSet = search::numberSet(previous);
    switch (c.kind) {
    case ConditionKind::Dan:
        return inSet >= c.atLeast;
    case ConditionKind::Kill:
        return inSet == 0;
    case ConditionKind::Route: {
        int r[3] = {0, 0, 0};
        for (const int n : numbers) ++r[n % 3];
        return std::count(c.routes.begin(), c.routes.end(), r[0] * 100 + r[1] * 10 + r[2]) > 0;
    }
    case ConditionKind::ExcludeDrawn:
        for (size_t back = 1; back <= static_cast<size_t>(c.low) && back <= row; ++back)
            if (play::wins(play, s, rows[row - back].numbers())) return false;
        return true;
    default: {
        const int value = search::shapeValue(*play::conditionShape(c.kind), numbers, previousSet);
        return value >= c.low && value <= c.high;
    }
    }
}

std::vector<Condition> sampleConditions() {
    auto range = [](ConditionKind kind, int low, int high) {
        Condition c;
        c.kind = kind;
        c.low = low;
        c.high = high;
        return c;
    };
    Condition dan{ConditionKind::Dan, 0b00000000111, 2, 0, 0, {}};
    Condition kill{ConditionKind::Kill, 0b11000000000, 0, 0, 0, {}};
    Condition route{ConditionKind::Route, 0, 0, 0, 0, {111, 210, 201, 122, 212, 221, 1, 10}};
    return {dan,
            kill,
            range(ConditionKind::Sum, 12, 24),
            range(ConditionKind::Span, 4, 8),
            range(ConditionKind::Odd, 1, 2),
            range(ConditionKind::Big, 0, 2),
            range(ConditionKind::Prime, 1, 3),
            range(ConditionKind::Consecutive, 0, 1),
            range(ConditionKind::Repeat, 0, 1),
            range(ConditionKind::Neighbour, 1, 3),
            route,
            range(ConditionKind::ExcludeDrawn, 3, 3)};
}

const Play kShrinkPlays[] = {Play::Any5, Play::Any6,        Play::Any7,
                             Play::Any8, Play::Front3Group, Play::Front3Direct};

TEST(Shrink, EveryConditionMatchesADirectCountOverEveryTicket) {
    const auto rows = randomHistory(40, 7);
    const auto conditions = sampleConditions();
    for (const Play play : kShrinkPlays) {
        const auto& selections = play::selectionsOf(play);
        play::ShrinkFilter filter(selections, conditions, rows);
        // Forward one row at a time, then a jump, then the period after the newest.
        for (const size_t row :
             {size_t(0), size_t(1), size_t(2), size_t(3), size_t(4), size_t(20), size_t(40)}) {
            filter.moveTo(row);
            for (size_t c = 0; c < conditions.size(); ++c)
                for (std::uint32_t s = 0; s < selections.size(); ++s)
                    ASSERT_EQ(filter.holds(c, s),
                              directlyHolds(play, conditions[c], selections[s], rows, row))
                        << play::info(play).code << " " << play::conditionName(conditions[c].kind)
                        << " " << play::selectionText(selections[s]) << " row " << row;
        }
    }
}

TEST(Shrink, PassRatesAndKeptSharesMatchARecountOnRandomHistories) {
    const auto conditions = sampleConditions();
    for (const unsigned seed : {1u, 2u}) {
        const auto rows = randomHistory(60, seed);
        for (const Play play : kShrinkPlays) {
            const auto& selections = play::selectionsOf(play);
            // A window longer than the history starts at the second draw, whose previous draw is
            // the first: repeat and exclude-drawn see it there.
            for (const int window : {25, 1000}) {
                const auto f = play::shrinkFigures(play, conditions, rows, window);
                const size_t first = window >= 60 ? 1 : 60 - window;
                ASSERT_EQ(f.window, static_cast<std::int64_t>(60 - first));
                std::vector<std::int64_t> passed(conditions.size(), 0), kept(conditions.size(), 0);
                std::int64_t allPassed = 0, allKept = 0;
                for (size_t row = first; row < rows.size(); ++row) {
                    std::vector<bool> any(conditions.size(), false);
                    bool anyAll = false;
                    for (const auto& s : selections.all()) {
                        if (!play::wins(play, s, rows[row].numbers())) continue;
                        bool all = true;
                        for (size_t c = 0; c < conditions.size(); ++c) {
                            const bool h = directlyHolds(play, conditions[c], s, rows, row);
                            any[c] = any[c] || h;
                            all = all && h;
                        }
                        anyAll = anyAll || all;
                    }
                    for (size_t c = 0; c < conditions.size(); ++c) passed[c] += any[c];
                    allPassed += anyAll;
                }
                for (const auto& s : selections.all()) {
                    bool all = true;
                    for (size_t c = 0; c < conditions.size(); ++c) {
                        const bool h = directlyHolds(play, conditions[c], s, rows, rows.size());
                        kept[c] += h;
                        all = all && h;
                    }
                    allKept += all;
                }
                for (size_t c = 0; c < conditions.size(); ++c) {
                    EXPECT_EQ(f.conditions[c].passed, passed[c])
                        << play::info(play).code << " " << play::conditionName(conditions[c].kind);
                    EXPECT_EQ(f.conditions[c].kept, kept[c]);
                    EXPECT_DOUBLE_EQ(f.conditions[c].keptShare,
                                     double(kept[c]) / double(selections.size()));
                }
                EXPECT_EQ(f.passed, allPassed);
                EXPECT_EQ(f.kept, allKept);
                EXPECT_EQ(f.tickets.size(), static_cast<size_t>(allKept));
                EXPECT_DOUBLE_EQ(f.passRate, double(allPassed) / double(f.window));
                EXPECT_DOUBLE_EQ(f.pValue, play::binomialTwoSided(f.window, f.keptShare, f.passed));
            }
        }
    }
}

TEST(Shrink, TwoSidedBinomialPValue) {
    // Sums of the outcomes no more likely than the one observed, worked exactly.
    EXPECT_NEAR(play::binomialTwoSided(4, 0.5, 1), 0.625, 1e-12);
    EXPECT_NEAR(play::binomialTwoSided(4, 0.5, 0), 0.125, 1e-12);
    EXPECT_NEAR(play::binomialTwoSided(4, 0.5, 2), 1.0, 1e-12); // the likeliest: everything
    EXPECT_NEAR(play::binomialTwoSided(10, 0.3, 7), 0.0105920784, 1e-9);
    EXPECT_NEAR(play::binomialTwoSided(20, 0.25, 9), 0.06523779257, 1e-9);
    // Shares of nothing and everything leave only one possible outcome.
    EXPECT_EQ(play::binomialTwoSided(10, 1.0, 10), 1.0);
    EXPECT_EQ(play::binomialTwoSided(10, 1.0, 9), 0.0);
    EXPECT_EQ(play::binomialTwoSided(0, 0.4, 0), 1.0);
}

TEST(Shrink, ConditionProblems) {
    const auto problem = [](Play play, Condition c) { return play::conditionProblem(play, c); };
    Condition sum{ConditionKind::Sum, 0, 0, 15, 40, {}};
    EXPECT_EQ(problem(Play::Any5, sum), "");
    EXPECT_NE(problem(Play::Front3Group, sum), ""); // three numbers sum to at most 30
    sum.low = 41;
    EXPECT_NE(problem(Play::Any5, sum), ""); // low above high
    Condition odd{ConditionKind::Odd, 0, 0, 1, 6, {}};
    EXPECT_EQ(problem(Play::Any6, odd), "");
    EXPECT_NE(problem(Play::Any5, odd), ""); // five numbers have at most five odd
    odd.low = 0;
    EXPECT_NE(problem(Play::Any6, odd), ""); // six numbers hold at least one odd
    Condition route{ConditionKind::Route, 0, 0, 0, 0, {221}};
    EXPECT_EQ(problem(Play::Any5, route), "");
    EXPECT_NE(problem(Play::Front3Direct, route), ""); // 2:2:1 is five numbers
    Condition dan{ConditionKind::Dan, 0b11, 3, 0, 0, {}};
    EXPECT_NE(problem(Play::Any5, dan), ""); // at least 3 of two numbers
    EXPECT_FALSE(play::shrinkable(Play::Any2));
}

} // namespace
