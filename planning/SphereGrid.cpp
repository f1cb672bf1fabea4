#include "planning/SphereGrid.h"

#include <algorithm>
#include <cmath>

#include "planning/SearchGeometry.h"
#include "scenegraph/Artifact.h"

namespace {
// Bodies farther out than this, or with non-finite data, are tested by every query rather
// than binned, so that the grid's arithmetic never meets overflow or NaN.
constexpr double farCoordinate = 1.0e6;
// k_Ray::hits works in float: its squared distance to the line can be off by about 13 float
// epsilons times the squared distance to the centre, which is at most the squared segment
// length when it reports a hit. A hit body therefore lies within radius + 0.00088 * length
// of the segment; the grid looks more than four times as far, plus a small absolute margin.
constexpr double lengthSlack = 4.0e-3;
constexpr double absoluteSlack = 1.0e-3;
// Cells are at least this many times the grid's body count apart from a constant.
constexpr double cellsPerBody = 2.0;
constexpr std::uint32_t notGridded = 0xffffffffu;

bool isFinite(const k_Vector3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

bool isNear(const k_BoundingSphere& sphere) {
    return isFinite(sphere.center) && std::isfinite(sphere.radius) &&
           std::fabs(sphere.center.x) <= farCoordinate &&
           std::fabs(sphere.center.y) <= farCoordinate &&
           std::fabs(sphere.center.z) <= farCoordinate;
}

double component(const k_Vector3& v, int axis) {
    return axis == 0 ? v.x : (axis == 1 ? v.y : v.z);
}

// k_Ray::hits with dot() and the vector difference written out, so that the walks below run
// without calls; every step rounds exactly as those operations do, so the answer is the same.
inline bool hitsExactly(const k_Ray& segment, float lengthSquared, const k_BoundingSphere& sphere) {
    const float tx = sphere.center.x - segment.origin.x;
    const float ty = sphere.center.y - segment.origin.y;
    const float tz = sphere.center.z - segment.origin.z;
    const float centerDistanceSquared = static_cast<float>(
        static_cast<double>(tx) * tx + static_cast<double>(ty) * ty + static_cast<double>(tz) * tz);
    if (lengthSquared < centerDistanceSquared) {
        return false;
    }
    const float projection = static_cast<float>(static_cast<double>(tx) * segment.direction.x +
                                                static_cast<double>(ty) * segment.direction.y +
                                                static_cast<double>(tz) * segment.direction.z);
    const float radiusSquared = sphere.radius * sphere.radius;
    if (projection < 0.0f && centerDistanceSquared > radiusSquared) {
        return false;
    }
    const float lineDistanceSquared = centerDistanceSquared - projection * projection;
    return !(lineDistanceSquared > radiusSquared);
}
} // namespace

k_SphereGrid::k_SphereGrid()
    : gridded(false), origin{0.0, 0.0, 0.0}, cellSize(1.0), cellsPerUnit(1.0), cells{1, 1, 1},
      largestRadius(0.0) {}

void k_SphereGrid::build(const std::vector<k_Artifact*>& registry) {
    bodies.clear();
    alwaysTested.clear();
    gridded = false;
    for (const k_Artifact* artifact : registry) {
        if (artifact == nullptr) {
            continue;
        }
        const float radius = searchGeometry::enlargedRadius(artifact->getRadius());
        bodies.push_back(Body{k_BoundingSphere(artifact->getTranslation(), radius), artifact});
    }
    if (bodies.size() <= linearWalkLimit) {
        return;
    }

    double low[3] = {INFINITY, INFINITY, INFINITY};
    double high[3] = {-INFINITY, -INFINITY, -INFINITY};
    double radiusSum = 0.0;
    std::size_t nearCount = 0;
    for (const Body& body : bodies) {
        if (!isNear(body.sphere)) {
            continue;
        }
        for (int axis = 0; axis < 3; ++axis) {
            low[axis] = std::min(low[axis], component(body.sphere.center, axis));
            high[axis] = std::max(high[axis], component(body.sphere.center, axis));
        }
        radiusSum += std::fabs(body.sphere.radius);
        ++nearCount;
    }
    if (nearCount <= linearWalkLimit) {
        return;
    }
    for (int axis = 0; axis < 3; ++axis) {
        origin[axis] = low[axis];
    }
    const double meanRadius = radiusSum / static_cast<double>(nearCount);
    double extent[3];
    double paddedVolume = 1.0;
    for (int axis = 0; axis < 3; ++axis) {
        extent[axis] = high[axis] - low[axis];
        // Padding gives a flat layer of bodies a thickness.
        paddedVolume *= extent[axis] + 2.0 * meanRadius;
    }
    cellSize = std::max(std::cbrt(paddedVolume / static_cast<double>(nearCount)), 2.0 * meanRadius);
    if (!(cellSize > 0.0)) {
        cellSize = 1.0;
    }
    const double cellLimit = cellsPerBody * static_cast<double>(nearCount) + 64.0;
    for (;;) {
        double total = 1.0;
        for (int axis = 0; axis < 3; ++axis) {
            total *= std::floor(extent[axis] / cellSize) + 1.0;
        }
        if (total <= cellLimit) {
            break;
        }
        cellSize *= 1.25;
    }
    for (int axis = 0; axis < 3; ++axis) {
        cells[axis] = static_cast<int>(std::floor(extent[axis] / cellSize)) + 1;
    }
    cellsPerUnit = 1.0 / cellSize;
    const std::size_t cellCount = static_cast<std::size_t>(cells[0]) * cells[1] * cells[2];

    // Bodies larger than a cell would widen every query; they are few, so test them always.
    cellOf.assign(bodies.size(), notGridded);
    cellStart.assign(cellCount + 1, 0u);
    largestRadius = 0.0;
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        const k_BoundingSphere& sphere = bodies[i].sphere;
        if (!isNear(sphere) || std::fabs(sphere.radius) > cellSize) {
            alwaysTested.push_back(bodies[i]);
            continue;
        }
        largestRadius = std::max(largestRadius, static_cast<double>(std::fabs(sphere.radius)));
        const std::size_t cell =
            (static_cast<std::size_t>(cellCoordinate(sphere.center.z, 2)) * cells[1] +
             static_cast<std::size_t>(cellCoordinate(sphere.center.y, 1))) *
                cells[0] +
            static_cast<std::size_t>(cellCoordinate(sphere.center.x, 0));
        cellOf[i] = static_cast<std::uint32_t>(cell);
        ++cellStart[cell + 1];
    }
    for (std::size_t cell = 0; cell < cellCount; ++cell) {
        cellStart[cell + 1] += cellStart[cell];
    }
    cellBodies.resize(cellStart[cellCount]);
    // Fill from the back so that cellStart ends up at each cell's first body again and each
    // cell keeps registry order.
    for (std::size_t i = bodies.size(); i-- > 0;) {
        if (cellOf[i] != notGridded) {
            cellBodies[--cellStart[cellOf[i] + 1]] = bodies[i];
        }
    }
    // cellStart[c + 1] now holds the start of cell c; shift back by one.
    for (std::size_t cell = 0; cell < cellCount; ++cell) {
        cellStart[cell] = cellStart[cell + 1];
    }
    cellStart[cellCount] = static_cast<std::uint32_t>(cellBodies.size());
    gridded = true;
}

int k_SphereGrid::cellCoordinate(double value, int axis) const {
    const double cell = std::floor((value - origin[axis]) * cellsPerUnit);
    if (!(cell > 0.0)) {
        return 0;
    }
    return cell >= cells[axis] - 1 ? cells[axis] - 1 : static_cast<int>(cell);
}

bool k_SphereGrid::walk(const Body* first, const Body* last, const k_Ray& segment,
                        const k_Artifact* ignored, std::uint64_t& sphereTests) {
    const float lengthSquared = segment.length * segment.length;
    for (const Body* body = first; body != last; ++body) {
        if (body->artifact == ignored) {
            continue;
        }
        ++sphereTests;
        if (hitsExactly(segment, lengthSquared, body->sphere)) {
            return true;
        }
    }
    return false;
}

bool k_SphereGrid::walk(const std::vector<Body>& list, const k_Ray& segment,
                        const k_Artifact* ignored, std::uint64_t& sphereTests) {
    return walk(list.data(), list.data() + list.size(), segment, ignored, sphereTests);
}

bool k_SphereGrid::isSegmentBlocked(const k_Ray& segment, const k_Artifact* ignored,
                                    std::uint64_t& sphereTests) const {
    if (!gridded) {
        return walk(bodies, segment, ignored, sphereTests);
    }
    if (walk(alwaysTested, segment, ignored, sphereTests)) {
        return true;
    }
    if (!isFinite(segment.origin) || !isFinite(segment.direction) ||
        !std::isfinite(segment.length)) {
        return walk(cellBodies, segment, ignored, sphereTests);
    }

    // Every body that can be hit has its centre within `reach` of the segment from start to
    // end; the cells are enumerated layer by layer along the segment's longest axis.
    const double length = segment.length;
    const double reach = largestRadius + lengthSlack * std::fabs(length) + absoluteSlack;
    double start[3];
    double delta[3];
    for (int axis = 0; axis < 3; ++axis) {
        start[axis] = component(segment.origin, axis);
        delta[axis] = component(segment.direction, axis) * length;
        const double low = std::min(start[axis], start[axis] + delta[axis]) - reach;
        const double high = std::max(start[axis], start[axis] + delta[axis]) + reach;
        if (high < origin[axis] || low > origin[axis] + cellSize * cells[axis]) {
            return false;
        }
    }
    int along = 0;
    for (int axis = 1; axis < 3; ++axis) {
        if (std::fabs(delta[axis]) > std::fabs(delta[along])) {
            along = axis;
        }
    }
    const int across1 = (along + 1) % 3;
    const int across2 = (along + 2) % 3;
    // How far one step along each axis moves in the cell index.
    const std::size_t stride[3] = {1, static_cast<std::size_t>(cells[0]),
                                   static_cast<std::size_t>(cells[0]) * cells[1]};
    const Body* cellFirst = cellBodies.data();

    const int first =
        cellCoordinate(std::min(start[along], start[along] + delta[along]) - reach, along);
    const int last =
        cellCoordinate(std::max(start[along], start[along] + delta[along]) + reach, along);
    const bool forward = delta[along] >= 0.0;
    // Slab bounds are padded by `reach`, which dwarfs the rounding of a multiplication.
    const double alongPerUnit = delta[along] != 0.0 ? 1.0 / delta[along] : 0.0;
    // A step so short that its reciprocal overflows is handled as no step at all.
    const bool moves = delta[along] != 0.0 && std::isfinite(alongPerUnit);
    for (int step = 0; step <= last - first; ++step) {
        // Layers nearest the segment's origin first: the reference finds hits from the
        // front as often as not, and a hit ends the query.
        const int layer = forward ? first + step : last - step;
        const double slabLow = origin[along] + cellSize * layer - reach;
        const double slabHigh = origin[along] + cellSize * (layer + 1) + reach;
        double s0 = 0.0;
        double s1 = 1.0;
        if (moves) {
            s0 = (slabLow - start[along]) * alongPerUnit;
            s1 = (slabHigh - start[along]) * alongPerUnit;
            if (s0 > s1) {
                std::swap(s0, s1);
            }
            s0 = std::max(s0, 0.0);
            s1 = std::min(s1, 1.0);
            if (s0 > s1) {
                continue;
            }
        } else if (start[along] < slabLow || start[along] > slabHigh) {
            continue;
        }
        int from[2];
        int to[2];
        const int acrossAxes[2] = {across1, across2};
        for (int k = 0; k < 2; ++k) {
            const int axis = acrossAxes[k];
            const double p0 = start[axis] + delta[axis] * s0;
            const double p1 = start[axis] + delta[axis] * s1;
            from[k] = cellCoordinate(std::min(p0, p1) - reach, axis);
            to[k] = cellCoordinate(std::max(p0, p1) + reach, axis);
        }
        for (int i = from[0]; i <= to[0]; ++i) {
            int coordinate[3];
            coordinate[along] = layer;
            coordinate[across1] = i;
            coordinate[across2] = from[1];
            std::size_t cell =
                (static_cast<std::size_t>(coordinate[2]) * cells[1] + coordinate[1]) * cells[0] +
                coordinate[0];
            for (int j = from[1]; j <= to[1]; ++j, cell += stride[across2]) {
                // Most cells near a segment are empty: skip them without a call.
                const std::uint32_t first = cellStart[cell];
                const std::uint32_t last = cellStart[cell + 1];
                if (first != last &&
                    walk(cellFirst + first, cellFirst + last, segment, ignored, sphereTests)) {
                    return true;
                }
            }
        }
    }
    return false;
}
