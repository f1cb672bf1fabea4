#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "tools/sim/BoundReport.h"
#include "tools/sim/CameraPath.h"
#include "tools/sim/OutputFile.h"
#include "tools/sim/ShortestTimes.h"
#include "tools/sim/SimOptions.h"
#include "tools/sim/WorldChoice.h"

class k_RunProgress;
class k_RunSummary;
class k_SimWindow;
class k_SvgPlot;

// One headless run of the simulator, everything after the command line: the outputs opened
// and checked before any window, the window and its scene set up as the options say, the
// timing passes and the last pass that feeds the summary, the trace, the plot and the
// pictures, and a stop asked by SIGINT or SIGTERM, which ends the run after its current frame
// with every output written for the frames run. The world is chosen once, before the run.
class k_SimRun {
public:
    /// Exit status of a run that failed while running (a picture that could not be written,
    /// a lost output, no GL context).
    static constexpr int exitFailure = 1;
    /// A run ended by signal N exits with this plus N, as a shell reports a program the signal
    /// ended, so that scripts can tell.
    static constexpr int exitSignalBase = 128;
    /// Exit status of a run whose planner failed (see k_MotionPlanner::getFailure); every
    /// output is written for the frames run before it.
    static constexpr int exitPlannerFailed = 3;

    /// What the program does with its options: writes the built-in scene as a scene file when
    /// asked to, or reads the world they name and runs it. The exit status, after one line on
    /// standard error for anything refused or failed.
    static int runProgram(const k_SimOptions& options);
    /// The world `options` name: a built-in scene with its swarm, or the scene file, read and
    /// checked in full. False with `error` (one line naming the file and the place) when the
    /// file is refused.
    static bool chooseWorld(const k_SimOptions& options, k_WorldChoice& world, std::string& error);
    /// Writes `world` as a scene file to `path` and runs nothing; the exit status.
    static int exportWorld(const k_WorldChoice& world, const std::string& path);

    /// The options' own scene, swarm and scene file are not read: `world` is the world run.
    k_SimRun(const k_SimOptions& options, k_WorldChoice world);
    ~k_SimRun();
    k_SimRun(const k_SimRun&) = delete;
    k_SimRun& operator=(const k_SimRun&) = delete;

    /// Where the text summary goes (standard output unless set).
    void setSummaryOutput(std::FILE* file) { summaryOutput = file; }

    /// Runs once and returns the exit status: 0; usage exit code 2 for an output that cannot
    /// be written (nothing is run then); exitFailure for a failure while running;
    /// exitSignalBase + N when signal N ended the run. Every message is one line on standard
    /// error. The window and its scene are gone when it returns.
    int run();

    /// The figures of the run's last pass, once run() has reached it; null before.
    const k_RunSummary* getSummary() const { return summary.get(); }

private:
    bool openOutputs(std::string& error);
    /// With --bound: runs the world once without a planner, recording it, and works out its
    /// bound; the options' planner steers again afterwards.
    void computeBound(k_SimWindow& window);
    /// Sets the scene's planner, search and budget as the options say.
    void configure(k_SimWindow& window) const;
    /// The passes before the last, which only time the frames; false with `error` set.
    bool runTimingPasses(k_SimWindow& window, k_RunProgress& progress, std::string& error);
    /// The last pass, which feeds every output; false with `error` set.
    bool runLastPass(k_SimWindow& window, k_RunProgress& progress, std::string& error);
    /// The summary, the JSON and the plot, then every output closed with its errors checked.
    bool writeOutputs(std::string& error);

    static int fail(const std::string& message);

    k_SimOptions options;
    k_WorldChoice world;
    std::FILE* summaryOutput = stdout;
    k_OutputFile traceFile, jsonFile, plotFile, boundPathFile;
    /// The path played instead of planning, read in full before any window.
    k_CameraPath cameraPath;
    k_WorldRecording recording;
    k_BoundResult bound;
    k_BoundReport boundReport{recording, bound};
    /// Per-frame shortest times over the passes.
    k_ShortestTimes shortest;
    std::unique_ptr<k_RunSummary> summary;
    std::unique_ptr<k_SvgPlot> plot;
};
