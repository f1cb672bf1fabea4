#pragma once

#include "planning/MotionPlanner.h"

class k_CameraPath;

// A planner that plans nothing: every step it chooses the target as every planner does (the
// provider's choice, at the same moment of the frame) and puts the camera where a given path
// says for that frame, or leaves it where it stands without a path or past its end. So the
// world runs exactly as in a planned run, and the run's figures judge the path.
class k_PathPlayer : public k_MotionPlanner {
public:
    /// `path` (not owned, may be null) must outlive the player.
    k_PathPlayer(k_InformationProvider* provider, k_MainSceneNode* rootNode,
                 const k_CameraPath* path);

    void plan(double dt) override;
    /// A new camera starts the path again from its first frame.
    void setCamera(k_Camera* camera) override;

    /// Steps taken since the camera was set: the frame the latest step played.
    long getFrame() const { return frame; }

private:
    const k_CameraPath* path;
    long frame = 0;
};
