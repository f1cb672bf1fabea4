#include "app/GlutCallbacks.h"

// GLEW must come before any other GL header.
#include <GL/glew.h>

#include <GL/freeglut.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/DemoPlanner.h"
#include "app/FrameClock.h"
#include "app/FrameRateLog.h"
#include "app/GlutApplication.h"
#include "app/SceneSwitchLog.h"
#include "planning/MotionPlanner.h"
#include "platform/Pause.h"
#include "scenes/Scene.h"

static_assert(menuScene1 == 1 && menuScene4 == k_SceneHost::sceneCount,
              "the menu's scene entries carry the scene numbers");

double aspectRatio(int width, int height) {
    const double w = width > 0 ? width : 1;
    const double h = height > 0 ? height : 1;
    return w > h ? w / h : h / w;
}

void onReshape(int width, int height) {
    if (k_GlutApplication* application = getApplication()) {
        application->setSize(width, height);
    }
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, aspectRatio(width, height), 0.1, 1000.0);
    // The root selects GL_MODELVIEW at the start of every frame.
}

void onDisplay() {
    if (k_GlutApplication* application = getApplication()) {
        application->getHost().drawFrame(k_SceneHost::FrameEnd::swap);
        countFrameForLog(glutGet(GLUT_ELAPSED_TIME));
        markFrameDrawn();
    }
}

namespace {

// Seconds the message of a failed planner stays in the window's title before the program ends.
constexpr double failureShownSeconds = 3.0;

// Once the planner has failed: says so on standard error and in the title, shows the world as
// it stopped for a moment, then ends the program. True while it does.
bool endOnPlannerFailure(const k_MotionPlanner& planner) {
    using Clock = std::chrono::steady_clock;
    static bool reported = false;
    static Clock::time_point failedAt;
    if (!planner.hasFailed()) {
        return false;
    }
    if (!reported) {
        reported = true;
        failedAt = Clock::now();
        std::fprintf(stderr, "veltrava: planner failed at %s\n", planner.getFailure().c_str());
        const std::string title = "Veltrava Corrento: planner failed at " + planner.getFailure();
        glutSetWindowTitle(title.c_str());
    }
    if (Clock::now() - failedAt >= std::chrono::duration<double>(failureShownSeconds)) {
        std::exit(demoPlannerFailedExitCode);
    }
    return true;
}

} // namespace

void onIdle() {
    const double dt = takeFrameTime(glutGet(GLUT_ELAPSED_TIME));
    if (k_GlutApplication* application = getApplication()) {
        if (endOnPlannerFailure(*application->getScene()->getPlanner())) {
            glutPostRedisplay();
            pauseMilliseconds(10);
            return;
        }
        application->getScene()->update(dt);
        markSceneUpdated();
        glutPostRedisplay();
    }
    // Keeps the loop from holding a processor fully busy when frames are cheap.
    pauseMilliseconds(1);
}

void onMenu(int value) {
    if (value == menuQuit) {
        // The standard exit path runs destroyApplication, which deletes the application.
        std::exit(0);
    }
    k_GlutApplication* application = getApplication();
    if (application == nullptr) {
        return;
    }
    // The menu's scene entries carry the scene numbers themselves.
    if (!k_SceneHost::isSceneNumber(value)) {
        return;
    }
    markSceneChosen(value);
    application->getHost().loadScene(value);
    markSceneLoaded();
    // The time spent building the scene is not passed to the next update.
    restartFrameClock();
}

void onIgnoredInput(int, int, int, int) {}

void onIgnoredInput(int, int) {}

void onIgnoredInput(unsigned char, int, int) {}
