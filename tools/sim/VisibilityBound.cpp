#include "tools/sim/VisibilityBound.h"

#include <chrono>

#include "planning/VisibleShare.h"

namespace {

using Sphere = k_WorldRecording::Sphere;

// The bodies come from single-precision values, and the visible share narrows them to float
// before it works in double: the same here, so that a point it calls buried is buried there.
double asFloat(double value) {
    return static_cast<double>(static_cast<float>(value));
}

// True when every sample point of the target lies strictly inside some other body: each sight
// line then starts inside that body, so no viewpoint anywhere sees any of them.
bool buried(const std::vector<Sphere>& bodies, int target) {
    const Sphere& t = bodies[static_cast<std::size_t>(target)];
    const double cx = asFloat(t.x), cy = asFloat(t.y), cz = asFloat(t.z), r = asFloat(t.radius);
    for (int k = 0; k < k_VisibleShare::samplePoints; ++k) {
        const auto direction = k_VisibleShare::sampleDirection(k);
        const double px = cx + r * direction[0], py = cy + r * direction[1],
                     pz = cz + r * direction[2];
        bool inside = false;
        for (std::size_t i = 0; i < bodies.size() && !inside; ++i) {
            if (i == static_cast<std::size_t>(target)) {
                continue;
            }
            const double dx = px - asFloat(bodies[i].x), dy = py - asFloat(bodies[i].y),
                         dz = pz - asFloat(bodies[i].z), br = asFloat(bodies[i].radius);
            inside = dx * dx + dy * dy + dz * dz < br * br;
        }
        if (!inside) {
            return false;
        }
    }
    return true;
}

} // namespace

double k_VisibilityBound::cellSizeFor(double restDistance) {
    return restDistance > 0.0 ? restDistance / 8.0 : 1.0;
}

k_BoundResult k_VisibilityBound::compute(const k_WorldRecording& recording,
                                         const k_BoundSettings& settings) {
    const auto started = std::chrono::steady_clock::now();
    k_BoundResult result;
    result.settings = settings;
    if (result.settings.cellSize <= 0.0) {
        result.settings.cellSize = cellSizeFor(recording.restDistance);
    }
    const std::size_t frameCount = recording.frames.size();
    result.unavoidable.assign(frameCount, false);
    result.hidden.assign(frameCount, false);
    result.path.assign(frameCount, recording.cameraStart);
    for (std::size_t i = 0; i < frameCount; ++i) {
        const k_WorldRecording::Frame& frame = recording.frames[i];
        const bool hasTarget =
            frame.target >= 0 && static_cast<std::size_t>(frame.target) < frame.bodies.size();
        const bool lost = hasTarget && buried(frame.bodies, frame.target);
        result.unavoidable[i] = lost;
        result.hidden[i] = lost;
        const bool counted =
            static_cast<double>(i + 1) * recording.dt >= settings.fromSeconds - 1e-9;
        result.unavoidableFrames += lost ? 1 : 0;
        result.reachableHiddenFrames += lost ? 1 : 0;
        result.unavoidableFramesFrom2s += lost && counted ? 1 : 0;
        result.reachableHiddenFramesFrom2s += lost && counted ? 1 : 0;
    }
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return result;
}
