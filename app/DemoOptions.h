#pragma once

#include <string>
#include <vector>

#include "planning/PlannerKind.h"

// What the demo is asked for on its command line. Without arguments it runs as it always has;
// every option is an opt-in extra. The X options GLUT reads (-display NAME, -geometry WxH+X+Y,
// -iconic, -sync, -direct, -indirect, -gldebug) are split off first and kept for glutInit, so
// that the rest is read, and answered, before any display is needed.
struct k_DemoOptions {
    /// Draws the plan over every frame.
    bool showPlan = false;
    /// The planner that steers the camera in every scene.
    k_PlannerKind planner = k_PlannerKind::standard;
    /// A program that plans instead of the built-in planner (see veltrava-sim); empty: none.
    std::string plannerCommand;
    /// Longest wait for its answer to a step, in seconds.
    double plannerTimeout = 1.0;
    /// The scene shown from the start, 1 to 4; 0 waits for the menu's choice.
    int scene = 0;
    /// A scene file whose world is shown from the start instead; empty for none.
    std::string sceneFile;
    /// The program's name followed by the X options, in their order, for glutInit.
    std::vector<std::string> glutArguments;
};

/// Returned by parseDemoOptions when the program goes on.
constexpr int demoOptionsRun = -1;

/// Fills `options` and returns demoOptionsRun; or answers --help or --version on standard
/// output and returns 0; or writes one line naming the bad argument to standard error and
/// returns k_CommandLine::usageExitCode.
int parseDemoOptions(int argc, const char* const* argv, k_DemoOptions& options);
