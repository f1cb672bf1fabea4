#pragma once

#include "animation/Animation.h"
#include "math/Vector3.h"

// Moves its target at a constant velocity while swinging it sinusoidally: after a running
// time T the target has moved by velocity * T + amplitude * sin(pi * T / period) (or the
// sine's absolute value, a bouncing swing on the side of +amplitude). The swing is applied as
// a change of offset each frame, so other animations on the same target still add up.
class k_SnakeMoveAnimation : public k_Animation {
public:
    /// A zero or non-finite period gives no swing; the velocity still applies.
    k_SnakeMoveAnimation(const k_Vector3& velocity, const k_Vector3& amplitude, double period,
                         k_GenericSceneNode* target, bool absoluteSine);

    double getTime() const { return time; }
    double getPeriod() const { return period; }
    bool isAbsoluteSine() const { return absoluteSine; }
    k_Vector3 getVelocity() const { return velocity; }
    k_Vector3 getAmplitude() const { return amplitude; }

    k_Vector3 translationChangeOver(double seconds) const override;
    double translationChangeBound(double seconds) const override;

protected:
    void animate(double dt) override;

private:
    double swing(double atTime) const;

    bool absoluteSine;
    double time;
    double period;
    k_Vector3 velocity;
    k_Vector3 amplitude;
    /// swing(time), kept from the last frame: a planner's look-ahead asks for the change
    /// from now at every horizon of every body, and the sine is most of its cost.
    double swingNow;
};
