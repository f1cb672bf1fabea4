#include "plandrawing/TopViewFrame.h"

#include <algorithm>
#include <cmath>

#include "planning/PlanSnapshot.h"

namespace {

constexpr double stepMantissas[] = {1.0, 2.0, 5.0};

// The half-width the plan needs at `fill`, never below the least.
double neededHalfWidth(const k_TopViewFrame::Extent& extent) {
    const double half = 0.5 * std::max(extent.highX - extent.lowX, extent.highZ - extent.lowZ);
    return std::max(half / k_TopViewFrame::fill, k_TopViewFrame::leastHalfWidth);
}

// Smallest and largest x and z of what the top view frames.
struct Bounds {
    double low[2] = {INFINITY, INFINITY};
    double high[2] = {-INFINITY, -INFINITY};

    void add(const k_Vector3& point, double radius = 0.0) {
        if (!std::isfinite(point.x) || !std::isfinite(point.z) || !std::isfinite(radius)) {
            return;
        }
        low[0] = std::min(low[0], point.x - radius);
        high[0] = std::max(high[0], point.x + radius);
        low[1] = std::min(low[1], point.z - radius);
        high[1] = std::max(high[1], point.z + radius);
    }
};

} // namespace

k_TopViewFrame::Extent k_TopViewFrame::extentOf(const k_PlanSnapshot& plan) {
    // Framed on the plan (a scene may spread its bodies far wider); bodies outside are cut.
    Bounds bounds;
    bounds.add(plan.eye);
    if (plan.hasTarget) {
        bounds.add(plan.target.center, plan.target.radius);
    }
    for (const k_Vector3& point : plan.route) {
        bounds.add(point);
    }
    for (const k_BoundingSphere& sphere : plan.routeBlockers) {
        bounds.add(sphere.center, sphere.radius);
    }
    return {bounds.low[0], bounds.low[1], bounds.high[0], bounds.high[1]};
}

double k_TopViewFrame::stepAtLeast(double value) {
    const double decade = std::pow(10.0, std::floor(std::log10(value)));
    for (int power = 0; power < 2; ++power) {
        for (double mantissa : stepMantissas) {
            const double step = mantissa * decade * (power == 0 ? 1.0 : 10.0);
            if (step >= value) {
                return step;
            }
        }
    }
    return 10.0 * decade;
}

double k_TopViewFrame::stepAtMost(double value) {
    const double decade = std::pow(10.0, std::floor(std::log10(value)));
    double best = decade / 2.0;
    for (int power = 0; power < 2; ++power) {
        for (double mantissa : stepMantissas) {
            const double step = mantissa * decade * (power == 0 ? 1.0 : 10.0);
            if (step <= value) {
                best = step;
            }
        }
    }
    return best;
}

void k_TopViewFrame::frame(const Extent& extent, double time) {
    const bool finite = std::isfinite(extent.lowX) && std::isfinite(extent.lowZ) &&
                        std::isfinite(extent.highX) && std::isfinite(extent.highZ);
    const double middleX = finite ? 0.5 * (extent.lowX + extent.highX) : 0.0;
    const double middleZ = finite ? 0.5 * (extent.lowZ + extent.highZ) : 0.0;
    const double needed = finite ? neededHalfWidth(extent) : leastHalfWidth;
    if (!framed || !finite || time < lastTime || !std::isfinite(time)) {
        framed = std::isfinite(time);
        lastTime = framed ? time : 0.0;
        centerX = middleX;
        centerZ = middleZ;
        halfWidth = stepAtLeast(needed);
        narrowSince = -1.0;
        return;
    }
    const double elapsed = time - lastTime;
    lastTime = time;

    // The centre glides; then, if the plan would stick out, it moves just enough to hold it.
    const double glide = 1.0 - std::exp(-elapsed / glideSeconds);
    centerX += (middleX - centerX) * glide;
    centerZ += (middleZ - centerZ) * glide;
    if (needed > halfWidth) {
        halfWidth = stepAtLeast(needed);
        narrowSince = -1.0;
    } else if (stepAtLeast(needed / narrowFill) < halfWidth) {
        if (narrowSince < 0.0) {
            narrowSince = time;
        } else if (time - narrowSince >= narrowDelay) {
            halfWidth = stepAtLeast(needed / narrowFill);
            narrowSince = -1.0;
        }
    } else {
        narrowSince = -1.0;
    }
    const double reach = halfWidth * fill;
    centerX = std::min(std::max(centerX, extent.highX - reach), extent.lowX + reach);
    centerZ = std::min(std::max(centerZ, extent.highZ - reach), extent.lowZ + reach);
}
