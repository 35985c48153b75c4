// The play table against a recount from its definitions on random histories and spans, and on
// hand-made histories where every figure is known.

#include "play/play_table.h"
#include "support/random_history.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using play::Play;
using testing_support::randomHistory;

std::vector<history::HistoryRow> historyOf(const std::vector<play::Draw>& draws) {
    std::vector<history::HistoryRow> rows(draws.size());
    for (size_t i = 0; i < draws.size(); ++i) {
        rows[i].period = 16010101 + static_cast<int>(i);
        rows[i].values[history::Number] = draws[i];
    }
    return rows;
}

// The figures straight from the definitions, over one selection's win flags.
play::SelectionFigures recount(const std::vector<bool>& won, size_t first, double p) {
    play::SelectionFigures f;
    const auto n = static_cast<std::int64_t>(won.size());
    std::vector<std::int64_t> winsAt;
    for (std::int64_t i = 0; i < n; ++i)
        if (won[i]) winsAt.push_back(i);
    f.count = static_cast<std::int64_t>(winsAt.size());
    f.expected = static_cast<double>(n) * p;
    f.current = winsAt.empty() ? n : n - 1 - winsAt.back();
    if (!winsAt.empty()) {
        std::int64_t j = winsAt.back() - 1, length = 0;
        while (j >= 0 && !won[j]) --j, ++length;
        f.previous = length;
    }
    for (std::int64_t i = 0; i < n;) {
        std::int64_t j = i;
        while (j < n && won[j] == won[i]) ++j;
        if (won[i]) {
            f.maxRun = std::max(f.maxRun, j - i);
        } else if (j - i >= f.max) {
            f.max = j - i;
            f.maxFrom = first + static_cast<size_t>(i);
            f.maxTo = first + static_cast<size_t>(j - 1);
        }
        i = j;
    }
    f.average = static_cast<double>(n) / static_cast<double>(f.count + 1);
    f.ratio = static_cast<double>(f.current) / f.average;
    return f;
}

void expectSame(const play::SelectionFigures& a, const play::SelectionFigures& b,
                const std::string& what) {
    EXPECT_EQ(a.count, b.count) << what;
    EXPECT_DOUBLE_EQ(a.expected, b.expected) << what;
    EXPECT_EQ(a.current, b.current) << what;
    EXPECT_EQ(a.previous, b.previous) << what;
    EXPECT_EQ(a.max, b.max) << what;
    EXPECT_EQ(a.maxFrom, b.maxFrom) << what;
    EXPECT_EQ(a.maxTo, b.maxTo) << what;
    EXPECT_DOUBLE_EQ(a.average, b.average) << what;
    EXPECT_DOUBLE_EQ(a.ratio, b.ratio) << what;
    EXPECT_EQ(a.maxRun, b.maxRun) << what;
}

TEST(PlayTable, AgreesWithARecountOnRandomHistoriesAndSpans) {
    const auto rows = randomHistory(400, 7);
    // Whole history, and spans that cut runs at both ends, down to a single period.
    const std::pair<size_t, size_t> spans[] = {{0, 400}, {37, 251}, {199, 200}, {3, 40}};
    for (const auto& p : play::plays()) {
        const play::SelectionSet set(p.play);
        for (const auto& [first, last] : spans) {
            const play::PlayTable table(set, rows, first, last);
            ASSERT_EQ(table.periods(), last - first);
            bool someNeverWon = false;
            for (size_t s = 0; s < set.size(); ++s) {
                std::vector<bool> won;
                for (size_t i = first; i < last; ++i)
                    won.push_back(play::wins(p.play, set[s], rows[i].numbers()));
                someNeverWon = someNeverWon || table.figures()[s].count == 0;
                expectSame(table.figures()[s], recount(won, first, play::chance(p.play)),
                           std::string(p.code) + " " + play::selectionText(set[s]) + " span " +
                               std::to_string(first));
                if (HasFailure()) return;
            }
            if (p.play == Play::Front3Direct) {
                EXPECT_TRUE(someNeverWon);
            }
        }
    }
}

TEST(PlayTable, PreviousAndLongestRunsOnAHandMadeHistory) {
    // 前一 over ten periods, by the first number drawn (the others are 05..08): 01 wins at 1, 2,
    // 5 and 9 (0-based); 02 only at 0; 04 at 3, 4 and 8, with two losing runs of three; 11 never.
    const std::vector<int> first = {2, 1, 1, 4, 4, 1, 3, 3, 4, 1};
    std::vector<play::Draw> draws;
    for (int n : first) draws.push_back({static_cast<std::int16_t>(n), 5, 6, 7, 8});
    const auto rows = historyOf(draws);
    const play::SelectionSet set(Play::Front1);
    const play::PlayTable table(set, rows, 0, rows.size());

    const auto& one = table.figures()[0];
    EXPECT_EQ(one.count, 4);
    EXPECT_EQ(one.current, 0);
    EXPECT_EQ(one.previous, 3); // periods 6..8
    EXPECT_EQ(one.max, 3);
    EXPECT_EQ(one.maxFrom, 6u);
    EXPECT_EQ(one.maxTo, 8u);
    EXPECT_EQ(one.maxRun, 2);
    EXPECT_DOUBLE_EQ(one.average, 2.0);
    EXPECT_DOUBLE_EQ(one.ratio, 0.0);

    const auto& two = table.figures()[1];
    EXPECT_EQ(two.count, 1);
    EXPECT_EQ(two.previous, 0); // its win was the span's first period
    EXPECT_EQ(two.current, 9);
    EXPECT_EQ(two.maxFrom, 1u);
    EXPECT_EQ(two.maxTo, 9u);

    const auto& four = table.figures()[3];
    EXPECT_EQ(four.max, 3);
    EXPECT_EQ(four.maxFrom, 5u); // the later of 0..2 and 5..7
    EXPECT_EQ(four.maxTo, 7u);
    EXPECT_EQ(four.previous, 3);
    EXPECT_EQ(four.current, 1);
    EXPECT_EQ(four.maxRun, 2);

    const auto& eleven = table.figures()[10];
    EXPECT_EQ(eleven.count, 0);
    EXPECT_FALSE(eleven.previous);
    EXPECT_EQ(eleven.current, 10);
    EXPECT_EQ(eleven.max, 10);
    EXPECT_EQ(eleven.maxFrom, 0u);
    EXPECT_EQ(eleven.maxTo, 9u);
    EXPECT_EQ(eleven.maxRun, 0);
    EXPECT_DOUBLE_EQ(eleven.ratio, 1.0);

    // Over periods 3..4, 04 won every period: it never lost, and its last win followed a win.
    const play::PlayTable hot(set, rows, 3, 5);
    EXPECT_EQ(hot.figures()[3].max, 0);
    EXPECT_FALSE(hot.figures()[3].maxFrom);
    EXPECT_EQ(hot.figures()[3].previous, 0);
    EXPECT_EQ(hot.figures()[3].maxRun, 2);
    EXPECT_EQ(hot.figures()[3].current, 0);
}

TEST(PlayTable, SortsDescendingWithTiesInSelectionOrder) {
    const auto rows = randomHistory(60, 3);
    const play::SelectionSet set(Play::Any2);
    const play::PlayTable table(set, rows, 0, rows.size());
    for (auto sort : {play::TableSort::Current, play::TableSort::Count, play::TableSort::Max,
                      play::TableSort::Ratio}) {
        const auto order = table.order(sort);
        for (size_t i = 1; i < order.size(); ++i) {
            const auto& a = table.figures()[order[i - 1]];
            const auto& b = table.figures()[order[i]];
            const auto key = [&](const play::SelectionFigures& f) {
                return sort == play::TableSort::Current ? double(f.current)
                       : sort == play::TableSort::Count ? double(f.count)
                       : sort == play::TableSort::Max   ? double(f.max)
                                                        : f.ratio;
            };
            ASSERT_GE(key(a), key(b));
            if (key(a) == key(b)) {
                ASSERT_LT(order[i - 1], order[i]);
            }
        }
    }
}

} // namespace
