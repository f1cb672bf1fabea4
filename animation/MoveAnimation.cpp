#include "animation/MoveAnimation.h"

#include <cmath>

#include "scenegraph/GenericSceneNode.h"

k_MoveAnimation::k_MoveAnimation(const k_Vector3& velocityValue, k_GenericSceneNode* targetNode)
    : k_Animation(targetNode), velocity(velocityValue) {}

void k_MoveAnimation::animate(double dt) {
    const float step = static_cast<float>(dt);
    target->setTranslation(target->getTranslation() + velocity * step);
}

k_Vector3 k_MoveAnimation::translationChangeOver(double seconds) const {
    if (!enabled) {
        return k_Vector3(0.0f, 0.0f, 0.0f);
    }
    return velocity * static_cast<float>(seconds);
}

double k_MoveAnimation::translationChangeBound(double seconds) const {
    return static_cast<double>(velocity.length()) * std::fabs(seconds);
}
