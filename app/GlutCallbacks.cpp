#include "app/GlutCallbacks.h"

// GLEW must come before any other GL header.
#include <GL/glew.h>

#include <GL/freeglut.h>

#include <cstdlib>

#include "app/FrameClock.h"
#include "app/FrameRateLog.h"
#include "app/GlutApplication.h"
#include "app/SceneSwitchLog.h"
#include "platform/Pause.h"
#include "scenegraph/MainSceneNode.h"
#include "scenes/Scene.h"

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
        application->getRoot()->render();
        countFrameForLog(glutGet(GLUT_ELAPSED_TIME));
        markFrameDrawn();
    }
}

void onIdle() {
    const double dt = takeFrameTime(glutGet(GLUT_ELAPSED_TIME));
    if (k_GlutApplication* application = getApplication()) {
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
    k_Scene* scene = application->getScene();
    if (value >= menuScene1 && value <= menuScene4) {
        markSceneChosen(value);
    }
    switch (value) {
    case menuScene1:
        scene->loadScene1();
        break;
    case menuScene2:
        scene->loadScene2();
        break;
    case menuScene3:
        scene->loadScene3();
        break;
    case menuScene4:
        scene->loadScene4();
        break;
    default:
        return;
    }
    markSceneLoaded();
    // The time spent building the scene is not passed to the next update.
    restartFrameClock();
}

void onIgnoredInput(int, int, int, int) {}

void onIgnoredInput(int, int) {}

void onIgnoredInput(unsigned char, int, int) {}
