// The shrink conditions against a direct count over every ticket, the pass rates against a recount
// on random histories, the whole filter's figures and the two-sided binomial p-value.

#include "play/shrink.h"
#include "support/random_history.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using play::Condition;
using play::ConditionKind;
using play::Play;
using testing_support::randomHistory;

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

const Play kShrinkPlays[] = {Play::Front1,      Play::Any2,         Play::Any3,
                             Play::Any4,        Play::Any5,         Play::Any6,
                             Play::Any7,        Play::Any8,         Play::Front2Direct,
                             Play::Front2Group, Play::Front3Direct, Play::Front3Group};

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
                EXPECT_DOUBLE_EQ(f.pValue, play::binomialTwoSided(f.window, f.chance, f.passed));
            }
        }
    }
}

// Every outcome of a period as a draw: the 462 sets of five for 任二..任八, each ordered first
// three followed by the smallest two numbers not in it for the front plays (equally likely, and
// none of them looks past the third number).
std::vector<play::Draw> everyOutcome(Play play) {
    std::vector<play::Draw> out;
    const auto pad = [&](std::vector<int> front) {
        for (int n = 1; front.size() < 5; ++n)
            if (std::find(front.begin(), front.end(), n) == front.end()) front.push_back(n);
        play::Draw draw{};
        for (size_t i = 0; i < 5; ++i) draw[i] = static_cast<std::int16_t>(front[i]);
        out.push_back(draw);
    };
    if (play >= Play::Any2 && play <= Play::Any8) {
        for (int a = 1; a <= 11; ++a)
            for (int b = a + 1; b <= 11; ++b)
                for (int c = b + 1; c <= 11; ++c)
                    for (int d = c + 1; d <= 11; ++d)
                        for (int e = d + 1; e <= 11; ++e) pad({a, b, c, d, e});
        return out;
    }
    for (int a = 1; a <= 11; ++a)
        for (int b = 1; b <= 11; ++b)
            for (int c = 1; c <= 11; ++c)
                if (a != b && b != c && a != c) pad({a, b, c});
    return out;
}

// The share of outcomes some ticket kept by `conditions` at `row` wins, straight from the rules.
double directChance(Play play, const std::vector<Condition>& conditions,
                    const std::vector<history::HistoryRow>& rows, size_t row) {
    std::vector<play::Selection> kept;
    for (const auto& s : play::selectionsOf(play).all())
        if (std::all_of(conditions.begin(), conditions.end(),
                        [&](const Condition& c) { return directlyHolds(play, c, s, rows, row); }))
            kept.push_back(s);
    const auto outcomes = everyOutcome(play);
    std::int64_t won = 0;
    for (const auto& draw : outcomes)
        won += std::any_of(kept.begin(), kept.end(),
                           [&](const play::Selection& s) { return play::wins(play, s, draw); });
    return static_cast<double>(won) / static_cast<double>(outcomes.size());
}

TEST(ShrinkChance, MatchesACountOverEveryOutcomeForEachPlay) {
    const auto rows = randomHistory(30, 5);
    const auto conditions = sampleConditions();
    const int window = 3;
    for (const Play play : kShrinkPlays) {
        const auto f = play::shrinkFigures(play, conditions, rows, window);
        double all = 0;
        std::vector<double> each(conditions.size(), 0.0);
        for (size_t row = rows.size() - window; row < rows.size(); ++row) {
            all += directChance(play, conditions, rows, row);
            for (size_t c = 0; c < conditions.size(); ++c)
                each[c] += directChance(play, {conditions[c]}, rows, row);
        }
        EXPECT_NEAR(f.chance, all / window, 1e-12) << play::info(play).code;
        for (size_t c = 0; c < conditions.size(); ++c) {
            EXPECT_NEAR(f.conditions[c].chance, each[c] / window, 1e-12)
                << play::info(play).code << " " << play::conditionName(conditions[c].kind);
            if (f.conditions[c].chance > 0) {
                EXPECT_DOUBLE_EQ(*f.conditions[c].ratio,
                                 f.conditions[c].passRate / f.conditions[c].chance);
            }
        }
    }
}

TEST(ShrinkChance, KnownValues) {
    const auto rows = randomHistory(50, 3);
    // 任七 with 11 killed wins whenever 11 is not drawn, though it keeps only 120 of 330 tickets.
    const Condition kill11{ConditionKind::Kill, 0b10000000000, 0, 0, 0, {}};
    const auto r7 = play::shrinkFigures(Play::Any7, {kill11}, rows, 40);
    EXPECT_NEAR(r7.chance, 6.0 / 11, 1e-12);
    EXPECT_NEAR(r7.keptShare, 120.0 / 330, 1e-12);
    EXPECT_NEAR(r7.pValue, play::binomialTwoSided(40, 6.0 / 11, r7.passed), 1e-9);
    // A 胆 on 任七 keeps 210 of 330 tickets and still covers every draw.
    const Condition dan1{ConditionKind::Dan, 0b1, 1, 0, 0, {}};
    EXPECT_NEAR(play::shrinkFigures(Play::Any7, {dan1}, rows, 40).chance, 1.0, 1e-12);
    // Where each outcome has one winning ticket and the kept set stays, chance is the kept share.
    const Condition sum{ConditionKind::Sum, 0, 0, 24, 32, {}};
    for (const Play play : {Play::Any5, Play::Front3Group, Play::Front3Direct}) {
        Condition c = sum;
        if (play::info(play).size == 3) c.low = 14, c.high = 20;
        const auto f = play::shrinkFigures(play, {c, kill11}, rows, 40);
        EXPECT_NEAR(f.chance, f.keptShare, 1e-12) << play::info(play).code;
        EXPECT_NEAR(f.conditions[0].chance, f.conditions[0].keptShare, 1e-12);
    }
}

TEST(ShrinkChance, RepeatOnAHandMadeHistory) {
    // Draws 01..05, 03..07, 07..11: each period's kept set follows the draw before it.
    std::vector<history::HistoryRow> rows(3);
    const int draws[3][5] = {{1, 2, 3, 4, 5}, {3, 4, 5, 6, 7}, {7, 8, 9, 10, 11}};
    for (size_t i = 0; i < 3; ++i) {
        rows[i].period = 16010101 + static_cast<int>(i);
        for (size_t p = 0; p < 5; ++p)
            rows[i].values[history::Number][p] = static_cast<std::int16_t>(draws[i][p]);
    }
    // 任七 holding all five of the previous draw: 15 of 330 tickets, yet they cover every draw
    // sharing at least three numbers with it, (10·15 + 5·6 + 1) / 462 = 181/462.
    const Condition all5{ConditionKind::Repeat, 0, 0, 5, 5, {}};
    const auto r7 = play::shrinkFigures(Play::Any7, {all5}, rows, 2);
    EXPECT_NEAR(r7.chance, 181.0 / 462, 1e-12);
    EXPECT_NEAR(r7.keptShare, 15.0 / 330, 1e-12);
    // The second draw shares 3 numbers with the first and passes; the third shares 1 and fails.
    EXPECT_EQ(r7.passed, 1);
    // 任五 with exactly two repeats: C(5,2)·C(6,3) = 200 of 462 every period.
    const Condition two{ConditionKind::Repeat, 0, 0, 2, 2, {}};
    const auto r5 = play::shrinkFigures(Play::Any5, {two}, rows, 2);
    EXPECT_NEAR(r5.chance, 200.0 / 462, 1e-12);
    EXPECT_EQ(r5.passed, 0); // 3 repeats, then 1
    // 前三组选 with no repeat: the previous draw's five leave six numbers, C(6,3) = 20 of 165.
    const Condition none{ConditionKind::Repeat, 0, 0, 0, 0, {}};
    EXPECT_NEAR(play::shrinkFigures(Play::Front3Group, {none}, rows, 2).chance, 20.0 / 165, 1e-12);
}

TEST(ShrinkChance, NoEdgeOnRandomDraws) {
    // Where no number can have an edge, kills and 胆 on 任六..任八 pass about as often as their
    // chance says, whatever share of the tickets they keep.
    const auto rows = randomHistory(1201, 11);
    const Condition kills[] = {
        {ConditionKind::Kill, 0b10000000000, 0, 0, 0, {}},
        {ConditionKind::Kill, 0b11000000000, 0, 0, 0, {}},
        {ConditionKind::Dan, 0b1, 1, 0, 0, {}},
        {ConditionKind::Dan, 0b111, 2, 0, 0, {}},
    };
    for (const Play play : {Play::Any6, Play::Any7, Play::Any8})
        for (const auto& c : kills) {
            const auto f = play::shrinkFigures(play, {c}, rows, 1200);
            ASSERT_TRUE(f.ratio);
            EXPECT_NEAR(*f.ratio, 1.0, 0.1) << play::info(play).code << " " << f.chance;
            EXPECT_GT(f.pValue, 0.001) << play::info(play).code << " " << f.chance;
        }
    // Nor do the conditions whose kept set follows the previous draws, on any play.
    for (const Play play : kShrinkPlays) {
        // A ticket of k numbers repeats at least k − 6 of the previous five.
        const int fewest = std::max(0, play::info(play).size - 6);
        const Condition moving[] = {
            {ConditionKind::Repeat, 0, 0, fewest, fewest + 1, {}},
            {ConditionKind::Neighbour, 0, 0, 1, 2, {}},
            {ConditionKind::ExcludeDrawn, 0, 0, 3, 3, {}},
        };
        for (const auto& c : moving) {
            const auto f = play::shrinkFigures(play, {c}, rows, 1200);
            ASSERT_TRUE(f.ratio);
            EXPECT_NEAR(*f.ratio, 1.0, 0.15)
                << play::info(play).code << " " << play::conditionName(c.kind);
            EXPECT_GT(f.pValue, 0.001) << play::info(play).code << " " << f.chance;
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
    for (const auto& p : play::plays()) EXPECT_TRUE(play::shrinkable(p.play));
}

} // namespace
