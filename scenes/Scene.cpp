#include "scenes/Scene.h"

#include "scenegraph/MainSceneNode.h"

// The planner, the information provider, the animation manager and the four scene builders
// arrive with the scene controller. Until then a load empties the tree, so the window shows
// the black clear colour, and a frame changes nothing.

k_Scene::k_Scene(k_MainSceneNode* rootNode)
    : planner(nullptr), heightArtifact(nullptr), camera(nullptr), skyNode(nullptr), root(rootNode),
      informationProvider(nullptr), animationManager(nullptr) {}

k_Scene::~k_Scene() = default;

void k_Scene::update(double) {}

void k_Scene::loadScene1() {
    root->removeAllChildren();
}

void k_Scene::loadScene2() {
    root->removeAllChildren();
}

void k_Scene::loadScene3() {
    root->removeAllChildren();
}

void k_Scene::loadScene4() {
    root->removeAllChildren();
}
