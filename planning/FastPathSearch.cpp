#include "planning/FastPathSearch.h"

#include "planning/BlockingRecord.h"
#include "planning/SearchGeometry.h"
#include "scenegraph/Artifact.h"

using namespace searchGeometry;

k_FastPathSearch::k_FastPathSearch(const std::vector<k_Vector3>& directions, int maxDepthValue,
                                   std::size_t waypointLimitValue)
    : grid(), registry(nullptr), testsInSearch(0), budget(0), partial(nullptr), order(directions),
      candidateLists(waypointLimitValue + 1), maxDepth(maxDepthValue),
      waypointLimit(waypointLimitValue) {
    // Full size up front: a level first reached mid-run then allocates nothing.
    for (std::vector<k_Vector3>& list : candidateLists) {
        list.reserve(keptCandidateCount(directions.size()));
    }
}

bool k_FastPathSearch::findPath(const std::vector<k_Artifact*>& registryValue,
                                const k_Vector3& start, const k_Vector3& goal,
                                const k_Artifact* ignored, std::vector<k_Vector3>& waypoints,
                                int depth, k_PlanningStats& stats, std::uint64_t budgetValue,
                                k_PartialRoute* partialValue) {
    registry = &registryValue;
    testsInSearch = 0;
    budget = budgetValue;
    partial = budgetValue != 0 ? partialValue : nullptr;
    return search(start, goal, ignored, waypoints, depth, 0, stats);
}

bool k_FastPathSearch::isBlocked(const k_Ray& segment, const k_Artifact* ignored,
                                 k_PlanningStats& stats) {
    if (budget != 0 && stats.segmentTests >= budget) {
        // Reported as blocked; every caller checks the flag before it uses the answer.
        stats.searchBudgetReached = true;
        return true;
    }
    ++stats.segmentTests;
    if (++testsInSearch == 1) {
        for (const k_Artifact* artifact : *registry) {
            if (artifact == nullptr || artifact == ignored) {
                continue;
            }
            ++stats.sphereTests;
            const float radius = enlargedRadius(artifact->getRadius());
            if (segment.hits(k_BoundingSphere(artifact->getTranslation(), radius))) {
                if (blockingRecord != nullptr) {
                    blockingRecord->add(artifact);
                }
                return true;
            }
        }
        return false;
    }
    if (testsInSearch == 2) {
        // The bodies stand still while a search runs, so one snapshot serves all its tests.
        grid.build(*registry);
    }
    const bool blocked = grid.isSegmentBlocked(segment, ignored, stats.sphereTests);
    if (blocked && blockingRecord != nullptr) {
        // The grid does not say which body; the snapshot is the registry as it stands.
        blockingRecord->addFirstHit(*registry, segment, ignored);
    }
    return blocked;
}

bool k_FastPathSearch::search(const k_Vector3& start, const k_Vector3& goal,
                              const k_Artifact* ignored, std::vector<k_Vector3>& waypoints,
                              int depth, std::size_t level, k_PlanningStats& stats) {
    // Each pass of this loop is one call of the reference: a retry at the next depth is its
    // last action, so it can reuse this level's candidate list.
    for (;; ++depth) {
        if (stats.searchBudgetReached) {
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
        if (!isBlocked(segment, ignored, stats)) {
            waypoints.push_back(reference);
            return true;
        }
        if (stats.searchBudgetReached) {
            return false;
        }

        // Every nesting level added one waypoint and the list holds at most waypointLimit
        // here, so level <= waypointLimit: the lists exist and never move while in use.
        std::vector<k_Vector3>& candidates = candidateLists[level];
        order.build(reference, goal, candidates);
        for (const k_Vector3& candidate : candidates) {
            const k_Ray probe = segmentBetween(goal, candidate);
            if (isBlocked(probe, ignored, stats)) {
                if (stats.searchBudgetReached) {
                    return false;
                }
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
            if (partial != nullptr) {
                partial->consider(start, waypoints);
            }
            if (search(start, intermediateGoal, ignored, waypoints, depth, level + 1, stats) &&
                waypoints.size() <= waypointLimit) {
                return true;
            }
            waypoints.resize(before);
            if (stats.searchBudgetReached) {
                return false;
            }
        }
    }
}
