#pragma once

#include <cstdint>
#include <vector>

#include "math/Vector3.h"
#include "planning/BoundingSphere.h"
#include "planning/Ray.h"
#include "scenegraph/Artifact.h"

// Arithmetic that the reference and the fast path search share, so that both round every
// intermediate value the same way and find the same route to the bit.
namespace searchGeometry {

// Each cut keeps n - n/3 of the sorted candidates; four cuts keep the fifth of the sphere
// that faces the reference point (642 -> 128).
constexpr int candidateCuts = 4;
// An intermediate goal lies halfway out along its free probe.
constexpr float midpointFactor = 0.5f;
// Keeps a chain of intermediate goals from coming back to points it has already placed.
constexpr float proximity = 0.1f;
// Every body is this much larger for segment tests than for point tests.
constexpr double segmentClearance = 0.5;

/// How many of `count` sorted candidates survive the cuts.
inline std::size_t keptCandidateCount(std::size_t count) {
    for (int cut = 0; cut < candidateCuts; ++cut) {
        count -= count / 3;
    }
    return count;
}

/// A body's radius as the segment tests see it: enlarged in double, rounded once to float.
inline float enlargedRadius(float radius) {
    return static_cast<float>(static_cast<double>(radius) + segmentClearance);
}

/// The first body of `registry` but `ignored` that `segment` hits, each enlarged for segment
/// tests, or null; counts every body it tests into `sphereTests`.
inline const k_Artifact* firstBodyHit(const std::vector<k_Artifact*>& registry,
                                      const k_Ray& segment, const k_Artifact* ignored,
                                      std::uint64_t& sphereTests) {
    for (const k_Artifact* artifact : registry) {
        if (artifact == nullptr || artifact == ignored) {
            continue;
        }
        ++sphereTests;
        if (segment.hits(k_BoundingSphere(artifact->getTranslation(),
                                          enlargedRadius(artifact->getRadius())))) {
            return artifact;
        }
    }
    return nullptr;
}

inline k_Ray segmentBetween(const k_Vector3& from, const k_Vector3& to) {
    k_Vector3 direction = to - from;
    const float length = direction.length();
    direction.normalize();
    return k_Ray(from, direction, length);
}

/// Where a search at `depth` samples from: a fifth of the way further along per depth.
inline k_Vector3 referencePoint(const k_Vector3& start, const k_Ray& segment, int depth,
                                int maxDepth) {
    const float fraction =
        static_cast<float>(static_cast<double>(depth) / static_cast<double>(maxDepth + 1));
    return start + (segment.direction * segment.length) * fraction;
}

inline k_Vector3 midpointOf(const k_Vector3& goal, const k_Ray& probe) {
    return goal + (probe.direction * midpointFactor) * probe.length;
}

inline bool isNearAny(const k_Vector3& point, const std::vector<k_Vector3>& points) {
    for (const k_Vector3& other : points) {
        if (point.isWithinDistance(other, proximity)) {
            return true;
        }
    }
    return false;
}

} // namespace searchGeometry
