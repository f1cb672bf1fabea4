#include <gtest/gtest.h>

#include "tools/sim/VisibilityBound.h"

namespace {

using Sphere = k_WorldRecording::Sphere;

k_WorldRecording recordingOf(std::vector<std::vector<Sphere>> frames, int target = 0) {
    k_WorldRecording recording;
    recording.dt = 0.016;
    recording.maxSpeed = 30.0;
    recording.restDistance = 10.0;
    recording.margin = 0.5;
    recording.cameraStart = {0.0, 0.0, 10.0};
    for (auto& bodies : frames) {
        k_WorldRecording::Frame frame;
        frame.target = target;
        frame.bodies = std::move(bodies);
        recording.frames.push_back(std::move(frame));
    }
    return recording;
}

} // namespace

TEST(VisibilityBound, TargetSwallowedByALargerBodyIsLostFromEverywhere) {
    // Frame 1: the target wholly inside a larger body. Frame 2: its centre inside a body too
    // small to cover all of it, so some of it can still be seen. Frame 3: no target.
    k_WorldRecording recording = recordingOf({{{0, 0, 0, 1}, {0.5, 0, 0, 3}},
                                              {{0, 0, 0, 1}, {0.3, 0, 0, 0.5}},
                                              {{0, 0, 0, 1}, {0.5, 0, 0, 3}}});
    recording.frames[2].target = -1;
    const k_BoundResult result = k_VisibilityBound::compute(recording);
    EXPECT_EQ(result.unavoidable, (std::vector<bool>{true, false, false}));
    EXPECT_EQ(result.unavoidableFrames, 1);
    EXPECT_GE(result.reachableHiddenFrames, result.unavoidableFrames);
    EXPECT_EQ(result.unavoidableFramesFrom2s, 0);
    ASSERT_EQ(result.path.size(), 3u);
    EXPECT_DOUBLE_EQ(result.settings.cellSize, k_VisibilityBound::cellSizeFor(10.0));
}
