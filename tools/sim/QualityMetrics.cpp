#include "tools/sim/QualityMetrics.h"

#include <algorithm>
#include <cmath>

double k_QualityMetrics::segmentDistance(const Point& a, const Point& b, const Point& center) {
    const double abX = b.x - a.x, abY = b.y - a.y, abZ = b.z - a.z;
    const double acX = center.x - a.x, acY = center.y - a.y, acZ = center.z - a.z;
    const double lengthSquared = abX * abX + abY * abY + abZ * abZ;
    double s = 0.0;
    if (lengthSquared > 0.0) {
        s = std::clamp((acX * abX + acY * abY + acZ * abZ) / lengthSquared, 0.0, 1.0);
    }
    const double dX = acX - s * abX, dY = acY - s * abY, dZ = acZ - s * abZ;
    return std::sqrt(dX * dX + dY * dY + dZ * dZ);
}

void k_QualityMetrics::addFrame(long frame, const Point& camera, const std::vector<Sphere>& bodies,
                                int target) {
    ++frames;
    const bool hasTarget = target >= 0 && static_cast<std::size_t>(target) < bodies.size();
    Point targetCenter{0.0, 0.0, 0.0};
    if (hasTarget) {
        ++framesWithTarget;
        const Sphere& t = bodies[static_cast<std::size_t>(target)];
        targetCenter = Point{t.x, t.y, t.z};
    }

    bool occluded = false;
    bool inside = false;
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        if (hasTarget && i == static_cast<std::size_t>(target)) {
            continue;
        }
        const Sphere& body = bodies[i];
        const Point center{body.x, body.y, body.z};
        const double dX = center.x - camera.x, dY = center.y - camera.y, dZ = center.z - camera.z;
        const double clearance = std::sqrt(dX * dX + dY * dY + dZ * dZ) - body.radius;
        if (clearance < 0.0) {
            inside = true;
        }
        clearanceSeen = true;
        // Strictly less: the first frame that reaches the least value keeps it.
        if (clearance < minClearance) {
            minClearance = clearance;
            minClearanceFrame = frame;
        }
        if (hasTarget && segmentDistance(camera, targetCenter, center) < body.radius) {
            occluded = true;
        }
    }
    occludedFrames += occluded ? 1 : 0;
    insideFrames += inside ? 1 : 0;
}

double k_QualityMetrics::occludedFraction() const {
    return framesWithTarget == 0 ? 0.0 : static_cast<double>(occludedFrames) / framesWithTarget;
}

double k_QualityMetrics::insideFraction() const {
    return frames == 0 ? 0.0 : static_cast<double>(insideFrames) / frames;
}
