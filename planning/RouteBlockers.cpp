#include "planning/RouteBlockers.h"

#include "math/SegmentDistance.h"

namespace {

k_DoublePoint inDouble(const k_Vector3& vector) {
    return {vector.x, vector.y, vector.z};
}

// True when the segment passes strictly inside the sphere; in double, so that a route the
// search laid just outside a sphere is not counted for a rounding.
bool crosses(const k_Vector3& from, const k_Vector3& to, const k_BoundingSphere& sphere) {
    const double radius = sphere.radius;
    return squaredSegmentDistance(inDouble(from), inDouble(to), inDouble(sphere.center)) <
           radius * radius;
}

} // namespace

std::vector<k_BoundingSphere> routeBlockers(const std::vector<k_Vector3>& route,
                                            const std::vector<k_BoundingSphere>& blockers) {
    std::vector<k_BoundingSphere> shaping;
    for (const k_BoundingSphere& sphere : blockers) {
        bool shaped = false;
        for (std::size_t i = 0; i + 1 < route.size() && !shaped; ++i) {
            shaped = crosses(route[i], route[i + 1], sphere) ||
                     (i + 2 < route.size() && crosses(route[i], route[i + 2], sphere));
        }
        if (shaped) {
            shaping.push_back(sphere);
        }
    }
    return shaping;
}
