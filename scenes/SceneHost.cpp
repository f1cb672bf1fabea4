#include "scenes/SceneHost.h"

#include "plandrawing/PlanOverlay.h"
#include "scenegraph/MainSceneNode.h"
#include "scenes/Scene.h"

namespace {

// The loader of each built-in scene, by number less one.
using SceneLoader = void (k_Scene::*)();
constexpr SceneLoader sceneLoaders[k_SceneHost::sceneCount] = {
    &k_Scene::loadScene1, &k_Scene::loadScene2, &k_Scene::loadScene3, &k_Scene::loadScene4};

} // namespace

k_SceneHost::k_SceneHost()
    : root(new k_MainSceneNode()), scene(new k_Scene(root)), planOverlay(nullptr) {}

k_SceneHost::~k_SceneHost() {
    root->setOverlay(nullptr);
    if (planOverlay != nullptr) {
        delete planOverlay;
        scene->unwatchPlan();
    }
    delete root;
    delete scene;
}

bool k_SceneHost::loadScene(int number) {
    if (!isSceneNumber(number)) {
        return false;
    }
    (scene->*sceneLoaders[number - 1])();
    return true;
}

void k_SceneHost::showPlan() {
    if (planOverlay != nullptr) {
        return;
    }
    planOverlay = new k_PlanOverlay(scene->watchPlan());
    k_PlanOverlay* overlay = planOverlay;
    root->setOverlay([overlay] { overlay->draw(); });
}

void k_SceneHost::drawFrame(FrameEnd end) {
    if (end == FrameEnd::swap) {
        root->render();
    } else {
        root->renderWithoutSwap();
    }
}
