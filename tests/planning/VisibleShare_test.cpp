// The share of the target's true sphere the camera sees, on cases worked by hand.
#include <gtest/gtest.h>

#include <vector>

#include "planning/VisibleShare.h"

namespace {

const k_BoundingSphere target(k_Vector3(0, 0, 0), 1.0f);
// Far above the target: sight lines are vertical to within a millionth, and the facing samples
// are exactly the upper half, 32 of them (the lowest has y = 1/64, the next below -1/64).
const k_Vector3 farAbove(0, 1e6f, 0);

TEST(VisibleShare, NothingInTheWaySeesEveryFacingPointAndNoneFacingCountsAsHidden) {
    EXPECT_EQ(k_VisibleShare::of(farAbove, target, {}), 1.0);
    // A body beside the line of sight, clear of every sight line, changes nothing.
    EXPECT_EQ(k_VisibleShare::of(farAbove, target, {k_BoundingSphere(k_Vector3(5, 3, 0), 2)}), 1.0);
    EXPECT_EQ(k_VisibleShare::of(target.center, target, {}), 0.0);
}

TEST(VisibleShare, ASmallBodyOverThePoleHidesTheTwoSamplesNearestIt) {
    // Samples 0 and 1 lie 0.176 and 0.302 from the vertical axis, sample 2 at 0.388: a body of
    // radius 0.35 on the axis hides the first two of the 32 facing points.
    const std::vector<k_BoundingSphere> cap{k_BoundingSphere(k_Vector3(0, 3, 0), 0.35f)};
    EXPECT_DOUBLE_EQ(k_VisibleShare::of(farAbove, target, cap), 30.0 / 32.0);
}

TEST(VisibleShare, BodiesOffTheCentreLineStillHideTheEdgeTheyCover) {
    // Its centre is farther from the line to the target's centre than its own radius, yet it
    // covers the edge of the target on its side.
    const std::vector<k_BoundingSphere> side{k_BoundingSphere(k_Vector3(1.5f, 3, 0), 0.8f)};
    const double share = k_VisibleShare::of(farAbove, target, side);
    EXPECT_GT(share, 0.0);
    EXPECT_LT(share, 1.0);
}

TEST(VisibleShare, AnEngulfedTargetOrAnEyeInsideABodyIsHidden) {
    EXPECT_EQ(k_VisibleShare::of(farAbove, target, {k_BoundingSphere(k_Vector3(0, 0.5f, 0), 3)}),
              0.0);
    const k_Vector3 eye(0, 10, 0);
    EXPECT_EQ(k_VisibleShare::of(eye, target, {k_BoundingSphere(k_Vector3(0, 10.5f, 0), 1)}), 0.0);
    EXPECT_EQ(k_VisibleShare::ofRegisteredBody(eye, nullptr), 0.0);
}

} // namespace
