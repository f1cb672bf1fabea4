// Leaves behind: the window's or the headless context current, GL_PROJECTION selected after the
// projection is set (as the demo's reshape does), GL_PACK_ALIGNMENT 1 after a capture.
#include "tools/sim/SimWindow.h"

// GLEW must come before any other GL header.
#include <GL/glew.h>

#include <GL/freeglut.h>

#include <cstdlib>

#include "app/GlutApplication.h"
#include "app/GlutCallbacks.h"
#include "platform/Random.h"
#include "scenegraph/HeadlessGlContext.h"
#include "scenegraph/MainSceneNode.h"
#include "scenes/PlanOverlay.h"
#include "scenes/Scene.h"

namespace {
// The generator's state in a program that has drawn nothing yet.
constexpr unsigned int freshGeneratorSeed = 1;
} // namespace

bool k_SimWindow::hasDisplay() {
    const char* display = std::getenv("DISPLAY");
    return display != nullptr && *display != '\0';
}

std::unique_ptr<k_SimWindow> k_SimWindow::open(bool headless, std::string& error) {
    std::unique_ptr<k_SimWindow> made(new k_SimWindow());
    if (headless) {
        // The application's order without its window: the root first (it configures the
        // shared quadric), then the context and GLEW, the GL state, then the controller.
        made->root = new k_MainSceneNode();
        made->headlessContext = k_HeadlessGlContext::create(width, height, error);
        if (made->headlessContext == nullptr) {
            return nullptr;
        }
        setInitialGlState();
        made->scene = new k_Scene(made->root);
    } else {
        if (!glutGet(GLUT_INIT_STATE)) {
            // GLUT gets no options of ours: it would take -display and the like out of them.
            static char programName[] = "veltrava-sim";
            static char* arguments[] = {programName, nullptr};
            int count = 1;
            glutInit(&count, arguments);
        }
        // The application makes the root before the window, then the window, GLEW, the
        // clear colour, depth test and normal rescaling, the callbacks, the menu and the
        // controller.
        made->application = new k_GlutApplication(width, height, "Veltrava Corrento (sim)");
        made->window = glutGetWindow();
        made->root = made->application->getRoot();
        made->scene = made->application->getScene();
    }
    // No main loop runs, so no reshape event arrives: set the demo's projection directly.
    onReshape(width, height);
    return made;
}

k_SimWindow::~k_SimWindow() {
    if (application != nullptr) {
        delete application;
        if (window != 0) {
            glutDestroyWindow(window);
        }
        return;
    }
    // As the application does: the overlay first (it turns off the provider's recording),
    // then the tree, since the controller's planner and provider point into it; the context
    // last, so that the nodes can free their GL objects.
    if (root != nullptr) {
        root->setOverlay(nullptr);
    }
    planOverlay.reset();
    delete root;
    delete scene;
    headlessContext.reset();
}

void k_SimWindow::loadScene(int number, long swarm) {
    randomSeed(freshGeneratorSeed);
    k_Scene* controller = scene;
    switch (number) {
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
    if (application != nullptr) {
        application->showPlan();
        return;
    }
    if (planOverlay == nullptr) {
        planOverlay.reset(new k_PlanOverlay(scene));
        k_PlanOverlay* overlay = planOverlay.get();
        root->setOverlay([overlay] { overlay->draw(); });
    }
}

void k_SimWindow::capture(std::vector<std::uint8_t>& rgb) {
    // The root's own render would swap the buffers at its end, before the picture could be
    // read, so its opening steps are done here and its children drawn one by one.
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
    // An off-screen pbuffer has nothing to show, so only a window swaps.
    if (application != nullptr) {
        glutSwapBuffers();
    }
}
