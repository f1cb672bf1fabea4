#include "scenegraph/SceneNode.h"

#include "scenegraph/Artifact.h"
#include "scenegraph/ArtifactRegistry.h"

#include <cstdio>

k_SceneNode::k_SceneNode() : parent(nullptr) {}

k_SceneNode::~k_SceneNode() {
    removeAllChildren();
}

void k_SceneNode::render() {
    beginRender();
    for (k_SceneNode* child : children) {
        child->render();
    }
    endRender();
}

void k_SceneNode::addChild(k_SceneNode* child) {
    // A node has exactly one owner and the tree has no cycles: anything else would end in a
    // double delete or an endless render, so such a call is refused and the tree kept as is.
    if (child == nullptr) {
        std::fprintf(stderr, "addChild: ignored a null node\n");
        return;
    }
    if (child->parent != nullptr) {
        std::fprintf(stderr, "addChild: ignored a %s that already has a parent\n",
                     child->getTypeName());
        return;
    }
    for (const k_SceneNode* ancestor = this; ancestor != nullptr; ancestor = ancestor->parent) {
        if (ancestor == child) {
            std::fprintf(stderr, "addChild: ignored a %s that would contain itself\n",
                         child->getTypeName());
            return;
        }
    }
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
    // The list is handed over whole before any child is deleted, so no child is still listed
    // when its destructor runs, and children go first to last. Erasing from the front one by
    // one did the same in time quadratic in the count. Repeated in case a destructor added one.
    while (!children.empty()) {
        std::vector<k_SceneNode*> doomed;
        doomed.swap(children);
        for (k_SceneNode* child : doomed) {
            delete child;
        }
    }
    artifactRegistry.clear();
}
