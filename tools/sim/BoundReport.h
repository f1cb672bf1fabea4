#pragma once

#include <cstdio>

#include <nlohmann/json.hpp>

#include "tools/sim/VisibilityBound.h"
#include "tools/sim/WorldRecording.h"

// What the summary says of the visibility bound of a run's world, and the path it found.
class k_BoundReport {
public:
    k_BoundReport(const k_WorldRecording& recording, const k_BoundResult& result)
        : recording(recording), result(result) {}

    /// The summary's lines, after the run's own figures.
    void writeText(std::FILE* file) const;
    /// The summary's "bound" object.
    nlohmann::ordered_json toJson() const;
    /// CSV, one row per frame: frame,t,cam_x,cam_y,cam_z,look_x,look_y,look_z,hidden, the
    /// camera looking at the target's centre (where there is none, where it looked before);
    /// `--camera-path` plays it. False when writing failed.
    bool writePath(std::FILE* file) const;

    /// What the lines mean, for the program's help.
    static const char* definitions();

private:
    const k_WorldRecording& recording;
    const k_BoundResult& result;
};
