#include "planning/FastPathSearch.h"

#include "planning/BlockingListener.h"
#include "planning/SearchGeometry.h"
#include "scenegraph/Artifact.h"

using namespace searchGeometry;

k_FastPathSearch::k_FastPathSearch(const std::vector<k_Vector3>& directions, int maxDepthValue,
                                   std::size_t waypointLimitValue,
                                   const std::vector<k_BlockingListener*>& listenersValue)
    : grid(), registry(nullptr), testsInSearch(0), budget(nullptr), order(directions),
      candidateLists(waypointLimitValue + 1), maxDepth(maxDepthValue),
      waypointLimit(waypointLimitValue), listeners(listenersValue) {
    // Full size up front: a level first reached mid-run then allocates nothing.
    for (std::vector<k_Vector3>& list : candidateLists) {
        list.reserve(keptCandidateCount(directions.size()));
    }
}

bool k_FastPathSearch::findPath(const std::vector<k_Artifact*>& registryValue,
                                const k_Vector3& start, const k_Vector3& goal,
                                const k_Artifact* ignored, std::vector<k_Vector3>& waypoints,
                                int depth, k_PlanningStats& stats, k_SearchBudget& budgetValue) {
    registry = &registryValue;
    testsInSearch = 0;
    budget = &budgetValue;
    return search(start, goal, ignored, waypoints, depth, 0, stats);
}

void k_FastPathSearch::tellListeners(const k_Ray& segment, const k_Artifact* blocker,
                                     const k_Artifact* ignored) {
    if (listeners.empty()) {
        return;
    }
    if (blocker == nullptr) {
        // The grid does not say which body: the first in registry order that the segment
        // hits, as the reference names it; the snapshot is the registry as it stands. Not
        // counted: the walk is for the listeners, not part of the search.
        std::uint64_t uncounted = 0;
        blocker = firstBodyHit(*registry, segment, ignored, uncounted);
    }
    for (k_BlockingListener* listener : listeners) {
        listener->segmentBlocked(blocker);
    }
}

bool k_FastPathSearch::isBlocked(const k_Ray& segment, const k_Artifact* ignored,
                                 k_PlanningStats& stats) {
    if (++testsInSearch == 1) {
        const k_Artifact* blocker = firstBodyHit(*registry, segment, ignored, stats.sphereTests);
        if (blocker != nullptr) {
            tellListeners(segment, blocker, ignored);
        }
        return blocker != nullptr;
    }
    if (testsInSearch == 2) {
        // The bodies stand still while a search runs, so one snapshot serves all its tests.
        grid.build(*registry);
    }
    const bool blocked = grid.isSegmentBlocked(segment, ignored, stats.sphereTests);
    if (blocked) {
        tellListeners(segment, nullptr, ignored);
    }
    return blocked;
}

bool k_FastPathSearch::search(const k_Vector3& start, const k_Vector3& goal,
                              const k_Artifact* ignored, std::vector<k_Vector3>& waypoints,
                              int depth, std::size_t level, k_PlanningStats& stats) {
    // Each pass of this loop is one call of the reference: a retry at the next depth is its
    // last action, so it can reuse this level's candidate list.
    for (;; ++depth) {
        if (budget->isReached()) {
            return false;
        }
        ++stats.findPathCalls;
        if (depth < 0 || depth >= maxDepth) {
            return false;
        }
        if (waypoints.size() > waypointLimit) {
            return false;
        }
        const k_Ray segment = segmentBetween(start, goal);
        const k_Vector3 reference = referencePoint(start, segment, depth, maxDepth);
        if (!budget->trySpend()) {
            return false;
        }
        if (!isBlocked(segment, ignored, stats)) {
            waypoints.push_back(reference);
            return true;
        }

        // Every nesting level added one waypoint and the list holds at most waypointLimit
        // here, so level <= waypointLimit: the lists exist and never move while in use.
        std::vector<k_Vector3>& candidates = candidateLists[level];
        order.build(reference, goal, candidates);
        for (const k_Vector3& candidate : candidates) {
            if (!budget->trySpend()) {
                return false;
            }
            const k_Ray probe = segmentBetween(goal, candidate);
            if (isBlocked(probe, ignored, stats)) {
                continue;
            }
            const k_Vector3 intermediateGoal = midpointOf(goal, probe);
            if (isNearAny(intermediateGoal, waypoints)) {
                continue;
            }
            // The reference tries a copy of the list; trying on the list itself and cutting
            // it back on failure leaves the same contents, since a failed nested call
            // appends nothing.
            const std::size_t before = waypoints.size();
            waypoints.push_back(intermediateGoal);
            budget->offer(start, waypoints);
            if (search(start, intermediateGoal, ignored, waypoints, depth, level + 1, stats) &&
                waypoints.size() <= waypointLimit) {
                return true;
            }
            waypoints.resize(before);
            if (budget->isReached()) {
                return false;
            }
        }
    }
}
