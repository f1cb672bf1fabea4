// The scene builders' random quantities, without GL.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/Random.h"
#include "scenefile/RandomDraw.h"

TEST(RandomDraw, VectorTakesItsDrawsInTheOrderZYX) {
    randomSeed(1234);
    const int first = randomNext();
    const int second = randomNext();
    const int third = randomNext();
    randomSeed(1234);
    const k_Vector3 v = drawVector(-130.0, 260.0);
    // Each component is base + span * r / 32767 in double, rounded once to float.
    EXPECT_EQ(v.z, static_cast<float>(-130.0 + 260.0 * (first / 32767.0)));
    EXPECT_EQ(v.y, static_cast<float>(-130.0 + 260.0 * (second / 32767.0)));
    EXPECT_EQ(v.x, static_cast<float>(-130.0 + 260.0 * (third / 32767.0)));
}

TEST(RandomDraw, QuantityCoversTheClosedRangeOfItsDraws) {
    // The generator's extremes reach both ends exactly, so ranges are closed.
    EXPECT_EQ(0.0 / randomMax, 0.0);
    double low = 1.0;
    double high = 0.0;
    randomSeed(99);
    for (int i = 0; i < 200000; ++i) {
        const double u = drawUnit();
        low = std::min(low, u);
        high = std::max(high, u);
    }
    EXPECT_GE(low, 0.0);
    EXPECT_LE(high, 1.0);
    EXPECT_LT(low, 0.001);
    EXPECT_GT(high, 0.999);
}

TEST(RandomDraw, RadiusFactorIsTheWidenedFloat) {
    // 0.5 + 0.3f * 1: the factor widened from float leaves the top radius just above 0.8.
    randomSeed(7);
    for (int i = 0; i < 100000; ++i) {
        const float radius = drawQuantity(0.5, static_cast<double>(0.3f));
        ASSERT_GE(radius, 0.5f);
        ASSERT_LE(radius, 0.8000000119f);
    }
}
