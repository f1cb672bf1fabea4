#pragma once

#include "animation/Animation.h"
#include "math/Vector3.h"

// Spins its target at constant rates (degrees per second about x, y and z). The angles are
// never wrapped; they grow for as long as the animation runs.
class k_RotationAnimation : public k_Animation {
public:
    k_RotationAnimation(const k_Vector3& angularVelocity, k_GenericSceneNode* target);

    k_Vector3 getAngularVelocity() const { return angularVelocity; }

protected:
    void animate(double dt) override;

private:
    k_Vector3 angularVelocity;
};
