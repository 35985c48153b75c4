// Holm's adjustment against values worked by hand.

#include "search/multiple_tests.h"

#include <gtest/gtest.h>

namespace {

TEST(MultipleTests, HolmAdjustment) {
    // Sorted 0.01, 0.02, 0.03, 0.04 over T = 4: 0.04, 0.06, 0.06 (the running maximum over
    // 0.06), 0.06 (0.04 · 1 lifted to it); given out of order, returned in the same order.
    const auto adjusted = search::holmAdjusted({0.03, 0.01, 0.04, 0.02});
    ASSERT_EQ(adjusted.size(), 4u);
    EXPECT_NEAR(adjusted[0], 0.06, 1e-15);
    EXPECT_NEAR(adjusted[1], 0.04, 1e-15);
    EXPECT_NEAR(adjusted[2], 0.06, 1e-15);
    EXPECT_NEAR(adjusted[3], 0.06, 1e-15);

    // Capped at 1; a single test is left as it is; ties keep their places.
    const auto capped = search::holmAdjusted({0.5, 0.2, 0.9});
    EXPECT_NEAR(capped[0], 1.0, 1e-15);
    EXPECT_NEAR(capped[1], 0.6, 1e-15);
    EXPECT_NEAR(capped[2], 1.0, 1e-15);
    EXPECT_EQ(search::holmAdjusted({0.04855}), std::vector<double>{0.04855});
    const auto ties = search::holmAdjusted({0.01, 0.01, 0.5});
    EXPECT_NEAR(ties[0], 0.03, 1e-15);
    EXPECT_NEAR(ties[1], 0.03, 1e-15);
    EXPECT_NEAR(ties[2], 0.5, 1e-15);
    EXPECT_TRUE(search::holmAdjusted({}).empty());
}

} // namespace
