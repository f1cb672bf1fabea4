#pragma once

#include <vector>

#include "math/Vector3.h"
#include "planning/SearchDirection.h"

// The furthest a search got before its work bound stopped it: of all the chains of
// intermediate goals it tried (the caller's list plus M1 .. Mk, each Mi on a probe that tested
// free from the one before), the one whose newest goal came nearest the search's start.
class k_PartialRoute {
public:
    void clear() {
        chain.clear();
        bestDistanceSquared = -1.0;
    }

    /// Keeps a copy of `waypoints` when its last entry lies nearer `start` than the kept one;
    /// `direction` is the way the search that tried it runs.
    void consider(const k_Vector3& start, const std::vector<k_Vector3>& waypoints,
                  k_SearchDirection direction) {
        if (waypoints.empty()) {
            return;
        }
        const k_Vector3& newest = waypoints.back();
        const double dx = static_cast<double>(newest.x) - start.x;
        const double dy = static_cast<double>(newest.y) - start.y;
        const double dz = static_cast<double>(newest.z) - start.z;
        const double distanceSquared = dx * dx + dy * dy + dz * dz;
        if (bestDistanceSquared < 0.0 || distanceSquared < bestDistanceSquared) {
            bestDistanceSquared = distanceSquared;
            chain.assign(waypoints.begin(), waypoints.end());
            chainStart = start;
            chainDirection = direction;
        }
    }

    bool isEmpty() const { return chain.empty(); }
    /// The kept chain: the search's goal, then its intermediate goals from there outwards.
    const std::vector<k_Vector3>& getChain() const { return chain; }
    /// The start of the search that built the chain.
    const k_Vector3& getStart() const { return chainStart; }
    /// The way the search that built the chain ran.
    k_SearchDirection getDirection() const { return chainDirection; }

private:
    std::vector<k_Vector3> chain;
    k_Vector3 chainStart;
    k_SearchDirection chainDirection = k_SearchDirection::fromEye;
    double bestDistanceSquared = -1.0;
};
