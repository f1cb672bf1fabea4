// One planning step of each built-in scene at fixed moments: the scene is loaded as from
// the menu of a fresh program and advanced a fixed number of 0.016 s frames, then
// k_MotionPlanner::plan is timed from the camera's motion state as it was then, put back,
// with the generator reseeded, before every step. The bodies do not move between steps (no scene
// update runs), so every iteration does exactly the same work.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "camera/Camera.h"
#include "planning/InformationProvider.h"
#include "planning/MotionPlanner.h"
#include "platform/Random.h"
#include "scenes/Scene.h"
#include "tools/sim/SimWindow.h"
#include "tools/sim/WorldChoice.h"

namespace {

constexpr double frameTime = 0.016;
constexpr unsigned int stepSeed = 12345;
constexpr int scenes[] = {1, 2, 3, 4};
constexpr long moments[] = {0, 300, 1500};

k_SimWindow* window = nullptr;
int loadedScene = 0;
long advancedFrames = -1;
// The scene camera's motion at the moment measured, put back before every step.
std::unique_ptr<k_CameraMotion> saved;

// Reloads and advances only when the benchmark library calls a case again after another:
// it runs each case several times while it settles on an iteration count.
void prepare(int scene, long frames) {
    if (loadedScene == scene && advancedFrames == frames) {
        return;
    }
    saved.reset();
    window->load(k_WorldChoice::builtInScene(scene));
    for (long frame = 0; frame < frames; ++frame) {
        window->getScene()->update(frameTime);
    }
    if (const k_Camera* camera = window->getScene()->getCamera()) {
        saved.reset(new k_CameraMotion(camera->getMotion()));
    }
    loadedScene = scene;
    advancedFrames = frames;
}

void planningStep(benchmark::State& state, int scene, long frames, k_SearchStrategy strategy) {
    prepare(scene, frames);
    k_Scene* controller = window->getScene();
    k_InformationProvider* provider = controller->getInformationProvider();
    provider->setStrategy(strategy);
    k_MotionPlanner* planner = controller->getPlanner();
    k_Camera* sceneCamera = controller->getCamera();
    if (planner == nullptr || sceneCamera == nullptr || !saved) {
        state.SkipWithError("the scene has no planner or camera");
        return;
    }
    for (auto _ : state) {
        // Putting the state back costs tens of nanoseconds against a step of microseconds.
        sceneCamera->setMotion(*saved);
        randomSeed(stepSeed);
        planner->plan(frameTime);
        benchmark::ClobberMemory();
    }
    sceneCamera->setMotion(*saved);
    provider->setStrategy(k_SearchStrategy::fast);

    const k_PlanningStats& stats = planner->getLastStepStats();
    state.counters["sphere_tests"] = static_cast<double>(stats.sphereTests);
    state.counters["find_path"] = static_cast<double>(stats.findPathCalls);
    state.counters["relocations"] = static_cast<double>(stats.relocationAttempts);
    state.SetLabel("target " + std::to_string(stats.targetIndex));
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 2;
    }
    std::string error;
    std::unique_ptr<k_SimWindow> owner = k_SimWindow::open(!k_SimWindow::hasDisplay(), error);
    if (owner == nullptr) {
        std::fprintf(stderr, "veltrava-bench: %s\n", error.c_str());
        return 1;
    }
    window = owner.get();
    for (int scene : scenes) {
        for (long frames : moments) {
            // The same step with the reference search, to read the two side by side.
            for (k_SearchStrategy strategy :
                 {k_SearchStrategy::fast, k_SearchStrategy::reference}) {
                const std::string name =
                    "PlanningStep/scene:" + std::to_string(scene) +
                    "/frame:" + std::to_string(frames) +
                    (strategy == k_SearchStrategy::fast ? "/fast" : "/reference");
                benchmark::RegisterBenchmark(name.c_str(), planningStep, scene, frames, strategy)
                    ->Unit(benchmark::kMicrosecond);
            }
        }
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    saved.reset();
    window = nullptr;
    return 0;
}
