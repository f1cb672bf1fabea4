#include "animation/RotationAnimation.h"

#include "scenegraph/GenericSceneNode.h"

k_RotationAnimation::k_RotationAnimation(const k_Vector3& angularVelocityValue,
                                         k_GenericSceneNode* targetNode)
    : k_Animation(targetNode), angularVelocity(angularVelocityValue) {}

void k_RotationAnimation::animate(double dt) {
    const float step = static_cast<float>(dt);
    target->setRotation(target->getRotation() + angularVelocity * step);
}
