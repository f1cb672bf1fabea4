#include "scenegraph/SceneNode.h"

#include "scenegraph/Artifact.h"
#include "scenegraph/ArtifactRegistry.h"

k_SceneNode::k_SceneNode() : parent(nullptr) {}

k_SceneNode::~k_SceneNode() { removeAllChildren(); }

void k_SceneNode::render() {
    beginRender();
    for (k_SceneNode* child : children) {
        child->render();
    }
    endRender();
}

void k_SceneNode::addChild(k_SceneNode* child) {
    child->parent = this;
    // Registration is decided once, from the interest the body has at this moment.
    if (k_Artifact* artifact = dynamic_cast<k_Artifact*>(child)) {
        if (artifact->getInterest() >= 0) {
            artifactRegistry.push_back(artifact);
        }
    }
    children.push_back(child);
}

void k_SceneNode::removeAllChildren() {
    // Each child is out of the list before its destructor runs, and children go first to last.
    while (!children.empty()) {
        k_SceneNode* child = children.front();
        children.erase(children.begin());
        delete child;
    }
    artifactRegistry.clear();
}
