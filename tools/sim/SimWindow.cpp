// Leaves behind: the window's context current, GL_PROJECTION selected after the
// projection is set (as the demo's reshape does), GL_PACK_ALIGNMENT 1 after a capture.
#include "tools/sim/SimWindow.h"

// GLEW must come before any other GL header.
#include <GL/glew.h>

#include <GL/freeglut.h>

#include <cstdlib>

#include "app/GlutApplication.h"
#include "app/GlutCallbacks.h"
#include "platform/Random.h"
#include "scenegraph/MainSceneNode.h"
#include "scenes/Scene.h"

namespace {
// The generator's state in a program that has drawn nothing yet.
constexpr unsigned int freshGeneratorSeed = 1;
} // namespace

bool k_SimWindow::hasDisplay(std::string& error) {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') {
        error = "no X display (DISPLAY is not set): run it on a desktop or under Xvfb, e.g. "
                "xvfb-run -s '-screen 0 1280x1024x24' veltrava-sim ...";
        return false;
    }
    return true;
}

k_SimWindow::k_SimWindow() : application(nullptr), window(0) {
    if (!glutGet(GLUT_INIT_STATE)) {
        // GLUT gets no options of ours: it would take -display and the like out of them.
        static char programName[] = "veltrava-sim";
        static char* arguments[] = {programName, nullptr};
        int count = 1;
        glutInit(&count, arguments);
    }
    // The application makes the root before the window, then the window, GLEW, the clear
    // colour, depth test and normal rescaling, the callbacks, the menu and the controller.
    application = new k_GlutApplication(width, height, "Veltrava Corrento (sim)");
    window = glutGetWindow();
    // No main loop runs, so no reshape event arrives: set the demo's projection directly.
    onReshape(width, height);
}

k_SimWindow::~k_SimWindow() {
    delete application;
    if (window != 0) {
        glutDestroyWindow(window);
    }
}

k_Scene* k_SimWindow::getScene() const {
    return application->getScene();
}

k_MainSceneNode* k_SimWindow::getRoot() const {
    return application->getRoot();
}

void k_SimWindow::loadScene(int scene, long swarm) {
    randomSeed(freshGeneratorSeed);
    k_Scene* controller = application->getScene();
    switch (scene) {
    case 1:
        controller->loadScene1();
        break;
    case 2:
        controller->loadScene2();
        break;
    case 3:
        controller->loadScene3();
        break;
    case 4:
        if (swarm > 0) {
            controller->loadSwarmScene(static_cast<int>(swarm));
        } else {
            controller->loadScene4();
        }
        break;
    default:
        break;
    }
}

void k_SimWindow::showPlan() {
    application->showPlan();
}

void k_SimWindow::capture(std::vector<std::uint8_t>& rgb) {
    // The root's own render would swap the buffers at its end, before the picture could be
    // read, so its opening steps are done here and its children drawn one by one.
    k_MainSceneNode* root = application->getRoot();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    for (k_SceneNode* child : root->getChildren()) {
        child->render();
    }
    root->drawOverlay();
    rgb.assign(static_cast<std::size_t>(width) * height * 3, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glutSwapBuffers();
}
