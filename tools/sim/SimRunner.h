#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tools/sim/FrameRecord.h"
#include "tools/sim/QualityMetrics.h"

class k_MotionPlanner;
class k_RunSummary;
class k_SvgPlot;
class k_TraceWriter;

// Steps a scene with a fixed time step and records every frame: the camera after the
// update, the planning step's counts and time, and the quality figures. Knows nothing of
// windows: the frame update and the picture capture are handed in, so that hand-made
// scenes without OpenGL run through the same loop.
class k_SimRunner {
public:
    /// One frame of dt seconds (k_Scene::update in the program).
    using UpdateFunction = std::function<void(double dt)>;
    /// Draws the frame and stores its picture; false with `error` set on failure.
    using CaptureFunction = std::function<bool(long frame, std::string& error)>;

    /// `planner` is read after every update for its camera and its step statistics.
    k_SimRunner(UpdateFunction update, const k_MotionPlanner* planner);

    void setTrace(k_TraceWriter* traceWriter) { trace = traceWriter; }
    void setPlot(k_SvgPlot* svgPlot) { plot = svgPlot; }
    void setCapture(long every, CaptureFunction capture);
    /// Called on every frame's record before it goes anywhere (e.g. to keep shortest times).
    void setRecordFilter(std::function<void(k_FrameRecord&)> filter) {
        recordFilter = std::move(filter);
    }

    /// Asked before every frame: true ends the run there, every frame already run complete
    /// in the summary, the trace and the plot.
    void setStopCheck(std::function<bool()> check) { stopCheck = std::move(check); }
    /// Called once a frame has gone everywhere it goes, with its number.
    void setFrameDone(std::function<void(long frame)> done) { frameDone = std::move(done); }

    /// Runs frames 1..frames, or fewer when the stop check ends the run early or the planner
    /// fails (the failed step's frame is not recorded); every frame
    /// goes to the summary, the trace and the plot. False with `error` set when a picture
    /// could not be written.
    bool run(long frames, double dt, k_RunSummary& summary, std::string& error);
    /// True when the last run ended at the stop check before its last frame.
    bool wasStopped() const { return stopped; }

    /// What the frame left behind: frame number, time frame * dt, target, camera state
    /// and the latest planning step's counts and time.
    static k_FrameRecord recordFrame(long frame, double dt, const k_MotionPlanner& planner);
    /// The registered bodies' bounding spheres, in registry order.
    static void collectBodies(std::vector<k_QualityMetrics::Sphere>& bodies);

private:
    UpdateFunction update;
    const k_MotionPlanner* planner;
    k_TraceWriter* trace = nullptr;
    k_SvgPlot* plot = nullptr;
    long captureEvery = 0;
    CaptureFunction capture;
    std::function<void(k_FrameRecord&)> recordFilter;
    std::function<bool()> stopCheck;
    std::function<void(long)> frameDone;
    bool stopped = false;
};
