#pragma once

#include <string>

// What one headless run does, as read from the command line.
struct k_SimOptions {
    int scene = 0;
    double seconds = 60.0;
    double dt = 0.016;
    /// round(seconds / dt), at least 1.
    long frames = 0;
    /// Output paths; empty when not asked for.
    std::string tracePath;
    std::string jsonPath;
    std::string plotPath;
    std::string framesDirectory;
    /// Every how many frames a picture is written; 0 without --frames.
    long captureEvery = 0;
};
