#include "tools/sim/QualityMetrics.h"

#include <algorithm>
#include <cmath>

#include "math/Constants.h"
#include "planning/VisibleShare.h"
#include "tools/sim/NearestRank.h"

namespace {

// Distance from `center` to the closest point of the segment from a to b.
double segmentDistance(const k_DoublePoint& a, const k_DoublePoint& b,
                       const k_DoublePoint& center) {
    return std::sqrt(squaredSegmentDistance(a, b, center));
}

} // namespace

double k_QualityMetrics::visibleShare(const Point& camera, const std::vector<Sphere>& bodies,
                                      int target) {
    if (target < 0 || static_cast<std::size_t>(target) >= bodies.size()) {
        return 0.0;
    }
    // The bodies' spheres come from the registry's single-precision values, so the narrowing
    // here is exact; the share itself is worked out in double by the one definition the plan
    // overlay shows too.
    const auto sphereOf = [](const Sphere& body) {
        return k_BoundingSphere(k_Vector3(static_cast<float>(body.x), static_cast<float>(body.y),
                                          static_cast<float>(body.z)),
                                static_cast<float>(body.radius));
    };
    std::vector<k_BoundingSphere> others;
    others.reserve(bodies.size());
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        if (i != static_cast<std::size_t>(target)) {
            others.push_back(sphereOf(bodies[i]));
        }
    }
    return k_VisibleShare::of(k_Vector3(static_cast<float>(camera.x), static_cast<float>(camera.y),
                                        static_cast<float>(camera.z)),
                              sphereOf(bodies[static_cast<std::size_t>(target)]), others);
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

    lastSample = FrameSample{};
    lastSample.frame = frame;
    lastSample.hasTarget = hasTarget;
    lastSample.engulfed = engulfed;
    lastSample.inside = inside;
    if (hasTarget) {
        lastSample.visibleShare = visibleShare(camera, bodies, target);
        lastSample.hidden = lastSample.visibleShare == 0.0;
        if (hasBand()) {
            const double dX = camera.x - targetCenter.x, dY = camera.y - targetCenter.y,
                         dZ = camera.z - targetCenter.z;
            const double distance = std::sqrt(dX * dX + dY * dY + dZ * dZ);
            lastSample.nearTarget = distance < nearFactor * restDistance;
            lastSample.farFromTarget = distance > farFactor * restDistance;
        }
    }
    samples.push_back(lastSample);
    const int targetNow = hasTarget ? target : -1;
    if (targetNow != lastTarget && targetNow >= 0) {
        disturbances.push_back(frame);
    }
    lastTarget = targetNow;
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
            std::atan2(std::sqrt(cX * cX + cY * cY + cZ * cZ), along) * 180.0 / pi;
        const double rate = dt > 0.0 ? degrees / dt : 0.0;
        if (rate > maxViewTurn) {
            maxViewTurn = rate;
            maxViewTurnFrame = frame;
        }
        lastTurnRate = rate;
        views.push_back(ViewSample{frame, rate, std::sqrt(dX * dX + dY * dY + dZ * dZ)});
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

k_QualityMetrics::Figures k_QualityMetrics::figures(double dt, double fromSeconds) const {
    // A frame's time is frame * dt; the slack keeps 2 s at dt 0.016 on frame 125.
    const auto counted = [&](long frame) {
        return static_cast<double>(frame) * dt >= fromSeconds - 1e-9;
    };
    Figures result;
    double shareSum = 0.0;
    std::vector<double> spellSeconds;
    long spellFrames = 0;
    long previousFrame = 0;
    const auto endSpell = [&]() {
        if (spellFrames > 0) {
            spellSeconds.push_back(static_cast<double>(spellFrames) * dt);
            spellFrames = 0;
        }
    };
    for (const FrameSample& sample : samples) {
        if (!counted(sample.frame)) {
            continue;
        }
        ++result.frames;
        result.insideFrames += sample.inside ? 1 : 0;
        if (sample.frame != previousFrame + 1) {
            endSpell();
        }
        previousFrame = sample.frame;
        if (!sample.hasTarget) {
            endSpell();
            continue;
        }
        ++result.framesWithTarget;
        shareSum += sample.visibleShare;
        result.belowHalfFrames += sample.visibleShare < 0.5 ? 1 : 0;
        result.hiddenFrames += sample.hidden ? 1 : 0;
        result.engulfedFrames += sample.engulfed ? 1 : 0;
        result.nearFrames += sample.nearTarget ? 1 : 0;
        result.farFrames += sample.farFromTarget ? 1 : 0;
        if (sample.hidden && !sample.engulfed) {
            ++result.avoidableHiddenFrames;
            ++spellFrames;
        } else {
            endSpell();
        }
    }
    endSpell();
    if (result.framesWithTarget > 0) {
        result.meanVisibleShare = shareSum / static_cast<double>(result.framesWithTarget);
    }
    result.spells = static_cast<long>(spellSeconds.size());
    const double minutes = static_cast<double>(result.frames) * dt / 60.0;
    result.spellsPerMinute = minutes > 0.0 ? static_cast<double>(result.spells) / minutes : 0.0;
    result.spellP95Seconds = nearestRankPercentile(spellSeconds, 95);
    if (!spellSeconds.empty()) {
        result.longestSpellSeconds = *std::max_element(spellSeconds.begin(), spellSeconds.end());
    }

    std::vector<double> rates;
    std::vector<double> settledRates;
    std::size_t nextDisturbance = 0;
    long lastDisturbance = -1;
    for (const ViewSample& view : views) {
        while (nextDisturbance < disturbances.size() &&
               disturbances[nextDisturbance] <= view.frame) {
            lastDisturbance = disturbances[nextDisturbance++];
        }
        if (!counted(view.frame)) {
            continue;
        }
        result.pathLength += view.step;
        rates.push_back(view.turnRate);
        const bool settled =
            lastDisturbance < 0 || static_cast<double>(view.frame - lastDisturbance) * dt > 1.0;
        if (settled) {
            settledRates.push_back(view.turnRate);
        }
    }
    result.turnRateP99 = nearestRankPercentile(rates, 99);
    result.settledTurnRateP99 = nearestRankPercentile(settledRates, 99);
    if (!rates.empty()) {
        result.turnRateMax = *std::max_element(rates.begin(), rates.end());
    }
    if (!settledRates.empty()) {
        result.settledTurnRateMax = *std::max_element(settledRates.begin(), settledRates.end());
    }
    return result;
}
