#pragma once

#include "animation/Animation.h"
#include "math/Vector3.h"

// Moves its target at a constant velocity (units per second).
class k_MoveAnimation : public k_Animation {
public:
    k_MoveAnimation(const k_Vector3& velocity, k_GenericSceneNode* target);

    k_Vector3 getVelocity() const { return velocity; }

    k_Vector3 translationChangeOver(double seconds) const override;
    double translationChangeBound(double seconds) const override;

protected:
    void animate(double dt) override;

private:
    k_Vector3 velocity;
};
