#include "planning/InformationProvider.h"

#include "planning/BoundingSphere.h"
#include "planning/FastPathSearch.h"
#include "planning/SearchGeometry.h"
#include "scenegraph/Artifact.h"
#include "scenegraph/ArtifactRegistry.h"
#include "scenegraph/Icosahedron.h"

k_InformationProvider::k_InformationProvider()
    : stats(), partialRoute(), maxDepth(4), searchBudget(defaultSearchBudget),
      directionSampler(new k_Icosahedron(3)), strategy(k_SearchStrategy::fast),
      compareReference(false), compareRepeats(1), runningReference(false), searchRunning(false),
      referenceWaypoints(), fastWaypoints(), fastSearch(nullptr), blockingRecord(nullptr) {
    fastSearch = new k_FastPathSearch(directionSampler->getVertices(), maxDepth, waypointLimit);
}

k_InformationProvider::~k_InformationProvider() {
    delete blockingRecord;
    delete fastSearch;
    delete directionSampler;
}

void k_InformationProvider::refresh() {}

void k_InformationProvider::setRecordBlocking(bool on) {
    if (on && blockingRecord == nullptr) {
        blockingRecord = new k_BlockingRecord();
    } else if (!on) {
        delete blockingRecord;
        blockingRecord = nullptr;
    }
    fastSearch->setBlockingRecord(blockingRecord);
}

bool k_InformationProvider::withinSearchBudget() const {
    if (searchBudget != 0 && stats.segmentTests >= searchBudget) {
        stats.searchBudgetReached = true;
        return false;
    }
    return true;
}

const std::vector<k_Vector3>& k_InformationProvider::getSampleDirections() const {
    return directionSampler->getVertices();
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

bool k_InformationProvider::isSegmentBlocked(const k_Ray& segment,
                                             const k_Artifact* ignored) const {
    ++stats.segmentTests;
    for (const k_Artifact* artifact : artifactRegistry) {
        if (artifact == nullptr || artifact == ignored) {
            continue;
        }
        const float radius = searchGeometry::enlargedRadius(artifact->getRadius());
        ++stats.sphereTests;
        if (segment.hits(k_BoundingSphere(artifact->getTranslation(), radius))) {
            if (blockingRecord != nullptr) {
                blockingRecord->add(artifact);
            }
            return true;
        }
    }
    return false;
}
