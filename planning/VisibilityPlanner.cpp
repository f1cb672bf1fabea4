#include "planning/VisibilityPlanner.h"

#include <algorithm>
#include <cmath>

#include "camera/Camera.h"
#include "math/Constants.h"
#include "planning/InformationProvider.h"
#include "planning/SearchGeometry.h"
#include "scenegraph/Artifact.h"
#include "scenegraph/ArtifactRegistry.h"

namespace {

// Now, then ahead far enough to cover the time the camera needs to get somewhere else.
const std::vector<double> forecastHorizons{0.0, 0.25, 0.5, 1.0, 1.5, 2.0};
// Viewpoints at the default's distance from the target and nearer, where fewer bodies
// can come between; as multiples of the stop distance plus the target's radius.
constexpr double distanceFactors[] = {1.0, 0.6};
// A line of sight this close to a body's surface counts as cut: the camera never sits
// exactly where it was aimed, and bodies move between steps. (0.1 to 1 measured; 1 kept
// the target in sight best.)
constexpr float sightMargin = 1.0f;
// A viewpoint closer than this to a body's surface at a horizon is crowded there.
constexpr float minimumClearance = 1.0f;
// Cost of a viewpoint crowded at every horizon, against 1 for a sight cut at every one.
constexpr double crowdedWeight = 4.0;
// Cost of turning half way round the target.
constexpr double turnWeight = 0.5;
// Cost of a viewpoint per factor e of distance away from the default's.
constexpr double distanceWeight = 0.1;
// Keeps the choice of the last step over equally good ones, so the view does not dither.
constexpr double stickiness = 0.15;
// The camera may hold its place while its sight stays clear and it is no further than this
// many times the default's distance from the target: following the target round when
// nothing blocks the view is motion for nothing.
constexpr float holdReach = 1.5f;
// Preference for holding over an equally clear viewpoint elsewhere.
constexpr double holdBonus = 0.2;
// Largest turn around the target aimed for at once: the camera orbits instead of cutting
// across the target.
constexpr float arcStep = 0.7f; // radians, about 40 degrees
// How far ahead the camera's own motion is checked against the bodies, and the least
// clearance from their surfaces that passes.
constexpr double probeSeconds = 1.0;
// Near the target the camera moves no faster than this many radians per second times its
// distance from the target, so the view turns smoothly (0.3 to 100 measured; 0.5 kept the
// target in sight best on every time step tried, with few turns faster than the default's).
constexpr double maxTurnRate = 0.5;
// While the target is hidden now the camera may move this much faster, to get it back sooner.
constexpr double hiddenSpeedFactor = 3.0;
// Nearer the target than this share of its viewpoint's distance, the camera's speed is capped
// as if it were at the viewpoint (0.5 and 0.8 measured: alike; both turn the view less).
constexpr double backOffFactor = 0.5;
constexpr float safetyMargin = 0.3f;
// Most frames of motion a probe runs, whatever the time step, and most body distances it
// works out (a step runs up to four probes); among dense bodies it looks less far ahead,
// but never fewer frames than the least.
constexpr int maxProbeFrames = 128;
constexpr std::size_t maxProbeDistances = 30000;
constexpr int minProbeFrames = 8;

k_Vector3 unitOrNull(const k_Vector3& v) {
    k_Vector3 unit = v;
    unit.normalize();
    return unit;
}

double angleBetween(const k_Vector3& a, const k_Vector3& b) {
    const double cosine = std::clamp(static_cast<double>(dot(a, b)), -1.0, 1.0);
    return std::acos(cosine);
}

// Frames of dt in the look-ahead, at most maxProbeFrames; limited before the conversion, which
// is undefined for values beyond int (a tiny dt).
int probeFrames(double dt) {
    return static_cast<int>(
        std::min(static_cast<double>(maxProbeFrames), std::ceil(probeSeconds / dt)));
}

} // namespace

k_VisibilityPlanner::k_VisibilityPlanner(k_InformationProvider* providerValue,
                                         k_Camera* cameraValue, k_MainSceneNode* rootNodeValue,
                                         const k_AnimationManager* animationsValue)
    : k_MotionPlanner(providerValue, cameraValue, rootNodeValue), animations(animationsValue),
      stepDt(0.0), probeTests(0), bodiesNearEye(), bestRoute(), forecast(forecastHorizons),
      directions(), nearBodies(forecastHorizons.size()), targetCenters(forecastHorizons.size()),
      chosenDirection(), chosenDistance(0.0f), baseDistance(1.0f), hasChosen(false),
      hiddenNow(false) {
    // The provider's directions are a refined icosahedron whose refinements append their
    // vertices: the first 42 are the once-refined one, evenly spread and enough to choose
    // from. (A sphere of our own would be a scene node, whose end empties the registry.)
    if (providerValue != nullptr) {
        const std::vector<k_Vector3>& samples = providerValue->getSampleDirections();
        directions.assign(samples.begin(),
                          samples.begin() + std::min<std::ptrdiff_t>(42, samples.size()));
    }
}

k_VisibilityPlanner::~k_VisibilityPlanner() = default;

void k_VisibilityPlanner::plan(double dt) {
    stepDt = dt;
    k_MotionPlanner::plan(dt);
}

void k_VisibilityPlanner::setCamera(k_Camera* cameraValue) {
    k_MotionPlanner::setCamera(cameraValue);
    hasChosen = false; // a new scene: nothing chosen in it yet
}

void k_VisibilityPlanner::collectNearBodies(const k_Artifact* target, float reach) {
    std::size_t targetIndex = forecast.getBodyCount();
    for (std::size_t i = 0; i < forecast.getBodyCount(); ++i) {
        if (forecast.getBody(i) == target) {
            targetIndex = i;
            break;
        }
    }
    for (std::size_t h = 0; h < forecast.getHorizonCount(); ++h) {
        targetCenters[h] = targetIndex < forecast.getBodyCount()
                               ? forecast.getCenter(h, targetIndex)
                               : target->getTranslation();
        nearBodies[h].clear();
        for (std::size_t i = 0; i < forecast.getBodyCount(); ++i) {
            if (i == targetIndex || forecast.getBody(i) == nullptr) {
                continue;
            }
            const float radius = forecast.getRadius(i);
            const float limit = reach + radius + minimumClearance;
            const k_Vector3 offset = forecast.getCenter(h, i) - targetCenters[h];
            const float offsetSquared = dot(offset, offset);
            if (offsetSquared < limit * limit) {
                const float sight = radius + sightMargin;
                const float crowd = radius + minimumClearance;
                nearBodies[h].push_back(
                    NearBody{offset, offsetSquared, radius, sight * sight, crowd * crowd});
            }
        }
    }
}

// With k = offset . direction, the squared distance from the body's centre to the point at
// `along` on the way out is |offset|^2 - 2 along k + along^2; the nearest point of the sight
// clamps `along` to the sight's ends.
float k_VisibilityPlanner::NearBody::sightDistanceSquared(float k, float distance) const {
    const float along = std::clamp(k, 0.0f, distance);
    return offsetSquared - 2.0f * along * k + along * along;
}

float k_VisibilityPlanner::NearBody::viewpointDistanceSquared(float k, float distance) const {
    return offsetSquared - 2.0f * distance * k + distance * distance;
}

double k_VisibilityPlanner::scoreViewpoint(const k_Vector3& direction,
                                           const k_Vector3& currentDirection, float distance,
                                           std::uint64_t& tests, std::uint64_t& sphereTests,
                                           int* sightCost) const {
    int blocked = 0;
    int crowded = 0;
    bool blockedNow = false;
    const std::size_t horizonCount = forecast.getHorizonCount();
    for (std::size_t h = 0; h < horizonCount; ++h) {
        tests += 2;
        bool sightCut = false;
        bool sightBlocked = false;
        bool viewpointCrowded = false;
        for (const NearBody& body : nearBodies[h]) {
            sphereTests += 2;
            const float k = dot(body.offset, direction);
            const float sightSquared = body.sightDistanceSquared(k, distance);
            sightCut = sightCut || sightSquared < body.sightSquared;
            sightBlocked = sightBlocked || sightSquared < body.radius * body.radius;
            viewpointCrowded =
                viewpointCrowded || body.viewpointDistanceSquared(k, distance) < body.crowdSquared;
        }
        // A sight through a body itself costs again: among dense bodies the margin cuts
        // nearly every sight, and only this still tells a grazed view from a blocked one.
        blocked += sightCut ? 1 : 0;
        blocked += sightBlocked ? 1 : 0;
        blockedNow = blockedNow || (h == 0 && sightCut);
        crowded += viewpointCrowded ? 1 : 0;
    }
    if (sightCost != nullptr) {
        *sightCost = blocked + static_cast<int>(crowdedWeight) * crowded;
    }
    const double horizons = static_cast<double>(horizonCount);
    double cost = (blocked + crowdedWeight * crowded) / horizons;
    cost += turnWeight * angleBetween(currentDirection, direction) / pi;
    cost += distanceWeight * std::fabs(std::log(distance / baseDistance));
    // A choice whose sight is cut now has no claim to be kept: the bonus would hold the
    // camera where the target is hidden.
    if (!blockedNow && hasChosen && exactlyEqual(direction, chosenDirection) &&
        distance == chosenDistance) {
        cost -= stickiness;
    }
    return cost;
}

double k_VisibilityPlanner::scoreHold(const k_Vector3& eye, float eyeDistance, float nearest,
                                      std::uint64_t& tests, std::uint64_t& sphereTests) const {
    const std::size_t horizonCount = forecast.getHorizonCount();
    for (std::size_t h = 0; h < horizonCount; ++h) {
        tests += 2;
        const k_Vector3 fromTarget = eye - targetCenters[h];
        const float distance = fromTarget.length();
        if (distance < nearest || distance > holdReach * baseDistance) {
            return -1.0; // the target leaves the band: holding is not an option
        }
        const k_Vector3 direction = unitOrNull(fromTarget);
        bool sightCut = false;
        bool viewpointCrowded = false;
        for (const NearBody& body : nearBodies[h]) {
            sphereTests += 2;
            const float k = dot(body.offset, direction);
            sightCut = sightCut || body.sightDistanceSquared(k, distance) < body.sightSquared;
            viewpointCrowded =
                viewpointCrowded || body.viewpointDistanceSquared(k, distance) < body.crowdSquared;
        }
        if (sightCut || viewpointCrowded) {
            return -1.0; // only a view clear now and ahead is worth holding
        }
    }
    return distanceWeight * std::fabs(std::log(eyeDistance / baseDistance));
}

void k_VisibilityPlanner::chooseRoute(const k_Artifact* target, const k_Vector3& targetCenter,
                                      k_Route& route) {
    k_Camera* camera = getCamera();
    k_PlanningStats& stats = getStepStats();
    forecast.update(animations);

    const k_Vector3 eye = camera->getPosition();
    baseDistance = static_cast<float>(camera->getStopDistance()) + target->getRadius();
    float farthest = 0.0f;
    float nearest = 1e30f;
    for (double factor : distanceFactors) {
        farthest = std::max(farthest, static_cast<float>(factor) * baseDistance);
        nearest = std::min(nearest, static_cast<float>(factor) * baseDistance);
    }
    const float eyeDistance = (eye - targetCenter).length();
    const bool mayHold = eyeDistance >= nearest && eyeDistance <= holdReach * baseDistance;
    collectNearBodies(target, mayHold ? std::max(farthest, eyeDistance) : farthest);

    k_Vector3 current = unitOrNull(eye - targetCenter);
    if (dot(current, current) == 0.0f) {
        current = hasChosen ? chosenDirection : directions.front();
    }
    const float currentDistance = std::clamp(eyeDistance, nearest, farthest);
    hiddenNow = false;
    for (const NearBody& body : nearBodies[0]) {
        hiddenNow = hiddenNow || body.sightDistanceSquared(dot(body.offset, current), eyeDistance) <
                                     body.radius * body.radius;
    }

    // Fixed order, so that the cap cuts the same candidates on every run: the way the
    // camera already looks, the last choice, then the sample directions.
    std::uint64_t tests = 0;
    std::uint64_t sphereTests = 0;
    k_Vector3 best = current;
    float bestDistance = currentDistance;
    int defaultSight = 0;
    const float defaultDistance =
        std::min(eyeDistance, static_cast<float>(camera->getStopDistance()) + target->getRadius());
    scoreViewpoint(current, current, defaultDistance, tests, sphereTests, &defaultSight);
    int bestSight = 0;
    double bestCost =
        scoreViewpoint(current, current, currentDistance, tests, sphereTests, &bestSight);
    auto consider = [&](const k_Vector3& direction, float distance) {
        if (tests >= maxScoringTests || sphereTests >= maxScoringDistances) {
            return;
        }
        int sight = 0;
        const double cost =
            scoreViewpoint(direction, current, distance, tests, sphereTests, &sight);
        if (cost < bestCost) {
            bestCost = cost;
            best = direction;
            bestDistance = distance;
            bestSight = sight;
        }
    };
    if (hasChosen) {
        consider(chosenDirection, chosenDistance);
    }
    for (double factor : distanceFactors) {
        for (const k_Vector3& direction : directions) {
            consider(direction, static_cast<float>(factor) * baseDistance);
        }
    }
    // The default's own choice is one of the candidates: where no viewpoint sees better
    // than heading straight on (among dense bodies, where every sight is cut), roaming
    // round the target only costs time the default spends closing in on it.
    const bool asDefault = defaultSight > 0 && bestSight >= defaultSight;
    // Where nothing blocks the view now or ahead, the camera holds its place instead of
    // following the target round: motion for nothing, which also turns the view.
    bool hold = false;
    if (!asDefault && mayHold && tests < maxScoringTests && sphereTests < maxScoringDistances) {
        const double holdCost = scoreHold(eye, eyeDistance, nearest, tests, sphereTests);
        hold = holdCost >= 0.0 && holdCost - holdBonus < bestCost;
    }
    stats.segmentTests += tests;
    stats.sphereTests += sphereTests;

    holding = !asDefault && hold;
    if (asDefault) {
        hasChosen = false;
        route.headFor(targetCenter);
        k_MotionPlanner::chooseRoute(target, targetCenter, route);
    } else if (hold) {
        chosenDirection = current;
        chosenDistance = currentDistance;
        hasChosen = true;
        // A goal at the stop distance brakes the camera to rest where it is.
        steerTowards(eye, eye, targetCenter, route);
    } else {
        chosenDirection = best;
        chosenDistance = bestDistance;
        hasChosen = true;
        steerTowardsViewpoint(current, eyeDistance, targetCenter, route);
    }

    probeTests = 0;
    if (stepDt > 0.0) {
        collectBodiesNearEye();
        keepSafe(target, targetCenter, route);
    }
    stats.sphereTests += probeTests;
}

void k_VisibilityPlanner::steerTowardsViewpoint(const k_Vector3& current, float eyeDistance,
                                                const k_Vector3& targetCenter, k_Route& route) {
    const k_Vector3 viewpoint = targetCenter + chosenDirection * chosenDistance;
    k_Vector3 aim = viewpoint;
    const double turn = angleBetween(current, chosenDirection);
    if (turn > arcStep && eyeDistance < 3.0f * chosenDistance) {
        // Only some of the way round the target, on the circle through both directions.
        k_Vector3 across = chosenDirection - current * dot(current, chosenDirection);
        if (dot(across, across) < 1e-6f) {
            across.cross(current, std::fabs(current.y) < 0.9f ? k_Vector3(0.0f, 1.0f, 0.0f)
                                                              : k_Vector3(1.0f, 0.0f, 0.0f));
        }
        across.normalize();
        const k_Vector3 step = current * std::cos(arcStep) + across * std::sin(arcStep);
        aim = targetCenter + step * chosenDistance;
    }
    steerTowards(aim, viewpoint, targetCenter, route);
}

void k_VisibilityPlanner::keepSafe(const k_Artifact* target, const k_Vector3& targetCenter,
                                   k_Route& route) {
    k_Camera* camera = getCamera();
    float bestClearance = probeClearance();
    if (bestClearance >= safetyMargin) {
        return;
    }
    struct Path {
        k_Vector3 waypoint, nextWaypoint, goal;
    };
    auto current = [camera]() {
        return Path{camera->getWaypoint(), camera->getNextWaypoint(), camera->getGoal()};
    };
    Path best = current();
    bestRoute = route;
    // Away from where the body that comes nearest would be then: a body closing on a camera
    // at rest is met neither by braking nor by heading for the target.
    const k_Vector3 away = unitOrNull(nearestOffset);
    const float escape = 2.0f * nearestRadius + 5.0f;
    // Alternatives, in order: the default's way to the target, braking to a halt (past which
    // the camera backs off along its way), then escaping.
    for (int option = 0; option < 3 && bestClearance < safetyMargin; ++option) {
        const k_Vector3 eye = camera->getPosition();
        if (option == 0) {
            route.headFor(targetCenter);
            k_MotionPlanner::chooseRoute(target, targetCenter, route);
        } else if (option == 1) {
            camera->setPath(best.waypoint, best.nextWaypoint, eye);
        } else if (dot(away, away) > 0.0f) {
            route.headFor(eye + away * escape);
            camera->setPath(eye + away * escape, eye + away * (2.0f * escape),
                            eye + away * static_cast<float>(camera->getStopDistance() + escape));
        } else {
            break;
        }
        const float clearance = probeClearance();
        if (clearance > bestClearance) {
            bestClearance = clearance;
            best = current();
            bestRoute = route;
        }
    }
    camera->setPath(best.waypoint, best.nextWaypoint, best.goal);
    route = bestRoute;
}

void k_VisibilityPlanner::collectBodiesNearEye() {
    const k_Camera* camera = getCamera();
    const int frames = probeFrames(stepDt);
    const k_Vector3 eye = camera->getPosition();
    // Bodies the eye could reach in that time, or that could reach it.
    const double seconds = stepDt * frames;
    const double reach = camera->getVelocity().length() * seconds +
                         0.5 * camera->getAcceleration() * seconds * seconds + 5.0;
    bodiesNearEye.clear();
    for (std::size_t i = 0; i < forecast.getBodyCount(); ++i) {
        if (forecast.getBody(i) == nullptr) {
            continue;
        }
        const float limit = static_cast<float>(reach) + forecast.getRadius(i);
        const k_Vector3 offset = forecast.getCenter(0, i) - eye;
        if (dot(offset, offset) < limit * limit) {
            bodiesNearEye.push_back(i);
        }
    }
}

float k_VisibilityPlanner::probeClearance() {
    const k_Camera* camera = getCamera();
    // Dense crowds shorten the look-ahead, so that the step's work stays bounded.
    const int wanted = probeFrames(stepDt);
    const int affordable =
        static_cast<int>(maxProbeDistances / std::max<std::size_t>(bodiesNearEye.size(), 1));
    const int frames = std::min(wanted, std::max(affordable, minProbeFrames));
    // A copy of the camera's motion, moved as the camera would be: the camera stays put.
    k_CameraMotion probe = camera->getMotion();
    float least = 1e30f;
    nearestOffset = k_Vector3();
    nearestRadius = 0.0f;
    for (int frame = 1; frame <= frames; ++frame) {
        probe.advance(stepDt);
        const k_Vector3 at = probe.position;
        std::size_t horizon = 0;
        float share = 0.0f;
        forecast.locate(stepDt * frame, horizon, share);
        probeTests += bodiesNearEye.size();
        for (std::size_t i : bodiesNearEye) {
            const k_Vector3 offset = forecast.getCenterBetween(horizon, share, i) - at;
            const float reachable = forecast.getRadius(i) + least;
            // Only a body nearer than the least clearance so far can lower it.
            if (dot(offset, offset) < reachable * reachable) {
                const float clearance = offset.length() - forecast.getRadius(i);
                if (clearance < least) {
                    least = clearance;
                    nearestOffset = k_Vector3() - offset;
                    nearestRadius = forecast.getRadius(i);
                }
            }
        }
    }
    return least;
}

void k_VisibilityPlanner::steerTowards(const k_Vector3& aim, const k_Vector3& viewpoint,
                                       const k_Vector3& targetCenter, k_Route& route) {
    k_Camera* camera = getCamera();
    k_InformationProvider* provider = getProvider();
    const k_Vector3 eye = camera->getPosition();
    // The camera reads only the goal's distance: it speeds up while that exceeds its stop
    // distance plus 1.5 v^2 / a, and brakes after. A goal at the stop distance plus what is
    // left to the viewpoint brings it to rest there; capping that share caps the speed, so
    // the view near the target turns no faster than maxTurnRate.
    const double stopDistance = camera->getStopDistance();
    const double eyeDistance = (targetCenter - eye).length();
    // Where the target has come much nearer than the viewpoint, the cap of the eye's own
    // distance, which shrinks with it, would pin the camera where a target passing by swings
    // the view round: it backs off at the viewpoint's pace instead.
    const double capDistance = eyeDistance < backOffFactor * chosenDistance
                                   ? static_cast<double>(chosenDistance)
                                   : eyeDistance;
    const double speedLimit =
        maxTurnRate * (hiddenNow ? hiddenSpeedFactor : 1.0) * std::max(capDistance, 1.0);
    const double capped = 1.5 * speedLimit * speedLimit / camera->getAcceleration();
    const double remaining = (viewpoint - eye).length();
    const float goalDistance = static_cast<float>(stopDistance + std::min(remaining, capped));
    k_Vector3 heading = unitOrNull(aim - eye);
    if (dot(heading, heading) == 0.0f) {
        heading = unitOrNull(targetCenter - eye);
    }
    const k_Vector3 goal = eye + heading * goalDistance;
    const k_Vector3 beyondAim =
        exactlyEqual(aim, viewpoint) ? aim + unitOrNull(aim - eye) : viewpoint;

    route.headFor(aim);
    // The target counts as an obstacle: the way to a viewpoint goes round it.
    if (!provider->isSegmentBlocked(searchGeometry::segmentBetween(eye, aim), nullptr)) {
        camera->setPath(aim, beyondAim, goal);
        return;
    }
    const k_SearchOutcome outcome = searchRoute(aim, nullptr, k_SearchDirection::fromEye, route);
    if (outcome == k_SearchOutcome::found) {
        camera->setPath(route.getWaypoint(), route.getNextWaypointOr(beyondAim), goal);
        return;
    }
    // A search stopped at the work bound: the default's fallback for the way to the aim,
    // with this planner's goal.
    if (outcome == k_SearchOutcome::budgetReached && chooseFallback(aim)) {
        camera->setPath(camera->getWaypoint(), camera->getNextWaypoint(), goal);
        return;
    }
    camera->setPath(aim, beyondAim, goal);
}
