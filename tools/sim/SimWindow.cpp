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
#include "scenes/Scene.h"
#include "scenes/SceneHost.h"
#include "tools/sim/FrameStamp.h"
#include "tools/sim/WorldChoice.h"

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
        // The application's order without its window: the host first (its root configures
        // the shared quadric), then the context and GLEW, then the GL state.
        made->ownHost.reset(new k_SceneHost());
        made->host = made->ownHost.get();
        made->headlessContext = k_HeadlessGlContext::create(width, height, error);
        if (made->headlessContext == nullptr) {
            return nullptr;
        }
        setInitialGlState();
    } else {
        if (!glutGet(GLUT_INIT_STATE)) {
            // GLUT gets no options of ours: it would take -display and the like out of them.
            static char programName[] = "veltrava-sim";
            static char* arguments[] = {programName, nullptr};
            int count = 1;
            glutInit(&count, arguments);
        }
        // The application makes the scene host before the window, then the window, GLEW,
        // the clear colour, depth test and normal rescaling, the callbacks and the menu.
        made->application = new k_GlutApplication(width, height, "Veltrava Corrento (sim)");
        made->window = glutGetWindow();
        made->host = &made->application->getHost();
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
    ownHost.reset();
    headlessContext.reset();
}

k_Scene* k_SimWindow::getScene() const {
    return host->getScene();
}

k_MainSceneNode* k_SimWindow::getRoot() const {
    return host->getRoot();
}

void k_SimWindow::load(const k_WorldChoice& world) {
    randomSeed(freshGeneratorSeed);
    if (world.isSceneFile()) {
        host->getScene()->loadDescription(world.getDescription(), world.getSceneFile());
    } else if (world.getScene() == 4 && world.getSwarm() > 0) {
        host->getScene()->loadSwarmScene(static_cast<int>(world.getSwarm()));
    } else {
        host->loadScene(world.getScene());
    }
}

void k_SimWindow::showPlan() {
    host->showPlan();
}

void k_SimWindow::capture(std::vector<std::uint8_t>& rgb, const std::string& stamp) {
    // The picture is read from the back buffer before any swap.
    host->drawFrame(k_SceneHost::FrameEnd::keepInBackBuffer);
    if (!stamp.empty()) {
        k_FrameStamp::draw(stamp, width, height);
    }
    rgb.assign(static_cast<std::size_t>(width) * height * 3, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    // An off-screen pbuffer has nothing to show, so only a window swaps.
    if (application != nullptr) {
        glutSwapBuffers();
    }
}
