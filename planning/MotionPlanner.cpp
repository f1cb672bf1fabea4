#include "planning/MotionPlanner.h"

#include <algorithm>
#include <chrono>

#include "camera/Camera.h"
#include "planning/InformationProvider.h"
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
} // namespace

k_MotionPlanner::k_MotionPlanner(k_InformationProvider* providerValue, k_Camera* cameraValue,
                                 k_MainSceneNode* rootNodeValue)
    : waitEvent(true, "WaitEvent"), camera(cameraValue), rootNode(rootNodeValue),
      provider(providerValue), lastStepStats(), budgetHits(0),
      budgetFallback(k_BudgetFallback::partialRoute), route() {
    // A route holds the target, at most 15 search entries and the start-side point.
    route.reserve(2 * k_InformationProvider::waypointLimit + 2);
}

k_MotionPlanner::~k_MotionPlanner() {}

void k_MotionPlanner::refresh() {}

void k_MotionPlanner::setCamera(k_Camera* cameraValue) {
    camera = cameraValue;
}

void k_MotionPlanner::waitUntilIdle() {
    waitEvent.wait();
}

void k_MotionPlanner::plan(double dt) {
    lastStepStats = k_PlanningStats();
    if (camera == nullptr || provider == nullptr) {
        return;
    }
    const auto startTime = std::chrono::steady_clock::now();
    waitEvent.reset();
    provider->resetStats();

    k_Artifact* target = provider->getTarget();
    if (target != nullptr) {
        lastStepStats.targetIndex = registryIndexOf(target);
        // One snapshot of the centre serves the whole step: route, path goal and look target.
        const k_Vector3 targetCenter = target->getTranslation();
        route.clear();
        route.push_back(targetCenter);

        relocateCamera(target, targetCenter);
        chooseRoute(target, targetCenter, route);
        camera->setLookTarget(targetCenter);
        camera->update(dt);
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

void k_MotionPlanner::chooseRoute(const k_Artifact* target, const k_Vector3& targetCenter,
                                  std::vector<k_Vector3>& route) {
    const double quarterRadius = 0.25 * static_cast<double>(target->getRadius());
    routeReversed = false;
    // A target that overlaps another body cannot be reached around it: head straight in.
    if (!provider->isInsideArtifact(targetCenter, target, quarterRadius)) {
        // The forward route is read from its end: the start-side point, then the
        // intermediate goals towards the target.
        if (provider->findPath(camera->getPosition(), targetCenter, target, route, 0) &&
            route.size() >= 2) {
            const std::size_t count = route.size();
            const k_Vector3 waypoint = route[count - 2];
            const k_Vector3 nextWaypoint = count >= 3 ? route[count - 3] : waypoint;
            camera->setPath(waypoint, nextWaypoint, targetCenter);
            return;
        }
        // The reversed route runs from the camera's side back to the target, so the
        // intermediate goal nearest the camera comes right after the target's entry.
        if (provider->findPath(targetCenter, camera->getPosition(), target, route, 0) &&
            route.size() >= 2) {
            routeReversed = true;
            const k_Vector3 waypoint = route[1];
            const k_Vector3 nextWaypoint = route.size() >= 3 ? route[2] : waypoint;
            camera->setPath(waypoint, nextWaypoint, targetCenter);
            return;
        }
        if (provider->getStats().searchBudgetReached && chooseFallback(targetCenter)) {
            return;
        }
    }
    k_Vector3 heading = targetCenter - camera->getPosition();
    heading.normalize();
    camera->setPath(targetCenter, targetCenter + heading, targetCenter);
}

bool k_MotionPlanner::chooseFallback(const k_Vector3& targetCenter) {
    const k_Vector3 eye = camera->getPosition();
    if (budgetFallback == k_BudgetFallback::keepPath) {
        // Only while the old waypoint still lies ahead of the eye: once passed, an eye that
        // brakes on the straight line through it can reverse and speed off backward for good.
        const k_Vector3 waypoint = camera->getWaypoint();
        if (dot(waypoint - eye, camera->getVelocity()) <= 0.0f) {
            return false;
        }
        camera->setPath(waypoint, camera->getNextWaypoint(), targetCenter);
        return true;
    }
    if (budgetFallback == k_BudgetFallback::partialRoute) {
        const k_PartialRoute& partial = provider->getPartialRoute();
        const std::vector<k_Vector3>& chain = partial.getChain();
        if (chain.size() < 2) {
            return false;
        }
        const k_Vector3& start = partial.getStart();
        const bool forward = start.x == eye.x && start.y == eye.y && start.z == eye.z;
        // Read like the routes above: a forward chain from its end, a reversed one from its front.
        const std::size_t count = chain.size();
        const k_Vector3 waypoint = forward ? chain[count - 1] : chain[1];
        const k_Vector3 nextWaypoint =
            forward ? chain[count - 2] : (count >= 3 ? chain[2] : chain[1]);
        camera->setPath(waypoint, nextWaypoint, targetCenter);
        // The chain starts from the same list as the route, so it is the step's route.
        route.assign(chain.begin(), chain.end());
        routeReversed = !forward;
        return true;
    }
    return false;
}
