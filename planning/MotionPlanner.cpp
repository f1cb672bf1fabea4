#include "planning/MotionPlanner.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "camera/Camera.h"
#include "planning/BodyForecast.h"
#include "planning/InformationProvider.h"
#include "planning/PlanSnapshot.h"
#include "planning/RouteBlockers.h"
#include "planning/VisibleShare.h"
#include "platform/Random.h"
#include "scenegraph/Artifact.h"
#include "scenegraph/ArtifactRegistry.h"

namespace {
// A random component in -1.00 .. 0.99 in steps of 0.01, from one draw of the generator.
float randomComponent() {
    return static_cast<float>(static_cast<double>(randomNext() % 200) / 100.0 - 1.0);
}

int registryIndexOf(const k_Artifact* artifact) {
    const auto found = std::find(artifactRegistry.begin(), artifactRegistry.end(), artifact);
    return found == artifactRegistry.end() ? -1
                                           : static_cast<int>(found - artifactRegistry.begin());
}
// The bodies' forecast a planner that asks for bodies is given: the velocity's horizon, then
// ahead far enough to cover the time the camera needs to get somewhere else.
const std::vector<double> inputForecastHorizons{0.0, k_PlannerInput::velocityHorizon, 0.5, 1.0,
                                                2.0};

} // namespace

bool k_PlannerCommand::isFinite() const {
    for (const k_Vector3* v : {&waypoint, &nextWaypoint, &goal, &lookTarget}) {
        if (!std::isfinite(v->x) || !std::isfinite(v->y) || !std::isfinite(v->z)) {
            return false;
        }
    }
    return true;
}

k_MotionPlanner::k_MotionPlanner(k_InformationProvider* providerValue, k_Camera* cameraValue,
                                 k_MainSceneNode* rootNodeValue)
    : waitEvent(true, "WaitEvent"), camera(cameraValue), rootNode(rootNodeValue),
      provider(providerValue), lastStepStats(), budgetHits(0),
      budgetFallback(k_BudgetFallback::partialRoute),
      // A route holds the target, at most 15 search entries and the start-side point.
      route(2 * k_InformationProvider::waypointLimit + 2), searchList() {
    searchList.reserve(2 * k_InformationProvider::waypointLimit + 2);
}

k_MotionPlanner::~k_MotionPlanner() {
    setPlanSnapshot(nullptr);
}

void k_MotionPlanner::refresh() {}

void k_MotionPlanner::setCamera(k_Camera* cameraValue) {
    camera = cameraValue;
    stepCount = 0;
    planTime = 0.0;
    route.clear();
    blockingRecord.clear();
    if (snapshot != nullptr) {
        fillSnapshot(nullptr);
    }
}

void k_MotionPlanner::setPlanSnapshot(k_PlanSnapshot* snapshotValue) {
    if (provider != nullptr) {
        if (snapshotValue != nullptr) {
            provider->addBlockingListener(&blockingRecord);
        } else {
            provider->removeBlockingListener(&blockingRecord);
        }
    }
    snapshot = snapshotValue;
    if (snapshot != nullptr) {
        fillSnapshot(latestTarget());
    }
}

const k_Artifact* k_MotionPlanner::latestTarget() const {
    const int index = lastStepStats.targetIndex;
    if (route.isEmpty() || index < 0 ||
        static_cast<std::size_t>(index) >= artifactRegistry.size()) {
        return nullptr;
    }
    return artifactRegistry[static_cast<std::size_t>(index)];
}

void k_MotionPlanner::waitUntilIdle() {
    waitEvent.wait();
}

void k_MotionPlanner::wantBodies(const k_AnimationManager* animationsValue) {
    bodiesWanted = true;
    animations = animationsValue;
    if (bodyForecast == nullptr) {
        bodyForecast = std::make_unique<k_BodyForecast>(inputForecastHorizons);
    }
}

void k_MotionPlanner::failStep(const std::string& message) {
    if (failure.empty()) {
        failure = message.empty() ? "step " + std::to_string(stepCount) + " failed" : message;
    }
}

k_PlannerCommand k_MotionPlanner::decide(const k_PlannerInput& stepInput) {
    chooseRoute(stepTarget, stepInput.targetCenter, route);
    return k_PlannerCommand{camera->getWaypoint(), camera->getNextWaypoint(), camera->getGoal(),
                            stepInput.targetCenter};
}

void k_MotionPlanner::fillInput(double dt, const k_Vector3& targetCenter, float targetRadius) {
    input.step = stepCount;
    input.time = planTime;
    input.dt = dt;
    input.camera = camera->getMotion();
    input.targetIndex = lastStepStats.targetIndex;
    input.targetCenter = targetCenter;
    input.targetRadius = targetRadius;
    input.bodies.clear();
    input.forecast = nullptr;
    if (!bodiesWanted) {
        return;
    }
    bodyForecast->update(animations);
    const float toVelocity = static_cast<float>(1.0 / k_PlannerInput::velocityHorizon);
    for (std::size_t i = 0; i < bodyForecast->getBodyCount(); ++i) {
        k_PlannerBody body;
        if (bodyForecast->getBody(i) != nullptr) {
            body.center = bodyForecast->getCenter(0, i);
            body.radius = bodyForecast->getRadius(i);
            body.velocity = (bodyForecast->getCenter(1, i) - body.center) * toVelocity;
        }
        input.bodies.push_back(body);
    }
    input.forecast = bodyForecast.get();
}

void k_MotionPlanner::plan(double dt) {
    lastStepStats = k_PlanningStats();
    if (camera == nullptr || provider == nullptr || hasFailed()) {
        return;
    }
    ++stepCount;
    planTime += dt;
    const auto startTime = std::chrono::steady_clock::now();
    waitEvent.reset();
    provider->resetStats();
    blockingRecord.clear();

    k_Artifact* target = provider->getTarget();
    if (target != nullptr) {
        lastStepStats.targetIndex = registryIndexOf(target);
        // One copy of the centre serves the whole step: route, path goal and look target.
        const k_Vector3 targetCenter = target->getTranslation();
        route.headFor(targetCenter);

        relocateCamera(target, targetCenter);
        fillInput(dt, targetCenter, target->getRadius());
        stepTarget = target;
        const k_PlannerCommand command = decide(input);
        stepTarget = nullptr;
        if (!hasFailed() && !command.isFinite()) {
            failStep("step " + std::to_string(stepCount) + ": a coordinate of the command is " +
                     "not a finite number");
        }
        // A failed step leaves the camera where it stands, so that the run ends on the frames
        // that were planned.
        if (!hasFailed()) {
            // The default's decide() has already handed the camera its path: a derived camera
            // sees each path once.
            if (!exactlyEqual(command.waypoint, camera->getWaypoint()) ||
                !exactlyEqual(command.nextWaypoint, camera->getNextWaypoint()) ||
                !exactlyEqual(command.goal, camera->getGoal())) {
                camera->setPath(command.waypoint, command.nextWaypoint, command.goal);
            }
            camera->setLookTarget(command.lookTarget);
            camera->update(dt);
        }
    }
    if (snapshot != nullptr) {
        fillSnapshot(target);
    }

    const k_PlanningStats& searchStats = provider->getStats();
    lastStepStats.findPathCalls = searchStats.findPathCalls;
    lastStepStats.segmentTests += searchStats.segmentTests;
    lastStepStats.sphereTests += searchStats.sphereTests;
    lastStepStats.searchBudgetReached = searchStats.searchBudgetReached;
    if (searchStats.searchBudgetReached) {
        ++budgetHits;
    }
    lastStepStats.searchNanoseconds = searchStats.searchNanoseconds;
    lastStepStats.referenceSearchNanoseconds = searchStats.referenceSearchNanoseconds;
    lastStepStats.referenceSphereTests = searchStats.referenceSphereTests;
    lastStepStats.referenceMismatches = searchStats.referenceMismatches;
    lastStepStats.comparisonNanoseconds = searchStats.comparisonNanoseconds;
    // A reference search run alongside for comparison is not part of this step's cost.
    const std::int64_t stepNanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                             std::chrono::steady_clock::now() - startTime)
                                             .count() -
                                         searchStats.comparisonNanoseconds;
    lastStepStats.stepMicroseconds = stepNanoseconds / 1000;
    if (provider->getCompareReference()) {
        lastStepStats.referenceStepMicroseconds = (stepNanoseconds - searchStats.searchNanoseconds +
                                                   searchStats.referenceSearchNanoseconds) /
                                                  1000;
    }
    waitEvent.set();
}

void k_MotionPlanner::relocateCamera(const k_Artifact* target, const k_Vector3& targetCenter) {
    while (provider->isInsideArtifact(camera->getPosition(), target, 0.0)) {
        if (lastStepStats.relocationAttempts == static_cast<std::uint64_t>(maxRelocationAttempts)) {
            // Nowhere around the target is free: stay at the last probe and plan from there.
            lastStepStats.relocationLimitReached = true;
            return;
        }
        ++lastStepStats.relocationAttempts;

        // Exactly six draws per attempt, in this order: multiplier, x, y, z, look x, look z.
        const int multiplier = randomNext() % 5 + 1;
        const double probeDistance =
            multiplier * camera->getStopDistance() + static_cast<double>(target->getRadius());
        const float x = randomComponent();
        const float y = randomComponent();
        const float z = randomComponent();
        k_Vector3 offset(x, y, z);
        offset.normalize();
        offset = offset * static_cast<float>(probeDistance);
        const k_Vector3 probe = targetCenter + offset;

        const float lookX = randomComponent();
        const float lookZ = randomComponent();
        // Level with the probe, so the camera comes to rest looking horizontally.
        const k_Vector3 lookAtPoint(probe.x + lookX, probe.y, probe.z + lookZ);
        camera->reset(probe, lookAtPoint);
    }
}

k_SearchOutcome k_MotionPlanner::searchRoute(const k_Vector3& goal, const k_Artifact* ignored,
                                             k_SearchDirection direction, k_Route& into) {
    const k_Vector3 eye = camera->getPosition();
    searchList.assign(1, goal);
    provider->beginSearch(direction);
    const bool found = direction == k_SearchDirection::fromEye
                           ? provider->findPath(eye, goal, ignored, searchList, 0)
                           : provider->findPath(goal, eye, ignored, searchList, 0);
    if (found && searchList.size() >= 2) {
        into.takeSearch(searchList, direction);
        return k_SearchOutcome::found;
    }
    return provider->getBudget().isReached() ? k_SearchOutcome::budgetReached
                                             : k_SearchOutcome::notFound;
}

void k_MotionPlanner::chooseRoute(const k_Artifact* target, const k_Vector3& targetCenter,
                                  k_Route& route) {
    const double quarterRadius = 0.25 * static_cast<double>(target->getRadius());
    // A target that overlaps another body cannot be reached around it: head straight in.
    if (!provider->isInsideArtifact(targetCenter, target, quarterRadius)) {
        // From the eye first; where that finds nothing, from the target back to the eye.
        k_SearchOutcome outcome = k_SearchOutcome::notFound;
        for (k_SearchDirection direction :
             {k_SearchDirection::fromEye, k_SearchDirection::fromGoal}) {
            outcome = searchRoute(targetCenter, target, direction, route);
            if (outcome == k_SearchOutcome::found) {
                camera->setPath(route.getWaypoint(), route.getNextWaypoint(), targetCenter);
                return;
            }
        }
        if (outcome == k_SearchOutcome::budgetReached && chooseFallback(targetCenter)) {
            return;
        }
    }
    k_Vector3 heading = targetCenter - camera->getPosition();
    heading.normalize();
    camera->setPath(targetCenter, targetCenter + heading, targetCenter);
}

bool k_MotionPlanner::chooseFallback(const k_Vector3& targetCenter) {
    if (budgetFallback == k_BudgetFallback::keepPath) {
        // Only while the old waypoint still lies ahead of the eye: once passed, an eye that
        // brakes on the straight line through it can reverse and speed off backward for good.
        const k_Vector3 waypoint = camera->getWaypoint();
        if (dot(waypoint - camera->getPosition(), camera->getVelocity()) <= 0.0f) {
            return false;
        }
        camera->setPath(waypoint, camera->getNextWaypoint(), targetCenter);
        return true;
    }
    if (budgetFallback == k_BudgetFallback::partialRoute) {
        const k_PartialRoute& partial = provider->getPartialRoute();
        if (partial.getChain().size() < 2) {
            return false;
        }
        // The chain starts from the same list as the route, so it is the step's route.
        route.takeChain(partial.getChain(), partial.getDirection());
        camera->setPath(route.getWaypoint(), route.getNextWaypoint(), targetCenter);
        return true;
    }
    return false;
}

void k_MotionPlanner::fillSnapshot(const k_Artifact* target) {
    k_PlanSnapshot& out = *snapshot;
    if (camera == nullptr) {
        out.clear();
        return;
    }
    out.planned = true;
    out.eye = camera->getPosition();
    out.lookAt = camera->getLookAt();
    out.up = camera->getUp();
    out.hasTarget = target != nullptr;
    // Bodies stand still while a step runs: the centre is the one the step planned for.
    out.target = out.hasTarget ? k_BoundingSphere(target->getTranslation(), target->getRadius())
                               : k_BoundingSphere();
    out.targetVisibleShare = k_VisibleShare::ofRegisteredBody(out.eye, target);
    out.blockers.assign(blockingRecord.getSpheres().begin(), blockingRecord.getSpheres().end());
    out.route.clear();
    out.curve.clear();
    if (out.hasTarget && !route.isEmpty()) {
        out.route.push_back(out.eye);
        out.route.insert(out.route.end(), route.getPoints().begin(), route.getPoints().end());
        for (int i = 0; i <= k_PlanSnapshot::curveSamples; ++i) {
            out.curve.push_back(
                camera->curveToWaypoint(static_cast<float>(i) / k_PlanSnapshot::curveSamples));
        }
    }
    out.routeBlockers = routeBlockers(out.route, out.blockers);
    out.bodies.clear();
    for (const k_Artifact* body : artifactRegistry) {
        if (body != nullptr && body != target) {
            out.bodies.push_back(k_BoundingSphere(body->getTranslation(), body->getRadius()));
        }
    }
}
