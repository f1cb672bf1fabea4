#include "planning/BlockingRecord.h"

#include <algorithm>

#include "planning/SearchGeometry.h"
#include "scenegraph/Artifact.h"

void k_BlockingRecord::clear() {
    bodies.clear();
    spheres.clear();
}

void k_BlockingRecord::add(const k_Artifact* artifact) {
    if (artifact == nullptr || std::find(bodies.begin(), bodies.end(), artifact) != bodies.end()) {
        return;
    }
    bodies.push_back(artifact);
    spheres.push_back(k_BoundingSphere(artifact->getTranslation(),
                                       searchGeometry::enlargedRadius(artifact->getRadius())));
}

void k_BlockingRecord::addFirstHit(const std::vector<k_Artifact*>& registry, const k_Ray& segment,
                                   const k_Artifact* ignored) {
    for (const k_Artifact* artifact : registry) {
        if (artifact == nullptr || artifact == ignored) {
            continue;
        }
        const float radius = searchGeometry::enlargedRadius(artifact->getRadius());
        if (segment.hits(k_BoundingSphere(artifact->getTranslation(), radius))) {
            add(artifact);
            return;
        }
    }
}
