// The top view's steady framing: steps of 1-2-5, widening at once, narrowing late, a centre
// that glides by scene time and never leaves the plan outside.
#include <gtest/gtest.h>

#include <cmath>

#include "plandrawing/TopViewFrame.h"
#include "platform/Random.h"

namespace {

k_TopViewFrame::Extent around(double x, double z, double half) {
    return {x - half, z - half, x + half, z + half};
}

TEST(TopViewFrame, StepsAreOneTwoFiveTimesPowersOfTen) {
    EXPECT_EQ(k_TopViewFrame::stepAtLeast(1.0), 1.0);
    EXPECT_EQ(k_TopViewFrame::stepAtLeast(1.01), 2.0);
    EXPECT_EQ(k_TopViewFrame::stepAtLeast(13.0), 20.0);
    EXPECT_EQ(k_TopViewFrame::stepAtLeast(50.0), 50.0);
    EXPECT_EQ(k_TopViewFrame::stepAtLeast(51.0), 100.0);
    EXPECT_EQ(k_TopViewFrame::stepAtLeast(0.3), 0.5);
    EXPECT_EQ(k_TopViewFrame::stepAtMost(25.0), 20.0);
    EXPECT_EQ(k_TopViewFrame::stepAtMost(7.0), 5.0);
    EXPECT_EQ(k_TopViewFrame::stepAtMost(100.0), 100.0);
    EXPECT_EQ(k_TopViewFrame::stepAtMost(0.9), 0.5);
}

TEST(TopViewFrame, WidensAtOnceButNarrowsOnlyAfterThePlanStaysSmall) {
    k_TopViewFrame view;
    const double dt = 0.016;
    double time = 0.0;
    // A plan whose size wobbles every frame (half-size 10 to 13) keeps one step.
    for (int frame = 0; frame < 200; ++frame, time += dt) {
        view.frame(around(0, 0, frame % 2 == 0 ? 10.0 : 13.0), time);
        ASSERT_EQ(view.getHalfWidth(), 20.0) << frame;
    }
    // Grown past the step: the very next frame is wider.
    view.frame(around(0, 0, 20.0), time);
    EXPECT_EQ(view.getHalfWidth(), 50.0);
    // Small again: wide for the delay, then one step down, and no change in between.
    const double shrunkAt = time += dt;
    int changes = 0;
    double last = view.getHalfWidth();
    for (; time < shrunkAt + 3.0; time += dt) {
        view.frame(around(0, 0, 10.0), time);
        if (view.getHalfWidth() != last) {
            ++changes;
            last = view.getHalfWidth();
            EXPECT_GE(time - shrunkAt, k_TopViewFrame::narrowDelay - 1e-9);
        }
    }
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(view.getHalfWidth(), 20.0);
}

TEST(TopViewFrame, TheWanderingPlanStaysInsideTheView) {
    randomSeed(3);
    k_TopViewFrame view;
    double x = 0.0, z = 0.0, half = 5.0;
    for (int frame = 0; frame < 2000; ++frame) {
        // Jumps of up to 8 units and size changes of up to 3 in a frame.
        x += 16.0 * (randomNext() / 32767.0 - 0.5);
        z += 16.0 * (randomNext() / 32767.0 - 0.5);
        half = std::max(1.0, half + 6.0 * (randomNext() / 32767.0 - 0.5));
        view.frame(around(x, z, half), frame * 0.016);
        const double reach = view.getHalfWidth() * k_TopViewFrame::fill + 1e-9;
        ASSERT_LE(std::abs(view.getCenterX() - x) + half, reach) << frame;
        ASSERT_LE(std::abs(view.getCenterZ() - z) + half, reach) << frame;
    }
}

TEST(TopViewFrame, TheCentreGlidesBySceneTimeHoweverOftenItIsDrawn) {
    k_TopViewFrame everyFrame, everyTenth;
    everyFrame.frame(around(0, 0, 1), 0.0);
    everyTenth.frame(around(0, 0, 1), 0.0);
    for (int frame = 1; frame <= 60; ++frame) {
        everyFrame.frame(around(5, -3, 1), frame * 0.016);
        if (frame % 10 == 0) {
            everyTenth.frame(around(5, -3, 1), frame * 0.016);
        }
    }
    EXPECT_NEAR(everyFrame.getCenterX(), everyTenth.getCenterX(), 1e-9);
    EXPECT_NEAR(everyFrame.getCenterZ(), everyTenth.getCenterZ(), 1e-9);
    // Most of the way there after 0.96 s, but not jumped.
    EXPECT_GT(everyFrame.getCenterX(), 4.0);
    EXPECT_LT(everyFrame.getCenterX(), 5.0);
}

TEST(TopViewFrame, ANewSceneOrAnEyeAtInfinityStartsAfresh) {
    k_TopViewFrame view;
    view.frame(around(0, 0, 40), 5.0);
    ASSERT_EQ(view.getHalfWidth(), 100.0);
    // Scene time went back: centred on the new plan in its own step at once.
    view.frame(around(300, 7, 2), 0.0);
    EXPECT_EQ(view.getCenterX(), 300.0);
    EXPECT_EQ(view.getCenterZ(), 7.0);
    EXPECT_EQ(view.getHalfWidth(), 10.0);
    view.frame({-INFINITY, 0, 5, 5}, 0.1);
    EXPECT_EQ(view.getCenterX(), 0.0);
    EXPECT_EQ(view.getHalfWidth(), k_TopViewFrame::leastHalfWidth);
    EXPECT_TRUE(std::isfinite(view.getCenterZ()));
}

} // namespace
