// veltrava-sim: runs a built-in scene with a fixed time step as fast as the machine allows
// and reports what the camera did and what each planning step cost.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "planning/InformationProvider.h"
#include "scenefile/BuiltInSceneDescriptions.h"
#include "scenefile/SceneFileReader.h"
#include "scenefile/SceneFileWriter.h"
#include "scenes/Scene.h"
#include "tools/sim/ArgumentParser.h"
#include "tools/sim/FrameStamp.h"
#include "tools/sim/OutputFile.h"
#include "tools/sim/PngWriter.h"
#include "tools/sim/RunProgress.h"
#include "tools/sim/RunSummary.h"
#include "tools/sim/ShortestTimes.h"
#include "tools/sim/SimRunner.h"
#include "tools/sim/SimWindow.h"
#include "tools/sim/StopSignals.h"
#include "tools/sim/SvgPlot.h"
#include "tools/sim/TraceWriter.h"

#if defined(VELTRAVA_SANITIZED)
#include <sanitizer/lsan_interface.h>
#endif

namespace {

constexpr const char* programName = k_ArgumentParser::programName;
constexpr int exitFailure = 1;
constexpr int exitSignalBase = 128;

int usageError(const std::string& message) {
    return k_CommandLine::refuse(programName, message);
}

int runFailure(const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", programName, message.c_str());
    return exitFailure;
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

int exportScene(const k_SimOptions& options) {
    std::string error;
    k_OutputFile file;
    if (!file.open(options.exportPath, error)) {
        return usageError(error);
    }
    const std::string text =
        k_SceneFileWriter::write(describeBuiltInScene(options.scene, options.swarm));
    if (std::fputs(text.c_str(), file.get()) < 0 || !file.close(error)) {
        return runFailure(error.empty() ? "writing " + options.exportPath + " failed" : error);
    }
    return 0;
}

// Everything after the command line; the window and the scene are gone when it returns.
int simulate(const k_SimOptions& options) {
    if (!options.exportPath.empty()) {
        return exportScene(options);
    }
    // Every output is checked before the window opens, so a typo costs no run; a scene file is
    // read and checked in full before anything of it is built, and a refused one gives its
    // one line (naming the file and the place) and exit code 2.
    std::string error;
    k_SceneDescription description;
    if (!options.sceneFile.empty() &&
        !k_SceneFileReader::read(options.sceneFile, description, error)) {
        std::fprintf(stderr, "%s: %s\n", programName, error.c_str());
        return k_CommandLine::usageExitCode;
    }
    k_OutputFile traceFile, jsonFile, plotFile;
    if ((!options.tracePath.empty() && !traceFile.open(options.tracePath, error)) ||
        (!options.jsonPath.empty() && !jsonFile.open(options.jsonPath, error)) ||
        (!options.plotPath.empty() && !plotFile.open(options.plotPath, error)) ||
        (!options.framesDirectory.empty() && !prepareDirectory(options.framesDirectory, error))) {
        return usageError(error);
    }
    // From here on a Ctrl-C or a kill ends the run after its current frame, with every output
    // written for the frames run.
    k_StopSignals::install();
    const auto stopRequested = [] { return k_StopSignals::received() != 0; };
    k_RunProgress progress(stderr, ::isatty(STDERR_FILENO) == 1);
    progress.begin(options.frames, options.passes);
    // Without an X display the GL context is made off-screen; traces are the same either way.
    const std::unique_ptr<k_SimWindow> opened =
        k_SimWindow::open(options.headless || !k_SimWindow::hasDisplay(), error);
    if (opened == nullptr) {
        return runFailure(error +
                          (options.headless ? "" : "; or set DISPLAY to draw in an X window"));
    }
    k_SimWindow& window = *opened;
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
    auto load = [&]() {
        if (options.sceneFile.empty()) {
            window.loadScene(options.scene, options.swarm);
        } else {
            window.loadDescription(description, options.sceneFile);
        }
    };
    // Earlier passes only time the frames; the last one writes every output.
    k_ShortestTimes shortest;
    auto keepShortest = [&shortest](k_FrameRecord& record) { shortest.take(record); };
    for (int pass = 1; pass < options.passes && !stopRequested(); ++pass) {
        load();
        k_SimRunner timing([scene](double dt) { scene->update(dt); }, scene->getPlanner());
        timing.setRecordFilter(keepShortest);
        timing.setStopCheck(stopRequested);
        timing.setFrameDone([&progress, pass](long frame) { progress.frameDone(pass, frame); });
        k_RunSummary ignored(options.scene, options.dt);
        if (!timing.run(options.frames, options.dt, ignored, error)) {
            progress.finish();
            return runFailure(error);
        }
    }
    load();

    k_SimRunner runner([scene](double dt) { scene->update(dt); }, scene->getPlanner());
    runner.setRecordFilter(keepShortest);
    // Stopped in an earlier pass, this one runs no frame but still writes every output.
    runner.setStopCheck(stopRequested);
    runner.setFrameDone(
        [&progress, &options](long frame) { progress.frameDone(options.passes, frame); });
    k_TraceWriter trace(traceFile.get(), options.compareReference);
    if (traceFile.isOpen()) {
        runner.setTrace(&trace);
    }
    k_SvgPlot plot(options.scene, options.dt);
    plot.setSceneFile(options.sceneFile);
    if (plotFile.isOpen()) {
        runner.setPlot(&plot);
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

    k_RunSummary summary(options.scene, options.dt);
    summary.setPlanner(options.planner);
    if (!options.sceneFile.empty()) {
        summary.setSceneFile(options.sceneFile);
    }
    summary.describeRun(options.strategy, options.compareReference ? options.repeats : 0,
                        options.swarm, options.passes);
    summary.describeBudget(options.searchBudget, options.budgetFallback);
    const bool ran = runner.run(options.frames, options.dt, summary, error);
    progress.finish();
    if (!ran) {
        return runFailure(error);
    }
    const int stopSignal = k_StopSignals::received();
    if (stopSignal != 0) {
        summary.markInterrupted(k_StopSignals::name(stopSignal), options.frames);
    }

    summary.writeText(stdout);
    if (jsonFile.isOpen()) {
        summary.writeJson(jsonFile.get());
    }
    if (plotFile.isOpen()) {
        const k_RunSummary::Distribution planTime = summary.planTime();
        plot.setPlanPercentiles(planTime.p50, planTime.p99);
        std::fputs(plot.render().c_str(), plotFile.get());
    }
    if (!traceFile.close(error) || !jsonFile.close(error) || !plotFile.close(error)) {
        return runFailure(error);
    }
    if (std::fflush(stdout) != 0) {
        return runFailure("writing the summary to standard output failed");
    }
    // As a shell reports a program ended by the signal, so that scripts can tell.
    return stopSignal != 0 ? exitSignalBase + stopSignal : 0;
}

} // namespace

int main(int argc, char** argv) {
    const k_ArgumentParser::Result parsed = k_ArgumentParser::parse(argc, argv);
    if (parsed.outcome == k_ArgumentParser::Outcome::error) {
        return usageError(parsed.message);
    }
    if (parsed.outcome != k_ArgumentParser::Outcome::run) {
        std::fputs(parsed.answer.c_str(), stdout);
        return 0;
    }
    const int status = simulate(parsed.options);
#if defined(VELTRAVA_SANITIZED)
    // The GL driver is unloaded at exit, before the sanitizer's own leak check, which then
    // cannot name the driver's buffers; checking here lets lsan.supp suppress them.
    __lsan_do_leak_check();
#endif
    return status;
}
