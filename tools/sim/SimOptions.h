#pragma once

#include <string>

#include "planning/InformationProvider.h"
#include "planning/MotionPlanner.h"
#include "planning/PlannerKind.h"

// What one headless run does, as read from the command line.
struct k_SimOptions {
    /// Built-in scene 1-4; 0 when the world comes from sceneFile.
    int scene = 0;
    /// A scene file to run instead of a built-in scene; empty when not asked for.
    std::string sceneFile;
    /// With a built-in scene: write it as a scene file here and run nothing.
    std::string exportPath;
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
    /// Draws the plan over every picture.
    bool showPlan = false;
    /// The path search the provider uses for the run.
    k_SearchStrategy strategy = k_SearchStrategy::fast;
    /// The planner that steers the camera.
    k_PlannerKind planner = k_PlannerKind::standard;
    /// A program to plan instead of a built-in planner, run through /bin/sh -c; empty: none.
    std::string plannerCommand;
    /// Longest wait for the program's answer to a step, in seconds.
    double plannerTimeout = 1.0;
    /// Runs the reference search alongside the fast one on the same frames.
    bool compareReference = false;
    /// With compareReference: how often each side runs per search; the shortest time counts.
    int repeats = 3;
    /// Runs of the scene from its load; every time figure is the per-frame shortest.
    int passes = 1;
    /// Scene 4's swarm size; 0 keeps the scene as it is (100 obstacles).
    long swarm = 0;
    /// Segment tests one planning step may make; 0 = unbounded.
    std::uint64_t searchBudget = k_InformationProvider::defaultSearchBudget;
    /// What the camera does in a step that reaches the budget.
    k_BudgetFallback budgetFallback = k_BudgetFallback::partialRoute;
    /// A CSV camera path to play instead of planning; empty when not asked for.
    std::string cameraPath;
    /// Works out the visibility bound of the world before the run.
    bool bound = false;
    /// Where the bound's own camera path goes (implies bound); empty when not asked for.
    std::string boundPath;
    /// Makes the GL context off-screen even when an X display is there.
    bool headless = false;
};
