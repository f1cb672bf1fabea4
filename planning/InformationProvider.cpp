#include "planning/InformationProvider.h"

#include <algorithm>

#include "planning/BlockingListener.h"
#include "planning/BoundingSphere.h"
#include "planning/FastPathSearch.h"
#include "planning/SearchGeometry.h"
#include "scenegraph/Artifact.h"
#include "scenegraph/ArtifactRegistry.h"
#include "scenegraph/GeodesicMesh.h"

k_InformationProvider::k_InformationProvider()
    : stats(), budget(defaultSearchBudget), maxDepth(4),
      sampleDirections(geodesicSphereVertices(3)), strategy(k_SearchStrategy::fast),
      compareReference(false), compareRepeats(1), runningReference(false), searchRunning(false),
      referenceWaypoints(), fastWaypoints(), blockingListeners(), fastSearch(nullptr) {
    fastSearch = new k_FastPathSearch(sampleDirections, maxDepth, waypointLimit, blockingListeners);
}

k_InformationProvider::~k_InformationProvider() {
    delete fastSearch;
}

void k_InformationProvider::refresh() {}

void k_InformationProvider::addBlockingListener(k_BlockingListener* listener) {
    if (listener != nullptr && std::find(blockingListeners.begin(), blockingListeners.end(),
                                         listener) == blockingListeners.end()) {
        blockingListeners.push_back(listener);
    }
}

void k_InformationProvider::removeBlockingListener(k_BlockingListener* listener) {
    blockingListeners.erase(
        std::remove(blockingListeners.begin(), blockingListeners.end(), listener),
        blockingListeners.end());
}

k_PlanningStats k_InformationProvider::getStats() const {
    k_PlanningStats counted = stats;
    counted.segmentTests = budget.getSpent();
    counted.searchBudgetReached = budget.isReached();
    return counted;
}

const std::vector<k_Vector3>& k_InformationProvider::getSampleDirections() const {
    return sampleDirections;
}

k_Artifact* k_InformationProvider::getTarget() const {
    k_Artifact* best = nullptr;
    int bestInterest = 0;
    for (k_Artifact* artifact : artifactRegistry) {
        if (artifact == nullptr) {
            continue;
        }
        const int interest = artifact->getInterest();
        // Strictly greater: of equal interests the earliest registered wins.
        if (interest > bestInterest) {
            best = artifact;
            bestInterest = interest;
        }
    }
    return best;
}

bool k_InformationProvider::isInsideArtifact(const k_Vector3& point, const k_Artifact* ignored,
                                             double margin) const {
    for (const k_Artifact* artifact : artifactRegistry) {
        if (artifact == nullptr || artifact == ignored) {
            continue;
        }
        const k_Vector3 offset = artifact->getTranslation() - point;
        const float distanceSquared = dot(offset, offset);
        const double enlargedRadius = static_cast<double>(artifact->getRadius()) + margin;
        if (distanceSquared < enlargedRadius * enlargedRadius) {
            return true;
        }
    }
    return false;
}

bool k_InformationProvider::overlapsArtifact(const k_Artifact* artifact) const {
    if (artifact == nullptr) {
        return false;
    }
    const k_BoundingSphere own(artifact->getTranslation(), artifact->getRadius());
    for (const k_Artifact* other : artifactRegistry) {
        if (other == nullptr || other == artifact) {
            continue;
        }
        if (own.overlaps(k_BoundingSphere(other->getTranslation(), other->getRadius()))) {
            return true;
        }
    }
    return false;
}

bool k_InformationProvider::isSegmentBlocked(const k_Ray& segment, const k_Artifact* ignored) {
    budget.spend();
    return testSegment(segment, ignored);
}

bool k_InformationProvider::testSegment(const k_Ray& segment, const k_Artifact* ignored) {
    const k_Artifact* blocker =
        searchGeometry::firstBodyHit(artifactRegistry, segment, ignored, stats.sphereTests);
    if (blocker == nullptr) {
        return false;
    }
    for (k_BlockingListener* listener : blockingListeners) {
        listener->segmentBlocked(blocker);
    }
    return true;
}
