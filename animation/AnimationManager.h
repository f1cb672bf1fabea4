#pragma once

#include <vector>

#include "math/Vector3.h"

class k_Animation;
class k_GenericSceneNode;

// Owns every animation of the current scene. Scene builders create animations only through
// the add operations (each returns the animation already started); the scene controller
// advances them once per frame and clears them when a scene is replaced.
class k_AnimationManager {
public:
    k_AnimationManager();
    /// Deletes every animation (clear()).
    virtual ~k_AnimationManager();

    /// Advances every animation, front to back; called once per frame by the scene controller.
    virtual void update(double dt);
    /// Deletes every animation in the order they were added; the targets are untouched, so
    /// the nodes may already be gone as long as no update comes in between.
    virtual void clear();
    virtual k_Animation* addRotationAnimation(const k_Vector3& angularVelocity,
                                              k_GenericSceneNode* target);
    virtual k_Animation* addMoveAnimation(const k_Vector3& velocity, k_GenericSceneNode* target);
    virtual k_Animation* addSnakeMoveAnimation(const k_Vector3& velocity,
                                               const k_Vector3& amplitude, double period,
                                               k_GenericSceneNode* target, bool absoluteSine);

    /// Takes ownership of `animation`, starts it and returns it: for kinds the add operations
    /// do not make.
    k_Animation* adopt(k_Animation* animation);

    const std::vector<k_Animation*>& getAnimations() const { return animations; }

    k_AnimationManager(const k_AnimationManager&) = delete;
    k_AnimationManager& operator=(const k_AnimationManager&) = delete;

private:
    std::vector<k_Animation*> animations;
};
