#pragma once

#include <algorithm>

/// A point in double precision, for geometry that must not round to the single precision of
/// the scene's own vectors (a float converts to it exactly).
struct k_DoublePoint {
    double x, y, z;
};

/// Squared distance from `point` to the segment from `from` to `to`, in double precision: to
/// the segment's nearest point, which is an end when the projection falls beyond it; a
/// segment of no length is its one point. Worked from `from` (the offsets to the segment's
/// end and to `point`), so that coordinates far from the origin lose nothing to cancellation.
/// Inline: the sight tests call it for every sample point and body.
inline double squaredSegmentDistance(const k_DoublePoint& from, const k_DoublePoint& to,
                                     const k_DoublePoint& point) {
    const double alongX = to.x - from.x;
    const double alongY = to.y - from.y;
    const double alongZ = to.z - from.z;
    const double toPointX = point.x - from.x;
    const double toPointY = point.y - from.y;
    const double toPointZ = point.z - from.z;
    const double lengthSquared = alongX * alongX + alongY * alongY + alongZ * alongZ;
    double t = 0.0;
    if (lengthSquared > 0.0) {
        t = (toPointX * alongX + toPointY * alongY + toPointZ * alongZ) / lengthSquared;
        t = std::min(std::max(t, 0.0), 1.0);
    }
    const double offsetX = toPointX - t * alongX;
    const double offsetY = toPointY - t * alongY;
    const double offsetZ = toPointZ - t * alongZ;
    return offsetX * offsetX + offsetY * offsetY + offsetZ * offsetZ;
}
