#include "tools/sim/SimRunner.h"

#include <limits>

#include "camera/Camera.h"
#include "planning/MotionPlanner.h"
#include "scenegraph/Artifact.h"
#include "scenegraph/ArtifactRegistry.h"
#include "tools/sim/RunSummary.h"
#include "tools/sim/SvgPlot.h"
#include "tools/sim/TraceWriter.h"

k_SimRunner::k_SimRunner(UpdateFunction updateFunction, const k_MotionPlanner* plannerValue)
    : update(std::move(updateFunction)), planner(plannerValue) {}

void k_SimRunner::setCapture(long every, CaptureFunction captureFunction) {
    captureEvery = every;
    capture = std::move(captureFunction);
}

k_FrameRecord k_SimRunner::recordFrame(long frame, double dt, const k_MotionPlanner& planner) {
    k_FrameRecord record;
    record.frame = frame;
    record.t = static_cast<double>(frame) * dt;
    const k_PlanningStats& stats = planner.getLastStepStats();
    record.target = stats.targetIndex;
    record.relocations = stats.relocationAttempts;
    record.findPathCalls = stats.findPathCalls;
    record.segmentTests = stats.segmentTests;
    record.sphereTests = stats.sphereTests;
    record.planMicroseconds = stats.stepMicroseconds;
    record.searchNanoseconds = stats.searchNanoseconds;
    record.referencePlanMicroseconds = stats.referenceStepMicroseconds;
    record.referenceSearchNanoseconds = stats.referenceSearchNanoseconds;
    record.referenceSphereTests = stats.referenceSphereTests;
    record.mismatches = stats.referenceMismatches;
    record.budgetHit = stats.searchBudgetReached;
    if (const k_Camera* camera = planner.getCamera()) {
        record.cameraPosition = camera->getPosition();
        record.lookAt = camera->getLookAt();
        record.up = camera->getUp();
        record.velocity = camera->getVelocity();
        record.lookSpeed = camera->getLookSpeed();
    }
    if (record.target >= 0 && static_cast<std::size_t>(record.target) < artifactRegistry.size() &&
        artifactRegistry[static_cast<std::size_t>(record.target)] != nullptr) {
        record.targetPosition =
            artifactRegistry[static_cast<std::size_t>(record.target)]->getTranslation();
    }
    return record;
}

void k_SimRunner::collectBodies(std::vector<k_QualityMetrics::Sphere>& bodies) {
    bodies.clear();
    for (const k_Artifact* artifact : artifactRegistry) {
        if (artifact == nullptr) {
            // Keeps the indices equal to the registry's; a zero sphere blocks nothing.
            bodies.push_back(k_QualityMetrics::Sphere{0.0, 0.0, 0.0, 0.0});
            continue;
        }
        const k_Vector3 center = artifact->getTranslation();
        bodies.push_back(k_QualityMetrics::Sphere{center.x, center.y, center.z,
                                                  static_cast<double>(artifact->getRadius())});
    }
}

bool k_SimRunner::run(long frames, double dt, k_RunSummary& summary, std::string& error) {
    if (planner == nullptr) {
        error = "the scene has no motion planner";
        return false;
    }
    if (const k_Camera* camera = planner->getCamera()) {
        summary.quality().setRestDistance(camera->getStopDistance());
    }
    std::vector<k_QualityMetrics::Sphere> bodies;
    if (plot != nullptr) {
        collectBodies(bodies);
        std::vector<k_SvgPlot::Body> starts;
        for (const k_QualityMetrics::Sphere& body : bodies) {
            starts.push_back(k_SvgPlot::Body{body.x, body.z, body.radius});
        }
        plot->setBodies(starts);
    }
    if (trace != nullptr) {
        trace->writeHeader();
    }

    stopped = false;
    for (long frame = 1; frame <= frames; ++frame) {
        if (stopCheck && stopCheck()) {
            stopped = true;
            break;
        }
        update(dt);
        // A step the planner failed did not move the camera: the run ends on the frames
        // before it.
        if (planner->hasFailed()) {
            stopped = true;
            break;
        }
        k_FrameRecord record = recordFrame(frame, dt, *planner);
        if (recordFilter) {
            recordFilter(record);
        }
        collectBodies(bodies);
        const k_Vector3& eye = record.cameraPosition;
        summary.quality().addFrame(frame, k_QualityMetrics::Point{eye.x, eye.y, eye.z}, bodies,
                                   record.target);
        const k_Vector3& lookAt = record.lookAt;
        summary.quality().addView(frame, k_QualityMetrics::Point{eye.x, eye.y, eye.z},
                                  k_QualityMetrics::Point{lookAt.x, lookAt.y, lookAt.z}, dt);
        if (record.relocations > 0) {
            summary.quality().addPushOut(frame);
        }
        const k_QualityMetrics::FrameSample& sample = summary.quality().getLastSample();
        record.visibleShare =
            sample.hasTarget ? sample.visibleShare : std::numeric_limits<double>::quiet_NaN();
        record.hidden = sample.hidden;
        record.engulfed = sample.engulfed;
        record.inside = sample.inside;
        record.viewTurnRate = summary.quality().getLastViewTurnRate();
        summary.addFrame(record);
        if (trace != nullptr) {
            trace->writeRow(record);
        }
        if (plot != nullptr) {
            plot->addFrame(record.t, eye.x, eye.z, record.target, record.targetPosition.x,
                           record.targetPosition.z, record.planMicroseconds);
        }
        if (capture && captureEvery > 0 && frame % captureEvery == 0 && !capture(frame, error)) {
            return false;
        }
        if (frameDone) {
            frameDone(frame);
        }
    }
    return true;
}
