#include "tools/sim/PathPlayer.h"

#include <algorithm>

#include "camera/Camera.h"
#include "planning/InformationProvider.h"
#include "scenegraph/ArtifactRegistry.h"
#include "tools/sim/CameraPath.h"

k_PathPlayer::k_PathPlayer(k_InformationProvider* provider, k_MainSceneNode* rootNode,
                           const k_CameraPath* pathValue)
    : k_MotionPlanner(provider, nullptr, rootNode), path(pathValue) {}

void k_PathPlayer::setCamera(k_Camera* camera) {
    k_MotionPlanner::setCamera(camera);
    frame = 0;
}

void k_PathPlayer::plan(double dt) {
    k_PlanningStats& stats = getStepStats();
    stats = k_PlanningStats();
    k_Camera* camera = getCamera();
    if (camera == nullptr || getProvider() == nullptr) {
        return;
    }
    ++frame;
    const k_Artifact* target = getProvider()->getTarget();
    if (target != nullptr) {
        const auto found = std::find(artifactRegistry.begin(), artifactRegistry.end(), target);
        stats.targetIndex = found == artifactRegistry.end()
                                ? -1
                                : static_cast<int>(found - artifactRegistry.begin());
    }
    if (path == nullptr || frame > static_cast<long>(path->getFrames().size())) {
        return;
    }
    const k_CameraPath::Frame& row = path->getFrames()[static_cast<std::size_t>(frame - 1)];
    k_CameraMotion motion = camera->getMotion();
    // The velocity is the frame's step, so that a trace of the replay reads as one of a run.
    motion.velocity = dt > 0.0 ? (row.eye - motion.position) * static_cast<float>(1.0 / dt)
                               : k_Vector3(0.0f, 0.0f, 0.0f);
    motion.position = row.eye;
    motion.lookAt = row.lookAt;
    motion.lookTarget = row.lookAt;
    motion.lookSpeed = 0.0;
    if (row.hasUp) {
        motion.up = row.up;
    }
    motion.waypoint = motion.nextWaypoint = motion.goal = row.eye;
    camera->setMotion(motion);
    if (!row.hasUp) {
        // Levels the view from the previous frame's up, as the camera does when it moves.
        camera->updateUp(dt);
    }
    stats.relocationAttempts = static_cast<std::uint64_t>(row.relocations);
}
