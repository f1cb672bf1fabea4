#include "animation/AnimationManager.h"

#include "animation/Animation.h"
#include "animation/MoveAnimation.h"
#include "animation/RotationAnimation.h"
#include "animation/SnakeMoveAnimation.h"

k_AnimationManager::k_AnimationManager() = default;

k_AnimationManager::~k_AnimationManager() {
    clear();
}

void k_AnimationManager::update(double dt) {
    for (k_Animation* animation : animations) {
        animation->update(dt);
    }
}

void k_AnimationManager::clear() {
    // The list is handed over whole before any animation is deleted, so none is still listed
    // when its destructor runs, and they go first added first. Erasing from the front one by
    // one did the same in time quadratic in the count. Repeated in case a destructor added one.
    while (!animations.empty()) {
        std::vector<k_Animation*> doomed;
        doomed.swap(animations);
        for (k_Animation* animation : doomed) {
            delete animation;
        }
    }
}

k_Animation* k_AnimationManager::adopt(k_Animation* animation) {
    animations.push_back(animation);
    animation->start();
    return animation;
}

k_Animation* k_AnimationManager::addRotationAnimation(const k_Vector3& angularVelocity,
                                                      k_GenericSceneNode* target) {
    return adopt(new k_RotationAnimation(angularVelocity, target));
}

k_Animation* k_AnimationManager::addMoveAnimation(const k_Vector3& velocity,
                                                  k_GenericSceneNode* target) {
    return adopt(new k_MoveAnimation(velocity, target));
}

k_Animation* k_AnimationManager::addSnakeMoveAnimation(const k_Vector3& velocity,
                                                       const k_Vector3& amplitude, double period,
                                                       k_GenericSceneNode* target,
                                                       bool absoluteSine) {
    return adopt(new k_SnakeMoveAnimation(velocity, amplitude, period, target, absoluteSine));
}
