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
    bool engulfed = false;
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
            engulfed =
                engulfed || segmentDistance(targetCenter, targetCenter, center) < body.radius;
        }
    }
    occludedFrames += occluded ? 1 : 0;
    insideFrames += inside ? 1 : 0;
    engulfedFrames += engulfed ? 1 : 0;
}

void k_QualityMetrics::addView(long frame, const Point& eye, const Point& lookAt, double dt) {
    Point view{lookAt.x - eye.x, lookAt.y - eye.y, lookAt.z - eye.z};
    const double length = std::sqrt(view.x * view.x + view.y * view.y + view.z * view.z);
    if (length > 0.0) {
        view = Point{view.x / length, view.y / length, view.z / length};
    }
    if (hasView) {
        const double dX = eye.x - lastEye.x, dY = eye.y - lastEye.y, dZ = eye.z - lastEye.z;
        travelled += std::sqrt(dX * dX + dY * dY + dZ * dZ);
        // The angle from the cross and dot products stays exact for tiny turns.
        const double cX = view.y * lastView.z - view.z * lastView.y;
        const double cY = view.z * lastView.x - view.x * lastView.z;
        const double cZ = view.x * lastView.y - view.y * lastView.x;
        const double along = view.x * lastView.x + view.y * lastView.y + view.z * lastView.z;
        const double degrees =
            std::atan2(std::sqrt(cX * cX + cY * cY + cZ * cZ), along) * 180.0 / 3.141592653589793;
        const double rate = dt > 0.0 ? degrees / dt : 0.0;
        if (rate > maxViewTurn) {
            maxViewTurn = rate;
            maxViewTurnFrame = frame;
        }
    }
    hasView = true;
    lastEye = eye;
    lastView = view;
}

double k_QualityMetrics::occludedFraction() const {
    return framesWithTarget == 0 ? 0.0 : static_cast<double>(occludedFrames) / framesWithTarget;
}

double k_QualityMetrics::engulfedFraction() const {
    return framesWithTarget == 0 ? 0.0 : static_cast<double>(engulfedFrames) / framesWithTarget;
}

double k_QualityMetrics::insideFraction() const {
    return frames == 0 ? 0.0 : static_cast<double>(insideFrames) / frames;
}
