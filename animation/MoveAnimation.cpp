#include "animation/MoveAnimation.h"

#include "scenegraph/GenericSceneNode.h"

k_MoveAnimation::k_MoveAnimation(const k_Vector3& velocityValue, k_GenericSceneNode* targetNode)
    : k_Animation(targetNode), velocity(velocityValue) {}

void k_MoveAnimation::animate(double dt) {
    const float step = static_cast<float>(dt);
    target->setTranslation(target->getTranslation() + velocity * step);
}
