#include "tools/sim/ArgumentParser.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "app/CommandLine.h"
#include "plandrawing/PlanLegend.h"
#include "platform/DataFolder.h"
#include "tools/sim/BoundReport.h"
#include "tools/sim/RunSummary.h"

namespace {

// The help's headings.
const std::string runGroup = "What to run";
const std::string outputGroup = "What to write";
const std::string searchGroup = "How to search";

const char* const description =
    "Runs built-in scene N (1-4), or the world of a scene file, without drawing, as fast as\n"
    "the machine allows, with a fixed time step, and reports what the camera did and what\n"
    "each planning step cost. It needs no X server: without DISPLAY, or with --headless, it\n"
    "draws off-screen.";

std::string shortNumber(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

CLI::Option* addPath(k_CommandLine& line, const std::string& name, std::string& target,
                     const std::string& typeName, const std::string& help) {
    // An empty value ("--trace=") is refused by CLI11 as a missing one.
    return line.app().add_option(name, target, help)->type_name(typeName);
}

// Every option of the program, in the order of the help text.
void declareOptions(k_CommandLine& line, k_SimOptions& options) {
    using Parser = k_ArgumentParser;
    CLI::Option* scene =
        line.addScene(options.scene,
                      "scene 1, 2, 3 or 4, loaded as from the menu of a fresh program")
            ->group(runGroup);
    line.addSceneFile(options.sceneFile, scene,
                      "or the world of a scene file (docs/scene-format.md), loaded as\n"
                      "the first scene of a fresh program")
        ->group(runGroup);
    addPath(line, "--export-scene", options.exportPath, "FILE",
            "write built-in scene N (with --swarm) as a scene file and run\n"
            "nothing")
        ->group(runGroup);
    line.addPositiveNumber("--seconds", options.seconds, "a number of seconds above 0", "S",
                           "scene time to run, above 0 (default 60)")
        ->group(runGroup);
    line.addPositiveNumber("--dt", options.dt, "a time step in seconds above 0", "D",
                           "time step in seconds, above 0 (default 0.016); frames = round(S/D),\n"
                           "at most " +
                               std::to_string(Parser::maxFrames))
        ->group(runGroup);
    addPath(line, "--trace", options.tracePath, "FILE",
            "CSV, one row per frame after its update:\n"
            "frame,t,target,cam_x,cam_y,cam_z,look_x,look_y,look_z,up_x,up_y,up_z,\n"
            "vel_x,vel_y,vel_z,look_speed,relocations,find_path_calls,\n"
            "segment_tests,sphere_tests,plan_us[,comparison columns],budget_hit,\n"
            "visible_share,hidden,engulfed,inside,turn_deg_s\n"
            "(target: index in the body registry, -1 for none; plan_us: wall\n"
            "time of the planning step; all else is the same on every run;\n"
            "visible_share: of 64 points on the target's sphere facing the\n"
            "camera, the share seen past every other body, nan without a target;\n"
            "turn_deg_s: the view's turn since the previous frame)")
        ->group(outputGroup);
    addPath(line, "--json", options.jsonPath, "FILE", "the summary as JSON")->group(outputGroup);
    addPath(line, "--plot", options.plotPath, "FILE",
            "SVG: top view of the camera's and the target's paths with the\n"
            "bodies' start positions, and planning time per frame")
        ->group(outputGroup);
    addPath(line, "--frames", options.framesDirectory, "DIR",
            "draw the scene and write every K-th frame as DIR/frame_NNNNNN.png,\n"
            "its number and scene time in the top-right corner")
        ->group(outputGroup);
    line.addWholeNumber("--every", options.captureEvery, 1, std::numeric_limits<long>::max(),
                        "a whole number of frames, 1 or more", "K",
                        "K for --frames, 1 or more (default 1)")
        ->group(outputGroup);
    line.addShowPlan(options.showPlan, "draw the plan over the pictures (colours below)")
        ->group(outputGroup);
    line.addWord("--strategy", options.strategy,
                 "path search: fast (default) or reference (the straightforward one;\n"
                 "same routes and counts but sphere tests, slower)")
        ->group(searchGroup);
    line.addSwitch("--compare-reference", options.compareReference,
                   "also run the reference search on the same frames, on a copy of\n"
                   "each search's input; reports both versions' times and counts every\n"
                   "search whose result, route or counts differ (mismatches, must be\n"
                   "0). Adds trace columns search_ns,ref_plan_us,ref_search_ns,\n"
                   "ref_sphere_tests,mismatches. The comparison itself is left out of\n"
                   "plan_us; ref_plan_us is the step with the reference's search time.\n"
                   "Its times are a warm micro-benchmark (each search right after the\n"
                   "reference's on the same data); without it every step is timed\n"
                   "once, cold, as a frame runs it (scripts/measure-planning compares\n"
                   "the two searches that way)")
        ->group(searchGroup);
    line.addWholeNumber("--repeats", options.repeats, 1, Parser::maxRepeats,
                        "a whole number from 1 to " + std::to_string(Parser::maxRepeats), "K",
                        "with --compare-reference: each side runs every search K times\n"
                        "(1-100, default 3) and keeps its shortest time, which other work\n"
                        "on the machine inflates least")
        ->group(searchGroup);
    line.addWholeNumber("--passes", options.passes, 1, Parser::maxPasses,
                        "a whole number from 1 to " + std::to_string(Parser::maxPasses), "P",
                        "run the scene P times from its load (1-20, default 1); every time\n"
                        "figure is then the shortest of the P passes for its frame, which\n"
                        "leaves out time slices lost to other work; the rest is the same\n"
                        "in every pass")
        ->group(runGroup);
    line.addWholeNumber("--swarm", options.swarm, 1, Parser::maxSwarm,
                        "a number of obstacles from 1 to " + std::to_string(Parser::maxSwarm), "N",
                        "scene 4 only: N obstacles (default 100) from the same generator\n"
                        "and recipe; the first 100 are the scene's own")
        ->group(runGroup);
    line.addPlanner(options.planner)->group(runGroup);
    line.app()
        .add_option("--planner-command", options.plannerCommand,
                    "plan with a program of your own instead: CMD runs through\n"
                    "/bin/sh -c and answers each step's state with a command, in JSON\n"
                    "Lines on its standard input and output (docs/planners.md). A\n"
                    "planner that exits, answers late or answers no command ends the\n"
                    "run there, every output written, with exit status 3")
        ->type_name("CMD")
        ->group(runGroup);
    line.addPositiveNumber("--planner-timeout", options.plannerTimeout,
                           "a number of seconds above 0", "S",
                           "with --planner-command: the longest wait for an answer (default 1)")
        ->group(runGroup);
    line.addWholeNumber("--search-budget", options.searchBudget, 0, Parser::maxSearchBudget,
                        "a number of segment tests from 0 (unbounded) to " +
                            std::to_string(Parser::maxSearchBudget),
                        "N",
                        "most segment tests the searches of one planning step may make\n"
                        "(default " +
                            std::to_string(k_InformationProvider::defaultSearchBudget) +
                            ", as in the demo; 0 = unbounded). A step that\n"
                            "reaches it stops searching (trace column budget_hit is 1) and\n"
                            "the camera takes the fallback")
        ->group(searchGroup);
    line.addWord("--budget-fallback", options.budgetFallback,
                 "the fallback: partial (default, as in the demo: the furthest\n"
                 "chain of intermediate goals found), straight (straight for the\n"
                 "target) or keep (the previous step's path while its waypoint\n"
                 "lies ahead)")
        ->group(searchGroup);
    addPath(line, "--camera-path", options.cameraPath, "FILE",
            "play the camera path of a CSV file instead of planning, and judge it\n"
            "with every figure: columns (by name, in any order, others ignored)\n"
            "frame,t,cam_x,cam_y,cam_z,look_x,look_y,look_z, optionally up_x,\n"
            "up_y,up_z and relocations; one row per frame 1, 2, ... at t = frame *\n"
            "dt, at least as many rows as the run has frames. A --trace of an\n"
            "earlier run plays as it is; a malformed or short file is refused")
        ->group(runGroup);
    line.addSwitch("--bound", options.bound,
                   "before the run, work out how few frames any camera could have lost\n"
                   "sight of the target in this world (the bound section below)")
        ->group(runGroup);
    addPath(line, "--bound-path", options.boundPath, "FILE",
            "with or without --bound: work out the bound and write the camera\n"
            "path it found as CSV (frame,t,cam_x..z,look_x..z,hidden), which\n"
            "--camera-path plays")
        ->group(outputGroup);
    line.addSwitch("--headless", options.headless,
                   "make the GL context off-screen, without an X server (EGL on Mesa's\n"
                   "surfaceless platform), as happens anyway when DISPLAY is not set")
        ->group(runGroup);
}

// Rules between options, checked once every value is read; "" when the line is sound.
std::string checkCombinations(const CLI::App& app, k_SimOptions& options) {
    if (app.count("--scene") == 0 && options.sceneFile.empty()) {
        return "--scene N or --scene-file FILE is required";
    }
    if (!options.exportPath.empty() && app.count("--scene") == 0) {
        return "--export-scene writes a built-in scene: it needs --scene N";
    }
    if (app.count("--swarm") != 0 && !options.sceneFile.empty()) {
        return "--swarm grows Scene 4's swarm: a scene file states its own bodies";
    }
    if (app.count("--every") != 0 && options.framesDirectory.empty()) {
        return "--every needs --frames DIR";
    }
    if (options.showPlan && options.framesDirectory.empty()) {
        return "--show-plan draws the plan into the pictures: it needs --frames DIR";
    }
    if (app.count("--swarm") != 0 && options.scene != 4) {
        return "--swarm grows Scene 4's swarm: it needs --scene 4";
    }
    if (options.compareReference && options.strategy == k_SearchStrategy::reference) {
        return "--compare-reference runs the reference beside the fast search: it "
               "cannot be combined with --strategy reference";
    }
    if (app.count("--repeats") != 0 && !options.compareReference) {
        return "--repeats needs --compare-reference";
    }
    if (!options.plannerCommand.empty() &&
        (app.count("--planner") != 0 || !options.cameraPath.empty())) {
        return "--planner-command is the planner: it cannot be combined with --planner or "
               "--camera-path";
    }
    if (!options.plannerCommand.empty() && options.compareReference) {
        return "--planner-command plans without the path search: --compare-reference has "
               "nothing to compare";
    }
    if (app.count("--planner-timeout") != 0 && options.plannerCommand.empty()) {
        return "--planner-timeout needs --planner-command";
    }
    if (!options.cameraPath.empty() && app.count("--planner") != 0) {
        return "--camera-path plays a path instead of a planner: it cannot be combined with "
               "--planner";
    }
    if (!options.cameraPath.empty() && options.showPlan) {
        return "--camera-path plays a path without planning: --show-plan has no plan to draw";
    }
    if (!options.cameraPath.empty() && options.compareReference) {
        return "--camera-path plays a path without searching: --compare-reference has "
               "nothing to compare";
    }
    if (!options.exportPath.empty() &&
        (options.bound || !options.boundPath.empty() || !options.cameraPath.empty())) {
        return "--export-scene runs nothing: it cannot be combined with --bound, --bound-path "
               "or --camera-path";
    }
    if (!options.boundPath.empty()) {
        options.bound = true;
    }
    if (!options.framesDirectory.empty() && options.captureEvery == 0) {
        options.captureEvery = 1;
    }
    const double frames = std::round(options.seconds / options.dt);
    if (frames < 1.0) {
        return "--seconds " + shortNumber(options.seconds) + " is less than half of --dt " +
               shortNumber(options.dt) + ": the run would have no frame";
    }
    if (frames > static_cast<double>(k_ArgumentParser::maxFrames)) {
        return "--seconds / --dt gives more than " + std::to_string(k_ArgumentParser::maxFrames) +
               " frames; use a larger --dt or fewer seconds";
    }
    options.frames = static_cast<long>(frames);
    return "";
}

void describeProgram(k_CommandLine& line, k_SimOptions& options) {
    declareOptions(line, options);
    line.app().footer(std::string(k_RunSummary::figureDefinitions()) +
                      k_BoundReport::definitions() + "\n" + planLegendText(2) + "\n" +
                      k_DataFolder::searchOrderText() +
                      "Exit codes: 0 done, 1 failed while running (no GL context, write error), "
                      "2 bad usage\n"
                      "or a scene file that is refused,\n"
                      "130 or 143 ended early by SIGINT (Ctrl-C) or SIGTERM: the run stops after "
                      "its current\n"
                      "frame, and the trace, the summary (marked interrupted) and the other "
                      "outputs hold the\n"
                      "frames run. On a terminal a progress line on standard error shows runs "
                      "that take over\n"
                      "a second.");
}

} // namespace

k_ArgumentParser::Result k_ArgumentParser::parse(int argc, const char* const* argv) {
    Result result;
    k_CommandLine line(programName, description);
    describeProgram(line, result.options);
    result.outcome = line.parse(argc, argv);
    result.answer = line.answerText(result.outcome);
    if (result.outcome == Outcome::error) {
        result.message = line.errorMessage();
    } else if (result.outcome == Outcome::run) {
        result.message = checkCombinations(line.app(), result.options);
        if (!result.message.empty()) {
            result.outcome = Outcome::error;
        }
    }
    return result;
}
