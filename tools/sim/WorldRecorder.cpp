#include "tools/sim/WorldRecorder.h"

#include "camera/Camera.h"
#include "planning/MotionPlanner.h"
#include "tools/sim/SimRunner.h"

double k_WorldRecorder::topSpeed(double maxSpeed, double acceleration, double dt) {
    return maxSpeed + acceleration * dt;
}

k_WorldRecording k_WorldRecorder::record(const UpdateFunction& update,
                                         const k_MotionPlanner& planner, long frames, double dt,
                                         const std::function<bool()>& stopCheck) {
    k_WorldRecording recording;
    recording.dt = dt;
    recording.margin = margin;
    if (const k_Camera* camera = planner.getCamera()) {
        const k_Vector3 start = camera->getPosition();
        recording.cameraStart = k_WorldRecording::Point{start.x, start.y, start.z};
        recording.maxSpeed = topSpeed(camera->getMaxSpeed(), camera->getAcceleration(), dt);
        // The default planner's camera heads for the target's centre and brakes once its
        // braking distance plus the stop distance reaches it: it comes to rest at the stop
        // distance (measured: 10.00 +- 0.004 for a stop distance of 10, 7.00 +- 0.02 for 7).
        recording.restDistance = camera->getStopDistance();
    }
    recording.frames.reserve(static_cast<std::size_t>(frames));
    for (long frame = 1; frame <= frames; ++frame) {
        if (stopCheck && stopCheck()) {
            break;
        }
        update(dt);
        k_WorldRecording::Frame recorded;
        recorded.target = planner.getLastStepStats().targetIndex;
        k_SimRunner::collectBodies(recorded.bodies);
        recording.frames.push_back(std::move(recorded));
    }
    return recording;
}
