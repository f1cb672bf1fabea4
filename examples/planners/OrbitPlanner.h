#pragma once

#include "planning/MotionPlanner.h"

class k_AnimationManager;

// An example of a built-in planner of your own, from the step's values alone: the camera
// circles the target, level with it and a little above, at the distance it would come to
// rest at, a fixed share of a turn per second, and looks at it. It ignores the other bodies
// (the framework still moves the camera out of any it stands in), so it loses sight of the
// target wherever a body comes between: a baseline to beat, not a planner to use.
class k_OrbitPlanner : public k_MotionPlanner {
public:
    /// Radians per second round the target.
    static constexpr double turnRate = 0.4;
    /// Height above the target's centre, as a share of the orbit's radius.
    static constexpr double rise = 0.3;

    k_OrbitPlanner(k_InformationProvider* provider, k_Camera* camera, k_MainSceneNode* rootNode,
                   const k_AnimationManager* animations);

protected:
    k_PlannerCommand decide(const k_PlannerInput& input) override;
};
