#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "tools/sim/VisibilityBound.h"

namespace {

using Sphere = k_WorldRecording::Sphere;
using Point = k_WorldRecording::Point;

// A world of `frames` frames at dt 0.016 whose bodies `bodiesAt(frame)` gives; the target is
// body 0, D is 10, the camera starts 10 from the origin and moves at 30.
template <typename Bodies>
k_WorldRecording worldOf(long frames, Bodies bodiesAt, Point start = {0.0, 0.0, 10.0}) {
    k_WorldRecording recording;
    recording.dt = 0.016;
    recording.maxSpeed = 30.0;
    recording.restDistance = 10.0;
    recording.margin = 0.5;
    recording.cameraStart = start;
    for (long f = 1; f <= frames; ++f) {
        k_WorldRecording::Frame frame;
        frame.target = 0;
        frame.bodies = bodiesAt(f);
        recording.frames.push_back(std::move(frame));
    }
    return recording;
}

// Hidden frames of a camera path judged exactly, as the simulator judges a run.
long hiddenAlong(const k_WorldRecording& recording, const std::vector<Point>& path) {
    long hidden = 0;
    for (std::size_t i = 0; i < recording.frames.size(); ++i) {
        const auto& frame = recording.frames[i];
        if (frame.target >= 0 &&
            k_QualityMetrics::visibleShare(path[i], frame.bodies, frame.target) == 0.0) {
            ++hidden;
        }
    }
    return hidden;
}

long count(const std::vector<bool>& flags) {
    long n = 0;
    for (const bool flag : flags) {
        n += flag ? 1 : 0;
    }
    return n;
}

} // namespace

TEST(VisibilityBound, StaticOpenWorldLosesNothing) {
    const k_WorldRecording recording = worldOf(40, [](long) {
        return std::vector<Sphere>{{0, 0, 0, 1}, {20, 0, 0, 2}};
    });
    const k_BoundResult result = k_VisibilityBound::compute(recording);
    EXPECT_EQ(result.unavoidableFrames, 0);
    EXPECT_EQ(result.reachableHiddenFrames, 0);
    EXPECT_EQ(hiddenAlong(recording, result.path), 0);
}
