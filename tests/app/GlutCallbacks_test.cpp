#include <gtest/gtest.h>

#include <cstdlib>

#include "app/FrameClock.h"
#include "app/GlutApplication.h"
#include "app/GlutCallbacks.h"
#include "support/CaptureOutput.h"

namespace {

TEST(AspectRatio, isTheLargerSideOverTheSmallerAndNeverBelowOne) {
    EXPECT_EQ(aspectRatio(800, 600), 800.0 / 600.0);
    EXPECT_EQ(aspectRatio(600, 800), 800.0 / 600.0);
    EXPECT_EQ(aspectRatio(300, 600), 2.0);
    EXPECT_EQ(aspectRatio(500, 500), 1.0);
    EXPECT_EQ(aspectRatio(801, 800), 801.0 / 800.0); // not an integer division
    // A minimised window: a zero side counts as one pixel.
    EXPECT_EQ(aspectRatio(800, 0), 800.0);
    EXPECT_EQ(aspectRatio(0, 600), 600.0);
    EXPECT_EQ(aspectRatio(0, 0), 1.0);
}

TEST(FrameClock, passesWholeMillisecondsAsSecondsWithoutALimit) {
    lastTime = 1000;
    EXPECT_EQ(takeFrameTime(1000), 0.0);
    EXPECT_EQ(takeFrameTime(1001), 1 / 1000.0);
    EXPECT_EQ(lastTime, 1001);
    EXPECT_EQ(takeFrameTime(3001), 2.0);
    EXPECT_EQ(takeFrameTime(3018), 17 / 1000.0);
    EXPECT_EQ(lastTime, 3018);
}

TEST(GlutCallbacks, withoutAnApplicationMenuChoicesOtherThanQuitDoNothing) {
    ASSERT_EQ(getApplication(), nullptr);
    lastTime = 42;
    for (int value : {0, 1, 2, 3, 4, 5, 999, 1001, -1}) {
        onMenu(value);
    }
    EXPECT_EQ(lastTime, 42);
    destroyApplication(); // nothing to delete, twice
    destroyApplication();
    EXPECT_EQ(getApplication(), nullptr);
}

TEST(GlutCallbacksDeathTest, quitEndsTheProcessWithCodeZero) {
    EXPECT_EXIT(onMenu(menuQuit), testing::ExitedWithCode(0), "");
}

} // namespace
