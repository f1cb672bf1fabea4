#include <gtest/gtest.h>

#include "planning/BoundingSphere.h"
#include "planning/Ray.h"

namespace {
const k_Ray alongX(k_Vector3(0, 0, 0), k_Vector3(1, 0, 0), 10.0f);
}

TEST(RayTest, SphereNearTheLineBlocksAndOneFartherOffDoesNot) {
    EXPECT_TRUE(alongX.hits(k_BoundingSphere(k_Vector3(5, 0.5f, 0), 1.5f)));
    EXPECT_FALSE(alongX.hits(k_BoundingSphere(k_Vector3(5, 2, 0), 1.5f)));
}

TEST(RayTest, OnlyTheCentreIsCheckedAgainstTheLength) {
    // The surface reaches back to x = 6.5, but the centre lies beyond the end.
    EXPECT_FALSE(alongX.hits(k_BoundingSphere(k_Vector3(12, 0, 0), 5.5f)));
    // A centre exactly at the length still counts.
    EXPECT_TRUE(alongX.hits(k_BoundingSphere(k_Vector3(10, 0, 0), 0.1f)));
}

TEST(RayTest, SphereBehindTheOriginBlocksOnlyWhenTheOriginIsInside) {
    EXPECT_TRUE(alongX.hits(k_BoundingSphere(k_Vector3(-1, 0, 0), 1.5f)));
    EXPECT_TRUE(alongX.hits(k_BoundingSphere(k_Vector3(-1.5f, 0, 0), 1.5f))); // on surface
    EXPECT_FALSE(alongX.hits(k_BoundingSphere(k_Vector3(-2, 0, 0), 1.5f)));
}

TEST(RayTest, TangentLineIsAHit) {
    EXPECT_TRUE(alongX.hits(k_BoundingSphere(k_Vector3(5, 1.5f, 0), 1.5f)));
    EXPECT_FALSE(alongX.hits(k_BoundingSphere(k_Vector3(5, 1.51f, 0), 1.5f)));
}

TEST(RayTest, ZeroLengthSegmentIsBlockedOnlyByASphereCentredOnItsOrigin) {
    const k_Ray point(k_Vector3(1, 2, 3), k_Vector3(0, 0, 0), 0.0f);
    EXPECT_TRUE(point.hits(k_BoundingSphere(k_Vector3(1, 2, 3), 1.5f)));
    EXPECT_FALSE(point.hits(k_BoundingSphere(k_Vector3(1, 2, 3.01f), 1.5f)));
}

TEST(BoundingSphereTest, TouchingSpheresOverlap) {
    const k_BoundingSphere unit(k_Vector3(0, 0, 0), 1.0f);
    EXPECT_TRUE(unit.overlaps(k_BoundingSphere(k_Vector3(2, 0, 0), 1.0f)));
    EXPECT_FALSE(unit.overlaps(k_BoundingSphere(k_Vector3(2.001f, 0, 0), 1.0f)));
    EXPECT_TRUE(unit.overlaps(unit));
}
