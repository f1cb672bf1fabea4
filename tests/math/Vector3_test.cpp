#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "math/Vector3.h"

namespace {

void expectBits(const k_Vector3& v, float x, float y, float z) {
    EXPECT_EQ(v.x, x);
    EXPECT_EQ(v.y, y);
    EXPECT_EQ(v.z, z);
}

TEST(Vector3, arithmeticMakesNewVectorsAndLeavesOperandsAlone) {
    expectBits(k_Vector3(), 0.0f, 0.0f, 0.0f);
    const k_Vector3 a(1.0f, 2.0f, 3.0f);
    const k_Vector3 b(0.5f, -4.0f, 8.0f);
    expectBits(a + b, 1.5f, -2.0f, 11.0f);
    expectBits(a - b, 0.5f, 6.0f, -5.0f);
    expectBits(a - a, 0.0f, 0.0f, 0.0f);
    expectBits(a * -2.0f, -2.0f, -4.0f, -6.0f);
    expectBits(a, 1.0f, 2.0f, 3.0f);
    expectBits(b, 0.5f, -4.0f, 8.0f);
    EXPECT_EQ(dot(a, b), 0.5f - 8.0f + 24.0f);
}

TEST(Vector3, crossFollowsTheRightHandRuleAndRoundsEachComponentOnce) {
    k_Vector3 r;
    r.cross(k_Vector3(1, 0, 0), k_Vector3(0, 1, 0));
    expectBits(r, 0.0f, 0.0f, 1.0f);
    r.cross(k_Vector3(0, 1, 0), k_Vector3(1, 0, 0));
    expectBits(r, 0.0f, 0.0f, -1.0f);

    // (1+e)^2 - 1 with e = 2^-12 is 2^-11 + 2^-24 exactly, a float; rounding the product
    // (1+e)^2 to float first would lose the 2^-24.
    const float e = std::ldexp(1.0f, -12);
    r.cross(k_Vector3(0, 1 + e, 1), k_Vector3(0, 1, 1 + e));
    EXPECT_EQ(r.x, std::ldexp(1.0f, -11) + std::ldexp(1.0f, -24));
    EXPECT_EQ(r.y, 0.0f);
    EXPECT_EQ(r.z, 0.0f);
}

TEST(Vector3, lengthRoundsTheSumOfSquaresBeforeTheRoot) {
    EXPECT_EQ(k_Vector3(3, 4, 0).length(), 5.0f);
    EXPECT_EQ(k_Vector3().length(), 0.0f);
    // Golden figures from an independent model: the correctly rounded length would be
    // 0x1.c02b18p+0 and 0x1.89a98p+1; the sum rounded to float first gives these.
    EXPECT_EQ(k_Vector3(0x1.5c3c86p+0f, 0x1.dad8eap-1f, 0x1.30bcdcp-1f).length(), 0x1.c02b1ap+0f);
    EXPECT_EQ(k_Vector3(0x1.f8906ap+0f, 0x1.4214d8p+0f, 0x1.ff6d6cp+0f).length(), 0x1.89a97ep+1f);
}

TEST(Vector3, normalizeMultipliesByTheFloatReciprocal) {
    k_Vector3 zero;
    EXPECT_EQ(&zero.normalize(), &zero);
    expectBits(zero, 0.0f, 0.0f, 0.0f);

    k_Vector3 up(0, 10, 0);
    expectBits(up.normalize(), 0.0f, 1.0f, 0.0f);

    const float fifth = 0.2f;
    k_Vector3 v(3, 0, 4);
    expectBits(v.normalize(), 3.0f * fifth, 0.0f, 4.0f * fifth);

    // Dividing x by the length would give 0x1.ac85ecp-1 here.
    k_Vector3 w(0x1.6a6b5cp+0f, 0x1.77f5f8p-1f, 0x1.209738p-1f);
    expectBits(w.normalize(), 0x1.ac85eep-1f, 0x1.bc88d4p-2f, 0x1.553a7ap-2f);

    const float nan = std::numeric_limits<float>::quiet_NaN();
    k_Vector3 broken(nan, 1, 2);
    broken.normalize();
    EXPECT_TRUE(std::isnan(broken.x));
    EXPECT_EQ(broken.y, 1.0f);
    EXPECT_EQ(broken.z, 2.0f);
}

TEST(Vector3, isWithinDistanceIsAStrictBound) {
    const k_Vector3 origin;
    const k_Vector3 p(3, 4, 0);
    EXPECT_FALSE(origin.isWithinDistance(p, 5.0f));
    EXPECT_TRUE(origin.isWithinDistance(p, 5.0001f));
    EXPECT_TRUE(p.isWithinDistance(origin, 5.0001f));
    EXPECT_FALSE(p.isWithinDistance(p, 0.0f));
    EXPECT_TRUE(p.isWithinDistance(p, 1e-30f));
    EXPECT_FALSE(origin.isWithinDistance(p, -10.0f));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(origin.isWithinDistance(k_Vector3(nan, 0, 0), 1e30f));
    EXPECT_FALSE(origin.isWithinDistance(p, nan));
}

} // namespace
