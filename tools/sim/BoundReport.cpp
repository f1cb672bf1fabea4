#include "tools/sim/BoundReport.h"

namespace {

double megabytes(long bytes) {
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

} // namespace

const char* k_BoundReport::definitions() {
    return "With --bound (no planner takes part; the camera's start, its top speed maxSpeed +\n"
           "acceleration * dt, its rest distance D and the bodies' motion are the world's):\n"
           "  bound              unavoidable: frames in which no viewpoint 0.5 D to 3 D from the\n"
           "                     target's centre and outside every body sees any of its 64\n"
           "                     points; reachable hidden: the fewest hidden frames of any\n"
           "                     camera path from the start within the top speed (acceleration\n"
           "                     ignored), frames before it can reach the band counted as seen;\n"
           "                     over the run and from 2 s. Optimistic wherever it\n"
           "                     approximates: no camera in the band does better\n"
           "  bound settings     the search's cell edge, the band, its time step, the seconds\n"
           "                     it took and the most cells and memory it held\n";
}

void k_BoundReport::writeText(std::FILE* file) const {
    const k_BoundSettings& s = result.settings;
    const double rest = recording.restDistance;
    if (!result.finished) {
        std::fprintf(file,
                     "bound              not worked out: stopped after %ld of %zu frames, %.2f s\n",
                     result.framesSearched, recording.frames.size(), result.seconds);
        return;
    }
    std::fprintf(file,
                 "bound              unavoidable %ld frames, reachable hidden %ld; from %g s "
                 "unavoidable %ld, reachable hidden %ld\n",
                 result.unavoidableFrames, result.reachableHiddenFrames, s.fromSeconds,
                 result.unavoidableFramesFrom2s, result.reachableHiddenFramesFrom2s);
    std::fprintf(file,
                 "bound settings     cell %g, band %g to %g (D %g), step %g s, top speed %g, "
                 "%.2f s, %ld cells, %.1f MB\n",
                 s.cellSize, s.nearFactor * rest, s.farFactor * rest, rest, s.searchStep,
                 recording.maxSpeed, result.seconds, result.peakCells, megabytes(result.peakBytes));
}

nlohmann::ordered_json k_BoundReport::toJson() const {
    const k_BoundSettings& s = result.settings;
    const double rest = recording.restDistance;
    if (!result.finished) {
        // Stopped part way: a count over part of the frames would read as a bound, and is none.
        return {{"finished", false},
                {"frames_searched", result.framesSearched},
                {"unavoidable_frames", nullptr},
                {"reachable_hidden_frames", nullptr},
                {"unavoidable_frames_from_2s", nullptr},
                {"reachable_hidden_frames_from_2s", nullptr},
                {"seconds", result.seconds}};
    }
    return {{"finished", true},
            {"unavoidable_frames", result.unavoidableFrames},
            {"reachable_hidden_frames", result.reachableHiddenFrames},
            {"unavoidable_frames_from_2s", result.unavoidableFramesFrom2s},
            {"reachable_hidden_frames_from_2s", result.reachableHiddenFramesFrom2s},
            {"settings",
             {{"cell_size", s.cellSize},
              {"rest_distance", rest},
              {"near_limit", s.nearFactor * rest},
              {"far_limit", s.farFactor * rest},
              {"search_step", s.searchStep},
              {"margin", recording.margin},
              {"top_speed", recording.maxSpeed},
              {"from_seconds", s.fromSeconds}}},
            {"seconds", result.seconds},
            {"peak_cells", result.peakCells},
            {"peak_bytes", result.peakBytes}};
}

bool k_BoundReport::writePath(std::FILE* file) const {
    if (std::fputs("frame,t,cam_x,cam_y,cam_z,look_x,look_y,look_z,hidden\n", file) < 0) {
        return false;
    }
    k_WorldRecording::Point look{recording.cameraStart.x, recording.cameraStart.y,
                                 recording.cameraStart.z - 1.0};
    // An unfinished search found no path: the header alone, which --camera-path refuses.
    const std::size_t count =
        result.finished ? std::min(result.path.size(), recording.frames.size()) : 0;
    for (std::size_t i = 0; i < count; ++i) {
        const k_WorldRecording::Frame& frame = recording.frames[i];
        if (frame.target >= 0 && static_cast<std::size_t>(frame.target) < frame.bodies.size()) {
            const k_WorldRecording::Sphere& target =
                frame.bodies[static_cast<std::size_t>(frame.target)];
            look = k_WorldRecording::Point{target.x, target.y, target.z};
        }
        const k_WorldRecording::Point& eye = result.path[i];
        const bool hidden = i < result.hidden.size() && result.hidden[i];
        if (std::fprintf(file, "%zu,%.9g,%.9g,%.9g,%.9g,%.9g,%.9g,%.9g,%d\n", i + 1,
                         static_cast<double>(i + 1) * recording.dt, eye.x, eye.y, eye.z, look.x,
                         look.y, look.z, hidden ? 1 : 0) < 0) {
            return false;
        }
    }
    return true;
}
