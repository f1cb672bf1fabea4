#include "app/SceneSwitchLog.h"

// GLEW must come before any other GL header.
#include <GL/glew.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

using Clock = std::chrono::steady_clock;

const bool timingEnabled = std::getenv("VELTRAVA_TIMING") != nullptr;

// Only the first update and the first frame after a choice count; 0 means no switch pending.
int pendingScene = 0;
Clock::time_point chosenAt;
double loadMilliseconds = 0.0;
double updateMilliseconds = -1.0;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

} // namespace

bool sceneSwitchTimingEnabled() {
    return timingEnabled;
}

void markSceneChosen(int scene) {
    if (!timingEnabled) {
        return;
    }
    pendingScene = scene;
    chosenAt = Clock::now();
    loadMilliseconds = 0.0;
    updateMilliseconds = -1.0;
}

void markSceneLoaded() {
    if (timingEnabled && pendingScene != 0) {
        loadMilliseconds = millisecondsSince(chosenAt);
    }
}

void markSceneUpdated() {
    if (timingEnabled && pendingScene != 0 && updateMilliseconds < 0.0) {
        updateMilliseconds = millisecondsSince(chosenAt) - loadMilliseconds;
    }
}

void markFrameDrawn() {
    if (!timingEnabled || pendingScene == 0) {
        return;
    }
    // The swap has queued the frame; wait until the driver has really drawn it.
    glFinish();
    std::fprintf(stderr,
                 "scene %d: load %.1f ms, first update %.1f ms, first frame drawn %.1f ms after "
                 "the choice\n",
                 pendingScene, loadMilliseconds,
                 updateMilliseconds < 0.0 ? 0.0 : updateMilliseconds, millisecondsSince(chosenAt));
    pendingScene = 0;
}
