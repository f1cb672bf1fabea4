#include "animation/Animation.h"

k_Animation::k_Animation(k_GenericSceneNode* targetNode) : target(targetNode), enabled(false) {}

k_Animation::~k_Animation() = default;

void k_Animation::update(double dt) {
    if (enabled) {
        animate(dt);
    }
}

void k_Animation::start() {
    enabled = true;
}

void k_Animation::stop() {
    enabled = false;
}

k_Vector3 k_Animation::translationChangeOver(double) const {
    return k_Vector3(0.0f, 0.0f, 0.0f);
}

double k_Animation::translationChangeBound(double) const {
    return 0.0;
}
