#pragma once

#include "math/Vector3.h"

class k_GenericSceneNode;

// Base of the time-driven changes of one node. An animation reads the node's current
// translation or rotation, adds its own increment for the frame and writes the result back,
// so several animations on one node add up. It starts disabled; the manager starts it.
class k_Animation {
public:
    /// `target` is not owned and must outlive every update of this animation.
    explicit k_Animation(k_GenericSceneNode* target);
    /// Leaves the target untouched.
    virtual ~k_Animation();

    /// Advances the target by `dt` seconds if enabled; called once per frame by the manager.
    virtual void update(double dt);
    virtual void start();
    /// Pauses without losing state.
    virtual void stop();
    /// How much this animation will have moved its target after `seconds` more of running,
    /// worked out from its own law of time without touching the target or its own state;
    /// zero for one that moves nothing or is stopped. Lets a planner look ahead.
    virtual k_Vector3 translationChangeOver(double seconds) const;
    /// The farthest this animation can move its target over any `seconds` of running, whether
    /// running now or stopped: translationChangeOver() never exceeds it. Lets a planner leave
    /// out bodies that cannot come near, without looking ahead at each.
    virtual double translationChangeBound(double seconds) const;

    bool isEnabled() const { return enabled; }
    k_GenericSceneNode* getTarget() const { return target; }

    k_Animation(const k_Animation&) = delete;
    k_Animation& operator=(const k_Animation&) = delete;

protected:
    virtual void animate(double dt) = 0;

    k_GenericSceneNode* target;
    bool enabled;
};
