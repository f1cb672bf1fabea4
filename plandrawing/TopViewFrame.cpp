#include "plandrawing/TopViewFrame.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double stepMantissas[] = {1.0, 2.0, 5.0};

// The half-width the plan needs at `fill`, never below the least.
double neededHalfWidth(const k_TopViewFrame::Extent& extent) {
    const double half = 0.5 * std::max(extent.highX - extent.lowX, extent.highZ - extent.lowZ);
    return std::max(half / k_TopViewFrame::fill, k_TopViewFrame::leastHalfWidth);
}

} // namespace

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
