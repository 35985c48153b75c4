// The chi-square check against closed forms of its tail: for an even df the tail is a finite
// Poisson sum, for an odd df it follows from erfc by the recurrence of the incomplete gamma.

#include "search/uniformity.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

double referenceTail(double x, int df) {
    const double y = x / 2;
    if (df % 2 == 0) {
        double term = std::exp(-y), sum = 0;
        for (int i = 0; i < df / 2; ++i) {
            sum += term;
            term *= y / (i + 1);
        }
        return sum;
    }
    // Q(1/2, y) = erfc(√y); Q(a + 1, y) = Q(a, y) + y^a e^−y / Γ(a + 1).
    double q = std::erfc(std::sqrt(y));
    for (double a = 0.5; a + 1 <= df / 2.0 + 1e-9; a += 1)
        q += std::exp(a * std::log(y) - y - std::lgamma(a + 1));
    return q;
}

TEST(Uniformity, TailAgreesWithClosedFormsForManyDegrees) {
    for (int df : {1, 2, 3, 4, 5, 6, 9, 10, 15, 24, 30, 51}) {
        for (double x : {0.01, 0.5, 1.0, 3.3, df * 1.0, df + 7.5, 2.0 * df + 20, 150.0, 600.0}) {
            const double reference = referenceTail(x, df);
            EXPECT_NEAR(search::chiSquareTail(x, df), reference, 1e-13 + 1e-10 * reference)
                << "df " << df << " x " << x;
        }
    }
    // Known figures: the 5% points of df 1 and 10.
    EXPECT_NEAR(search::chiSquareTail(3.841458820694124, 1), 0.05, 1e-12);
    EXPECT_NEAR(search::chiSquareTail(18.307038053275146, 10), 0.05, 1e-12);
    EXPECT_EQ(search::chiSquareTail(0, 4), 1.0);
}

TEST(Uniformity, ValuesChanceNeverGivesAreLeftOut) {
    // 40 periods over four values, one of which chance never gives.
    const auto test = search::chiSquareUniformity({12, 8, 0, 20}, {10, 10, 0, 20});
    ASSERT_TRUE(test);
    EXPECT_DOUBLE_EQ(test->chi2, 4.0 / 10 + 4.0 / 10);
    EXPECT_EQ(test->df, 2);
    EXPECT_NEAR(test->pValue, std::exp(-0.4), 1e-14);

    // One value chance can give makes one group: nothing to test.
    const auto one = search::chiSquareUniformity({7, 0}, {7, 0});
    ASSERT_TRUE(one);
    EXPECT_EQ(one->groups, 1);
    EXPECT_FALSE(one->tested());
    EXPECT_FALSE(search::chiSquareUniformity({0, 0}, {0, 0}));
    EXPECT_FALSE(search::chiSquareUniformity({}, {}));
}

TEST(Uniformity, RareValuesAreMergedWithTheirNeighbours) {
    // Every expected count at least 5: each value is its own group, as without merging.
    const auto plain = search::chiSquareUniformity({4, 9, 7}, {5, 5, 10});
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->groups, 3);
    EXPECT_EQ(plain->df, 2);
    EXPECT_DOUBLE_EQ(plain->chi2, 1.0 / 5 + 16.0 / 5 + 9.0 / 10);

    // Expected 1, 2, 2.5 | 6 | 3, 0, 1: the first group closes at 5.5, the second at 6, and the
    // last group's 4 (the value of expected 0 left out) joins the one before it.
    const auto merged = search::chiSquareUniformity({3, 0, 2, 9, 1, 5, 0}, {1, 2, 2.5, 6, 3, 0, 1});
    ASSERT_TRUE(merged);
    EXPECT_EQ(merged->groups, 2);
    EXPECT_EQ(merged->df, 1);
    // Groups: observed 5 against 5.5, observed 10 against 10.
    EXPECT_DOUBLE_EQ(merged->chi2, 0.25 / 5.5);
    EXPECT_NEAR(merged->pValue, std::erfc(std::sqrt(0.25 / 5.5 / 2)), 1e-14);

    // Sums such as 6 × (5/6) reach 5 despite rounding and close their group.
    const double sixth = 5.0 / 6;
    const auto exact = search::chiSquareUniformity({1, 1, 1, 1, 1, 0, 5},
                                                   {sixth, sixth, sixth, sixth, sixth, sixth, 5});
    ASSERT_TRUE(exact);
    EXPECT_EQ(exact->groups, 2);

    // All the expected counts together below 5, or one group and a remainder: no test.
    const auto few = search::chiSquareUniformity({1, 2, 0}, {1, 1.5, 2});
    ASSERT_TRUE(few);
    EXPECT_EQ(few->groups, 1);
    EXPECT_FALSE(few->tested());
    const auto remainder = search::chiSquareUniformity({4, 2}, {5, 4.9});
    ASSERT_TRUE(remainder);
    EXPECT_EQ(remainder->groups, 1);
    EXPECT_FALSE(remainder->tested());
}

} // namespace
