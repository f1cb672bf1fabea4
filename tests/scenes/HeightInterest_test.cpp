// The height-driven interest of bodies, without GL.
#include <gtest/gtest.h>

#include <limits>

#include "scenes/HeightInterest.h"

TEST(HeightInterest, FollowsTheHeightTruncatedAndClamped) {
    EXPECT_EQ(interestFromHeight(10.0f), 0);
    EXPECT_EQ(interestFromHeight(9.95f), 0); // 0.5 truncates toward zero
    EXPECT_EQ(interestFromHeight(9.85f), 1);
    EXPECT_EQ(interestFromHeight(5.0f), 50);
    EXPECT_EQ(interestFromHeight(7.0f), 30);
    EXPECT_EQ(interestFromHeight(6.99f), 30);
    EXPECT_EQ(interestFromHeight(7.01f), 29);
    EXPECT_EQ(interestFromHeight(0.0f), 100);
    EXPECT_EQ(interestFromHeight(-3.0f), 100); // 130 capped
    EXPECT_EQ(interestFromHeight(12.0f), 0);   // -20 raised
}

TEST(HeightInterest, ExtremeAndBrokenHeightsStayInRange) {
    EXPECT_EQ(interestFromHeight(std::numeric_limits<float>::max()), 0);
    EXPECT_EQ(interestFromHeight(-std::numeric_limits<float>::max()), 100);
    EXPECT_EQ(interestFromHeight(std::numeric_limits<float>::infinity()), 0);
    EXPECT_EQ(interestFromHeight(-std::numeric_limits<float>::infinity()), 100);
    EXPECT_EQ(interestFromHeight(std::numeric_limits<float>::quiet_NaN()), 0);
}
