#pragma once

#include "math/Vector3.h"
#include "planning/BoundingSphere.h"

// A straight segment from `origin` to origin + direction * length. The direction is taken
// to be of unit length; nothing here normalises it.
class k_Ray {
public:
    k_Ray() : origin(), direction(), length(0.0f) {}
    k_Ray(const k_Vector3& originValue, const k_Vector3& directionValue, float lengthValue)
        : origin(originValue), direction(directionValue), length(lengthValue) {}

    /// Length-limited segment-sphere test in float, squared distances only. Only the centre
    /// is checked against the length, so a sphere whose centre lies past the end does not
    /// block even if its surface reaches back across the segment. Equality counts as a hit.
    bool hits(const k_BoundingSphere& sphere) const;

    k_Vector3 origin;
    k_Vector3 direction;
    float length;
};
