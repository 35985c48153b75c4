// The shapes of a draw against a plain recount: each value straight from the numbers, each chance
// by counting every ordered draw, and the omission figures of a shape over random histories,
// where repeat and neighbour look at the draw before.

#include "history/period.h"
#include "search/omission.h"
#include "search/shape.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <numeric>
#include <random>

namespace {

using search::Shape;

bool contains(const std::vector<int>& numbers, int n) {
    return std::find(numbers.begin(), numbers.end(), n) != numbers.end();
}

// Each shape as a player would count it on paper.
int directValue(Shape shape, const std::vector<int>& numbers, const std::vector<int>& previous) {
    int value = 0;
    switch (shape) {
    case Shape::Sum5:
        return std::accumulate(numbers.begin(), numbers.end(), 0);
    case Shape::Sum3:
        return std::accumulate(numbers.begin(),
                               numbers.begin() + std::min<std::ptrdiff_t>(3, numbers.size()), 0);
    case Shape::Span:
        return *std::max_element(numbers.begin(), numbers.end()) -
               *std::min_element(numbers.begin(), numbers.end());
    case Shape::Odd:
        for (int n : numbers) value += n % 2 == 1;
        return value;
    case Shape::Big:
        for (int n : numbers) value += n >= 6;
        return value;
    case Shape::Prime:
        for (int n : numbers) value += n == 1 || n == 2 || n == 3 || n == 5 || n == 7 || n == 11;
        return value;
    case Shape::Route012: {
        int r[3] = {0, 0, 0};
        for (int n : numbers) ++r[n % 3];
        return r[0] * 100 + r[1] * 10 + r[2];
    }
    case Shape::Consecutive:
        for (int n : numbers) value += contains(numbers, n + 1);
        return value;
    case Shape::Repeat:
        for (int n : numbers) value += contains(previous, n);
        return value;
    case Shape::Neighbour:
        for (int n : numbers)
            value +=
                !contains(previous, n) && (contains(previous, n - 1) || contains(previous, n + 1));
        return value;
    }
    return -1;
}

std::vector<int> randomDraw(std::mt19937& random, int size) {
    std::vector<int> all(11);
    std::iota(all.begin(), all.end(), 1);
    std::shuffle(all.begin(), all.end(), random);
    all.resize(static_cast<size_t>(size));
    return all;
}

// Every ordered draw of `size` numbers (55,440 for five).
template <typename Fn> void forEachOrderedDraw(int size, Fn&& fn) {
    std::vector<int> draw;
    std::vector<bool> used(12, false);
    auto extend = [&](auto&& self) -> void {
        if (static_cast<int>(draw.size()) == size) {
            fn(draw);
            return;
        }
        for (int n = 1; n <= 11; ++n) {
            if (used[n]) continue;
            used[n] = true;
            draw.push_back(n);
            self(self);
            draw.pop_back();
            used[n] = false;
        }
    };
    extend(extend);
}

constexpr Shape kAllShapes[] = {
    Shape::Sum5,     Shape::Span,        Shape::Odd,    Shape::Big,       Shape::Prime,
    Shape::Route012, Shape::Consecutive, Shape::Repeat, Shape::Neighbour, Shape::Sum3};

TEST(Shape, ValuesOfDrawsAndTicketsOfAnySizeAgreeWithACountOnPaper) {
    std::mt19937 random(3);
    for (int size : {1, 2, 3, 5, 8}) {
        for (int trial = 0; trial < 400; ++trial) {
            const auto numbers = randomDraw(random, size);
            const auto previous = randomDraw(random, 5);
            auto reordered = numbers;
            std::shuffle(reordered.begin(), reordered.end(), random);
            const auto previousSet = search::numberSet(previous);
            for (Shape shape : kAllShapes) {
                SCOPED_TRACE(std::string(search::shapeName(shape)) + " of " + std::to_string(size));
                const int value = search::shapeValue(shape, numbers, previousSet);
                ASSERT_EQ(value, directValue(shape, numbers, previous));
                if (shape == Shape::Sum3) continue;
                // Only the first-three sum depends on the drawn order.
                ASSERT_EQ(search::shapeValue(shape, reordered, previousSet), value);
                ASSERT_EQ(search::shapeValueOfSet(shape, search::numberSet(numbers), previousSet),
                          value);
            }
        }
    }
    // The first period of a game has no previous draw: nothing repeats, nothing neighbours.
    const std::vector<int> draw = {1, 2, 3, 4, 5};
    EXPECT_EQ(search::shapeValue(Shape::Repeat, draw), 0);
    EXPECT_EQ(search::shapeValue(Shape::Neighbour, draw), 0);
    EXPECT_EQ(search::shapeValue(Shape::Consecutive, draw), 4);
}

TEST(Shape, LabelsNamesAndValueRanges) {
    EXPECT_EQ(search::shapeLabel(Shape::Odd, 3), "3:2");
    EXPECT_EQ(search::shapeLabel(Shape::Big, 0), "0:5");
    EXPECT_EQ(search::shapeLabel(Shape::Prime, 2, 3), "2:1");
    EXPECT_EQ(search::shapeLabel(Shape::Route012, 14), "0:1:4");
    EXPECT_EQ(search::shapeLabel(Shape::Route012, 221), "2:2:1");
    EXPECT_EQ(search::shapeLabel(Shape::Sum5, 27), "27");
    for (Shape shape : kAllShapes) EXPECT_EQ(search::parseShape(search::shapeName(shape)), shape);
    EXPECT_FALSE(search::parseShape("sum"));

    const auto range = [](int low, int high) {
        std::vector<int> values(static_cast<size_t>(high - low + 1));
        std::iota(values.begin(), values.end(), low);
        return values;
    };
    EXPECT_EQ(search::shapeValues(Shape::Sum5), range(15, 45));
    EXPECT_EQ(search::shapeValues(Shape::Span), range(4, 10));
    EXPECT_EQ(search::shapeValues(Shape::Odd), range(0, 5));
    EXPECT_EQ(search::shapeValues(Shape::Big), range(0, 5));
    EXPECT_EQ(search::shapeValues(Shape::Consecutive), range(0, 4));
    EXPECT_EQ(search::shapeValues(Shape::Repeat), range(0, 5));
    EXPECT_EQ(search::shapeValues(Shape::Neighbour), range(0, 5));
    EXPECT_EQ(search::shapeValues(Shape::Sum3), range(6, 30));
    EXPECT_EQ(search::shapeValues(Shape::Route012).size(), 16u);
    EXPECT_EQ(search::shapeValues(Shape::Sum5, 3), range(6, 30));
    EXPECT_EQ(search::shapeValues(Shape::Span, 3), range(2, 10));
}

TEST(Shape, ChancesAreThoseOfEveryOrderedDraw) {
    std::mt19937 random(5);
    const std::vector<std::vector<int>> previousDraws = {
        {1, 2, 3, 4, 5}, {2, 4, 6, 8, 10}, {1, 11, 6, 3, 9}, randomDraw(random, 5)};
    for (int size : {3, 5}) {
        for (Shape shape : kAllShapes) {
            for (const auto& previous : previousDraws) {
                SCOPED_TRACE(std::string(search::shapeName(shape)) + " of " + std::to_string(size));
                std::map<int, std::int64_t> draws;
                std::int64_t total = 0;
                forEachOrderedDraw(size, [&](const std::vector<int>& draw) {
                    ++draws[directValue(shape, draw, previous)];
                    ++total;
                });
                const auto values = search::shapeValues(shape, size);
                const auto chances = search::shapeChances(shape, size, search::numberSet(previous));
                ASSERT_EQ(chances.size(), values.size());
                for (size_t v = 0; v < values.size(); ++v) {
                    const auto found = draws.find(values[v]);
                    const double expected =
                        found == draws.end() ? 0.0 : static_cast<double>(found->second) / total;
                    EXPECT_NEAR(chances[v], expected, 1e-15) << "value " << values[v];
                }
                // No drawn value is missing from the list.
                for (const auto& [value, n] : draws)
                    EXPECT_TRUE(std::binary_search(values.begin(), values.end(), value)) << value;
                if (!search::needsPrevious(shape)) break;
            }
        }
    }
}

// Rows holding only their numbers, which is all a shape reads; 84 draws a day.
std::vector<history::HistoryRow> randomHistory(size_t count, std::mt19937& random) {
    std::vector<history::HistoryRow> rows(count);
    for (size_t i = 0; i < count; ++i) {
        rows[i].period = 16090000 + static_cast<int>(i / 84) * 100 + static_cast<int>(i % 84) + 1;
        const auto draw = randomDraw(random, 5);
        for (int p = 0; p < 5; ++p)
            rows[i].values[history::Number][p] = static_cast<std::int16_t>(draw[p]);
    }
    return rows;
}

std::vector<int> drawOf(const history::HistoryRow& row) {
    return {row.numbers().begin(), row.numbers().end()};
}

TEST(Shape, OmissionFiguresOfEveryShapeAgreeWithARecount) {
    std::mt19937 random(9);
    const auto rows = randomHistory(300, random);
    for (Shape shape : kAllShapes) {
        const bool looksBack = search::needsPrevious(shape);
        // The whole history, a span from the second row (whose previous draw is the first) and
        // spans inside.
        for (const auto& [a, b] :
             {std::pair<size_t, size_t>{0, 299}, {1, 299}, {37, 190}, {250, 250}, {0, 0}}) {
            SCOPED_TRACE(std::string(search::shapeName(shape)) + " rows " + std::to_string(a) +
                         ".." + std::to_string(b));
            search::OmissionRequest request;
            request.shape = shape;
            request.position = 3; // ignored for a shape
            if (a != 0 || b != 299) {
                request.spanStart = rows[a].period;
                request.spanEnd = rows[b].period;
            }
            const search::OmissionTable table(rows, request, history::Zodiac{});
            const auto values = search::shapeValues(shape);
            ASSERT_EQ(table.values(), values);
            const size_t first = looksBack && a == 0 ? 1 : a;
            const size_t periods = b >= first ? b - first + 1 : 0;
            ASSERT_EQ(table.periods(), periods);
            if (periods == 0) {
                EXPECT_FALSE(table.uniformity());
                continue;
            }
            EXPECT_EQ(table.firstRow(), first);
            EXPECT_TRUE(table.singleValued());

            std::vector<std::int64_t> counts(values.size(), 0), omission(values.size(), 0);
            std::vector<double> expected(values.size(), 0.0);
            for (size_t i = 0; i < periods; ++i) {
                const size_t r = first + i;
                const auto previous = r > 0 ? drawOf(rows[r - 1]) : std::vector<int>{};
                const int value = directValue(shape, drawOf(rows[r]), previous);
                const auto chances = search::shapeChances(shape, 5, search::numberSet(previous));
                for (size_t v = 0; v < values.size(); ++v) {
                    const bool carried = values[v] == value;
                    counts[v] += carried;
                    omission[v] = carried ? 0 : omission[v] + 1;
                    expected[v] += chances[v];
                    ASSERT_EQ(table.carries(i, v), carried);
                    ASSERT_EQ(table.omission(i, v), omission[v]);
                    ASSERT_DOUBLE_EQ(table.chance(i, v), chances[v]);
                }
                ASSERT_EQ(values[static_cast<size_t>(table.valueAt(i))], value);
            }
            // χ² over the values merged in ascending order into groups of at least 5 expected,
            // a short last group joining the one before.
            std::vector<std::pair<double, double>> groups;
            double observed = 0, due = 0;
            for (size_t v = 0; v < values.size(); ++v) {
                EXPECT_EQ(table.summary()[v].count, counts[v]);
                EXPECT_EQ(table.summary()[v].current, omission[v]);
                EXPECT_NEAR(table.summary()[v].expected, expected[v], 1e-9);
                std::int64_t recent = 0;
                for (size_t i = periods > 10 ? periods - 10 : 0; i < periods; ++i)
                    recent += table.carries(i, v);
                EXPECT_EQ(table.countInLast(v, 10), recent);
                if (expected[v] > 0) {
                    observed += static_cast<double>(counts[v]);
                    due += expected[v];
                }
                if (due >= 5 - 1e-9) {
                    groups.emplace_back(observed, due);
                    observed = due = 0;
                }
            }
            if (due > 0 && !groups.empty()) {
                groups.back().first += observed;
                groups.back().second += due;
            } else if (due > 0) {
                groups.emplace_back(observed, due);
            }
            double chi2 = 0;
            for (const auto& [o, e] : groups) chi2 += (o - e) * (o - e) / e;
            ASSERT_TRUE(table.uniformity());
            EXPECT_EQ(table.uniformity()->groups, static_cast<int>(groups.size()));
            if (groups.size() >= 2) {
                EXPECT_NEAR(table.uniformity()->chi2, chi2, 1e-9);
                EXPECT_EQ(table.uniformity()->df, static_cast<int>(groups.size()) - 1);
            } else {
                EXPECT_FALSE(table.uniformity()->tested());
            }
        }
    }
}

TEST(Shape, RepeatAndNeighbourOfAHistoryOfOnePeriod) {
    std::mt19937 random(1);
    const auto rows = randomHistory(1, random);
    search::OmissionRequest request;
    request.shape = Shape::Neighbour;
    const search::OmissionTable table(rows, request, history::Zodiac{});
    EXPECT_EQ(table.periods(), 0u);
    EXPECT_EQ(table.summary().size(), 6u);
    EXPECT_FALSE(table.uniformity());
}

} // namespace
