// The visibility bound's speed and memory on a made-up swarm: `bound_speed [bodies] [seconds]
// [cell size] [search step]`. Bodies circle on random orbits through a box about the target,
// which wanders through it too; prints the figures, the seconds taken and the memory held.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "tools/sim/VisibilityBound.h"

int main(int argc, char** argv) {
    const int bodies = argc > 1 ? std::atoi(argv[1]) : 300;
    const double seconds = argc > 2 ? std::atof(argv[2]) : 30.0;
    k_BoundSettings settings;
    settings.cellSize = argc > 3 ? std::atof(argv[3]) : 0.0;
    if (argc > 4) {
        settings.searchStep = std::atof(argv[4]);
    }
    const double extent = argc > 5 ? std::atof(argv[5]) : 60.0;

    std::mt19937 random(7);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    struct Orbit {
        double cx, cy, cz, radius, rate, phase, size, tilt;
    };
    std::vector<Orbit> orbits;
    for (int i = 0; i < bodies; ++i) {
        orbits.push_back({(unit(random) - 0.5) * extent, (unit(random) - 0.5) * extent,
                          (unit(random) - 0.5) * extent, 2.0 + unit(random) * 15.0,
                          0.2 + unit(random) * 0.8, unit(random) * 6.283, 0.5 + unit(random) * 2.5,
                          unit(random) * 3.0});
    }
    orbits[0].size = 1.0;
    k_WorldRecording recording;
    recording.dt = 0.016;
    recording.maxSpeed = 30.0;
    recording.restDistance = 10.0;
    recording.margin = 0.5;
    recording.cameraStart = {orbits[0].cx, orbits[0].cy + 10.0, orbits[0].cz};
    const long frames = std::lround(seconds / recording.dt);
    for (long f = 1; f <= frames; ++f) {
        const double t = f * recording.dt;
        k_WorldRecording::Frame frame;
        frame.target = 0;
        for (const Orbit& o : orbits) {
            const double a = o.phase + o.rate * t;
            frame.bodies.push_back({o.cx + o.radius * std::cos(a),
                                    o.cy + o.radius * std::sin(a) * std::cos(o.tilt),
                                    o.cz + o.radius * std::sin(a) * std::sin(o.tilt), o.size});
        }
        recording.frames.push_back(std::move(frame));
    }
    const k_BoundResult result = k_VisibilityBound::compute(recording, settings);
    long replayHidden = 0;
    for (std::size_t i = 0; i < recording.frames.size(); ++i) {
        replayHidden += k_QualityMetrics::visibleShare(result.path[i], recording.frames[i].bodies,
                                                       recording.frames[i].target) == 0.0
                            ? 1
                            : 0;
    }
    std::printf("bodies %d frames %ld cell %.3f step %.3f: unavoidable %ld reachable %ld "
                "(from 2 s: %ld, %ld) replayed path hidden %ld; %.2f s, peak cells %ld, held "
                "%.1f MB\n",
                bodies, frames, result.settings.cellSize, result.settings.searchStep,
                result.unavoidableFrames, result.reachableHiddenFrames,
                result.unavoidableFramesFrom2s, result.reachableHiddenFramesFrom2s, replayHidden,
                result.seconds, result.peakCells, result.peakBytes / 1e6);
    return 0;
}
