#include "planning/RouteBlockers.h"

#include <algorithm>

namespace {

// True when the segment passes strictly inside the sphere; in double, so that a route the
// search laid just outside a sphere is not counted for a rounding.
bool crosses(const k_Vector3& from, const k_Vector3& to, const k_BoundingSphere& sphere) {
    const double alongX = double(to.x) - from.x;
    const double alongY = double(to.y) - from.y;
    const double alongZ = double(to.z) - from.z;
    const double toCenterX = double(sphere.center.x) - from.x;
    const double toCenterY = double(sphere.center.y) - from.y;
    const double toCenterZ = double(sphere.center.z) - from.z;
    const double lengthSquared = alongX * alongX + alongY * alongY + alongZ * alongZ;
    double t = 0.0;
    if (lengthSquared > 0.0) {
        t = (toCenterX * alongX + toCenterY * alongY + toCenterZ * alongZ) / lengthSquared;
        t = std::min(std::max(t, 0.0), 1.0);
    }
    const double offsetX = toCenterX - t * alongX;
    const double offsetY = toCenterY - t * alongY;
    const double offsetZ = toCenterZ - t * alongZ;
    const double radius = sphere.radius;
    return offsetX * offsetX + offsetY * offsetY + offsetZ * offsetZ < radius * radius;
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
