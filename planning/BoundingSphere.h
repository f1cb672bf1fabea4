#pragma once

#include "math/Vector3.h"

// The planning queries see every body as this sphere: its centre and bounding radius.
class k_BoundingSphere {
public:
    k_BoundingSphere() : center(), radius(0.0f) {}
    k_BoundingSphere(const k_Vector3& centerValue, float radiusValue)
        : center(centerValue), radius(radiusValue) {}

    /// True when the spheres share a point; spheres that exactly touch overlap.
    bool overlaps(const k_BoundingSphere& other) const;

    k_Vector3 center;
    float radius;
};
