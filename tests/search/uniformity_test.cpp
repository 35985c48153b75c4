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

    const auto one = search::chiSquareUniformity({7, 0}, {7, 0});
    ASSERT_TRUE(one);
    EXPECT_EQ(one->df, 0);
    EXPECT_EQ(one->pValue, 1.0);
    EXPECT_FALSE(search::chiSquareUniformity({0, 0}, {0, 0}));
    EXPECT_FALSE(search::chiSquareUniformity({}, {}));
}

} // namespace
