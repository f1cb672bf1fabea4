#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/DemoOptions.h"
#include "app/DemoPlanner.h"
#include "app/FrameClock.h"
#include "app/GlutApplication.h"
#include "scenefile/SceneFileReader.h"
#include "scenes/Scene.h"

int main(int argc, char** argv) {
    // Read before GLUT starts, so that help, the version and a bad argument need no display.
    k_DemoOptions options;
    const int status = parseDemoOptions(argc, argv, options);
    if (status != demoOptionsRun) {
        return status;
    }
    // Read and checked in full before any window: a refused file leaves no half-built world,
    // only its one line naming the file and the place.
    k_SceneDescription description;
    std::string error;
    if (!options.sceneFile.empty() &&
        !k_SceneFileReader::read(options.sceneFile, description, error)) {
        std::fprintf(stderr, "veltrava: %s\n", error.c_str());
        return k_CommandLine::usageExitCode;
    }
    // GLUT gets the program's name and the X options only; `options` lives until the exit.
    std::vector<char*> glutArgv;
    for (std::string& argument : options.glutArguments) {
        glutArgv.push_back(argument.data());
    }
    int glutArgc = static_cast<int>(glutArgv.size());
    glutArgv.push_back(nullptr);
    std::atexit(destroyApplication);
    initApplication(&glutArgc, glutArgv.data(), 800, 600, "Veltrava Corrento");
    if (options.planner != k_PlannerKind::standard) {
        getApplication()->getScene()->setPlannerKind(options.planner);
    }
    if (!options.plannerCommand.empty()) {
        useCommandPlanner(*getApplication()->getScene(), options.plannerCommand,
                          options.plannerTimeout,
                          options.sceneFile.empty() ? nullptr : &description, options.sceneFile);
    }
    if (options.showPlan) {
        getApplication()->showPlan();
    }
    if (options.scene != 0) {
        getApplication()->getHost().loadScene(options.scene);
        // The time spent building the scene is not passed to its first update.
        restartFrameClock();
    }
    // As the first scene after start-up, which is how the exported built-in scenes are defined.
    if (!options.sceneFile.empty()) {
        getApplication()->getScene()->loadDescription(description, options.sceneFile);
        restartFrameClock();
    }
    getApplication()->run();
    return 0;
}
