#include "planning/Ray.h"

bool k_Ray::hits(const k_BoundingSphere& sphere) const {
    const k_Vector3 toCenter = sphere.center - origin;
    const float projection = dot(toCenter, direction);
    const float centerDistanceSquared = dot(toCenter, toCenter);
    const float radiusSquared = sphere.radius * sphere.radius;

    if (length * length < centerDistanceSquared) {
        return false;
    }
    // Behind the origin, and the origin outside the sphere.
    if (projection < 0.0f && centerDistanceSquared > radiusSquared) {
        return false;
    }
    const float lineDistanceSquared = centerDistanceSquared - projection * projection;
    return !(lineDistanceSquared > radiusSquared);
}
