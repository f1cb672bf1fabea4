#include "tools/sim/SimRun.h"

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include "app/CommandLine.h"
#include "planning/CommandPlanner.h"
#include "planning/InformationProvider.h"
#include "planning/MotionPlanner.h"
#include "scenefile/SceneDescription.h"
#include "scenefile/SceneFileWriter.h"
#include "scenes/Scene.h"
#include "tools/sim/ArgumentParser.h"
#include "tools/sim/FrameStamp.h"
#include "tools/sim/PathPlayer.h"
#include "tools/sim/PngWriter.h"
#include "tools/sim/RunProgress.h"
#include "tools/sim/RunSummary.h"
#include "tools/sim/SimRunner.h"
#include "tools/sim/SimWindow.h"
#include "tools/sim/StopSignals.h"
#include "tools/sim/SvgPlot.h"
#include "tools/sim/TraceWriter.h"
#include "tools/sim/VisibilityBound.h"
#include "tools/sim/WorldRecorder.h"

namespace {

constexpr const char* programName = k_ArgumentParser::programName;

int usageError(const std::string& message) {
    return k_CommandLine::refuse(programName, message);
}

bool prepareDirectory(const std::string& path, std::string& error) {
    std::error_code code;
    std::filesystem::create_directories(path, code);
    if (!std::filesystem::is_directory(path, code)) {
        error = "cannot use " + path + " for the frames: it is not a directory" +
                (code ? " (" + code.message() + ")" : std::string());
        return false;
    }
    if (::access(path.c_str(), W_OK | X_OK) != 0) {
        error = "cannot write frames into " + path + ": permission denied";
        return false;
    }
    return true;
}

std::string frameFileName(const std::string& directory, long frame) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%06ld.png", frame);
    return (std::filesystem::path(directory) / name).string();
}

bool stopRequested() {
    return k_StopSignals::received() != 0;
}

} // namespace

int k_SimRun::fail(const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", programName, message.c_str());
    return exitFailure;
}

int k_SimRun::runProgram(const k_SimOptions& options) {
    k_WorldChoice world;
    std::string error;
    // A refused scene file gives its own line, naming the file and the place, and the usage
    // exit code, but no hint at the options: the options were right.
    if (!chooseWorld(options, world, error)) {
        std::fprintf(stderr, "%s: %s\n", programName, error.c_str());
        return k_CommandLine::usageExitCode;
    }
    if (!options.exportPath.empty()) {
        return exportWorld(world, options.exportPath);
    }
    return k_SimRun(options, std::move(world)).run();
}

bool k_SimRun::chooseWorld(const k_SimOptions& options, k_WorldChoice& world, std::string& error) {
    if (options.sceneFile.empty()) {
        world = k_WorldChoice::builtInScene(options.scene, options.swarm);
        return true;
    }
    return k_WorldChoice::readSceneFile(options.sceneFile, world, error);
}

int k_SimRun::exportWorld(const k_WorldChoice& world, const std::string& path) {
    std::string error;
    k_OutputFile file;
    if (!file.open(path, error)) {
        return usageError(error);
    }
    const std::string text = k_SceneFileWriter::write(world.describe());
    if (std::fputs(text.c_str(), file.get()) < 0 || !file.close(error)) {
        return fail(error.empty() ? "writing " + path + " failed" : error);
    }
    return 0;
}

k_SimRun::k_SimRun(const k_SimOptions& options, k_WorldChoice world)
    : options(options), world(std::move(world)) {}

k_SimRun::~k_SimRun() = default;

int k_SimRun::run() {
    summary.reset();
    plot.reset();
    shortest = k_ShortestTimes();
    // Every output is checked before the window opens, so that a typo costs no run.
    std::string error;
    // A camera path is read in full, and refused as a scene file is, before any output or
    // window.
    if (!options.cameraPath.empty() &&
        !cameraPath.read(options.cameraPath, options.frames, options.dt, error)) {
        std::fprintf(stderr, "%s: %s\n", programName, error.c_str());
        return k_CommandLine::usageExitCode;
    }
    if (!openOutputs(error)) {
        return usageError(error);
    }
    // From here on a Ctrl-C or a kill ends the run after its current frame, with every output
    // written for the frames run.
    k_StopSignals::install();
    k_RunProgress progress(stderr, ::isatty(STDERR_FILENO) == 1);
    progress.begin(options.frames, options.passes);
    // Without an X display the GL context is made off-screen; traces are the same either way.
    const std::unique_ptr<k_SimWindow> window =
        k_SimWindow::open(options.headless || !k_SimWindow::hasDisplay(), error);
    if (window == nullptr) {
        return fail(error + (options.headless ? "" : "; or set DISPLAY to draw in an X window"));
    }
    configure(*window);
    if (options.bound) {
        computeBound(*window);
    }
    if (!options.cameraPath.empty()) {
        k_Scene* scene = window->getScene();
        scene->setPlanner(std::make_unique<k_PathPlayer>(scene->getInformationProvider(),
                                                         window->getRoot(), &cameraPath));
    }
    if (!options.plannerCommand.empty()) {
        k_Scene* scene = window->getScene();
        const std::string sceneJson = k_SceneFileWriter::write(world.describe());
        scene->setPlanner(std::make_unique<k_CommandPlanner>(
            scene->getInformationProvider(), window->getRoot(), scene->getAnimationManager(),
            options.plannerCommand, [sceneJson] { return sceneJson; }, options.plannerTimeout));
    }
    const bool ran =
        runTimingPasses(*window, progress, error) && runLastPass(*window, progress, error);
    progress.finish();
    if (!ran) {
        return fail(error);
    }
    const int stopSignal = k_StopSignals::received();
    if (stopSignal != 0) {
        summary->markInterrupted(k_StopSignals::name(stopSignal), options.frames);
    }
    const k_MotionPlanner* planner = window->getScene()->getPlanner();
    if (planner->hasFailed()) {
        // Said before the outputs are written, which can take a while for a long run.
        std::fprintf(stderr, "%s: planner failed at %s\n", programName,
                     planner->getFailure().c_str());
        summary->markPlannerFailed(planner->getFailure(), options.frames);
    }
    if (!writeOutputs(error)) {
        return fail(error);
    }
    if (planner->hasFailed()) {
        return exitPlannerFailed;
    }
    return stopSignal != 0 ? exitSignalBase + stopSignal : 0;
}

bool k_SimRun::openOutputs(std::string& error) {
    return (options.tracePath.empty() || traceFile.open(options.tracePath, error)) &&
           (options.jsonPath.empty() || jsonFile.open(options.jsonPath, error)) &&
           (options.plotPath.empty() || plotFile.open(options.plotPath, error)) &&
           (options.boundPath.empty() || boundPathFile.open(options.boundPath, error)) &&
           (options.framesDirectory.empty() || prepareDirectory(options.framesDirectory, error));
}

void k_SimRun::configure(k_SimWindow& window) const {
    if (options.showPlan) {
        window.showPlan();
    }
    k_Scene* scene = window.getScene();
    // Set before the load, so that the very first planning step already uses it.
    scene->setPlannerKind(options.planner);
    k_InformationProvider* provider = scene->getInformationProvider();
    provider->setStrategy(options.strategy);
    provider->setCompareReference(options.compareReference, options.repeats);
    provider->setSearchBudget(options.searchBudget);
    scene->getPlanner()->setBudgetFallback(options.budgetFallback);
}

void k_SimRun::computeBound(k_SimWindow& window) {
    k_Scene* scene = window.getScene();
    scene->setPlanner(
        std::make_unique<k_PathPlayer>(scene->getInformationProvider(), window.getRoot(), nullptr));
    window.load(world);
    recording =
        k_WorldRecorder::record([scene](double dt) { scene->update(dt); }, *scene->getPlanner(),
                                options.frames, options.dt, stopRequested);
    bound = k_VisibilityBound::compute(recording, k_BoundSettings{}, stopRequested);
    // The budget fallback carries over from planner to planner.
    scene->setPlannerKind(options.planner);
}

bool k_SimRun::runTimingPasses(k_SimWindow& window, k_RunProgress& progress, std::string& error) {
    k_Scene* scene = window.getScene();
    for (int pass = 1; pass < options.passes && !stopRequested(); ++pass) {
        window.load(world);
        k_SimRunner timing([scene](double dt) { scene->update(dt); }, scene->getPlanner());
        timing.setRecordFilter([this](k_FrameRecord& record) { shortest.take(record); });
        timing.setStopCheck(stopRequested);
        timing.setFrameDone([&progress, pass](long frame) { progress.frameDone(pass, frame); });
        k_RunSummary ignored(world, options.dt);
        if (!timing.run(options.frames, options.dt, ignored, error)) {
            return false;
        }
    }
    return true;
}

bool k_SimRun::runLastPass(k_SimWindow& window, k_RunProgress& progress, std::string& error) {
    window.load(world);
    k_Scene* scene = window.getScene();
    k_SimRunner runner([scene](double dt) { scene->update(dt); }, scene->getPlanner());
    runner.setRecordFilter([this](k_FrameRecord& record) { shortest.take(record); });
    // Stopped in an earlier pass, this one runs no frame but still writes every output.
    runner.setStopCheck(stopRequested);
    runner.setFrameDone(
        [&progress, this](long frame) { progress.frameDone(options.passes, frame); });
    k_TraceWriter trace(traceFile.get(), options.compareReference);
    if (traceFile.isOpen()) {
        runner.setTrace(&trace);
    }
    plot.reset(new k_SvgPlot(world, options.dt));
    if (plotFile.isOpen()) {
        runner.setPlot(plot.get());
    }
    std::vector<std::uint8_t> pixels;
    if (!options.framesDirectory.empty()) {
        runner.setCapture(options.captureEvery, [&](long frame, std::string& captureError) {
            window.capture(pixels,
                           k_FrameStamp::text(frame, static_cast<double>(frame) * options.dt));
            return k_PngWriter::write(frameFileName(options.framesDirectory, frame),
                                      k_SimWindow::width, k_SimWindow::height, pixels,
                                      captureError);
        });
    }
    summary.reset(new k_RunSummary(world, options.dt));
    summary->setPlanner(options.planner);
    summary->setPlannerCommand(options.plannerCommand);
    if (!options.cameraPath.empty()) {
        summary->setCameraPath(options.cameraPath);
    }
    if (options.bound) {
        summary->setBound(&boundReport);
    }
    summary->describeRun(options.strategy, options.compareReference ? options.repeats : 0,
                         options.passes);
    summary->describeBudget(options.searchBudget, options.budgetFallback);
    return runner.run(options.frames, options.dt, *summary, error);
}

bool k_SimRun::writeOutputs(std::string& error) {
    summary->writeText(summaryOutput);
    if (jsonFile.isOpen()) {
        summary->writeJson(jsonFile.get());
    }
    if (plotFile.isOpen()) {
        const k_RunSummary::Distribution planTime = summary->planTime();
        plot->setPlanPercentiles(planTime.p50, planTime.p99);
        std::fputs(plot->render().c_str(), plotFile.get());
    }
    if (boundPathFile.isOpen() && !boundReport.writePath(boundPathFile.get())) {
        error = "writing " + options.boundPath + " failed";
        return false;
    }
    if (!traceFile.close(error) || !jsonFile.close(error) || !plotFile.close(error) ||
        !boundPathFile.close(error)) {
        return false;
    }
    if (std::fflush(summaryOutput) != 0) {
        error = "writing the summary to standard output failed";
        return false;
    }
    return true;
}
