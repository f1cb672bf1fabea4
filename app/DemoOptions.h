#pragma once

#include "planning/PlannerKind.h"

// What the demo is asked for on its command line. Without arguments it runs as it always has;
// every option is an opt-in extra. GLUT takes its own X options (-display, -geometry, -iconic,
// -sync, ...) out of the line first; parseDemoOptions reads what is left.
struct k_DemoOptions {
    /// Draws the plan over every frame (k_PlanOverlay).
    bool showPlan = false;
    /// The planner that steers the camera in every scene.
    k_PlannerKind planner = k_PlannerKind::standard;
};

/// Exit code for a bad command line.
constexpr int demoUsageExitCode = 2;
/// Returned by parseDemoOptions when the program goes on.
constexpr int demoOptionsRun = -1;

/// Fills `options` and returns demoOptionsRun; or answers --help on standard output and
/// returns 0; or writes one line naming the bad argument to standard error and returns
/// demoUsageExitCode. Every option is declared in this one function.
int parseDemoOptions(int argc, const char* const* argv, k_DemoOptions& options);
