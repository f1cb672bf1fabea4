#include "scenegraph/Artifact.h"

// Until a builder sets it, a body would not be registered.
k_Artifact::k_Artifact() : interest(-1) {}

k_Artifact::~k_Artifact() = default;

void k_Artifact::setInterest(int value) {
    interest = value;
}

int k_Artifact::getInterest() const {
    return interest;
}

void k_Artifact::beginRender() {
    k_GenericSceneNode::beginRender();
    drawShape();
}

void k_Artifact::endRender() {
    k_GenericSceneNode::endRender();
}
