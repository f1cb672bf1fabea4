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
