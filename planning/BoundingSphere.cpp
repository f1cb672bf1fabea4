#include "planning/BoundingSphere.h"

bool k_BoundingSphere::overlaps(const k_BoundingSphere& other) const {
    const k_Vector3 offset = center - other.center;
    const float distanceSquared = dot(offset, offset);
    const float radiusSum = radius + other.radius;
    return distanceSquared <= radiusSum * radiusSum;
}
