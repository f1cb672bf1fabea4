#include "planning/RolloutPlanner.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "camera/Camera.h"
#include "scenegraph/Artifact.h"
#include "scenegraph/ArtifactRegistry.h"

namespace {

// How far ahead the plans are run: as far as the bodies are forecast.
constexpr double rolloutSeconds = 2.0;
// Most frames of motion a rollout runs; a smaller time step is run at this resolution.
constexpr int maxRolloutFrames = 200;
// How often along a rollout the sight and the eye's clearance are judged.
constexpr double sampleSeconds = 0.08;
// Sight lines to the target judged at a moment: its centre and four points at this share of
// its radius across the line of sight, so a partly hidden target scores between seen and not.
constexpr int fullRays = 5;
constexpr float rimShare = 0.9f;
// A later moment counts less: the plan is chosen again every step, and the forecast drifts.
constexpr double decayPerSecond = 1.0;
// How far ahead the eye's whole way between judged moments is kept out of bodies; later, the
// way is replanned before the camera gets there, and a way that passes between close bodies
// there is not held against the plan.
constexpr double sweptSeconds = 0.5;
// Cost of a moment with the eye inside a body, against 1 for a moment with the target hidden.
constexpr double insideWeight = 8.0;
// Clearance from the bodies' surfaces below which the eye is too near, and the cost of a
// moment spent touching one.
constexpr float safetyMargin = 0.3f;
constexpr double nearWeight = 1.0;
// The view may turn this fast for free (radians per second); beyond, a moment costs up to
// turnWeight, and only where it turns faster than on the default's way (not within the turn
// budget, where the fastest turn alone is paid for).
constexpr double freeTurnRate = 1.2;
constexpr double turnWeight = 2.0;
// Cost of a plan whose fastest turn is twice the step's turn limit or more.
constexpr double fastTurnWeight = 1.0;
// How much better, in shares of the look-ahead with the target hidden, a plan must score to
// replace the default's, or the plan kept from the last step.
constexpr double switchMargin = 0.05;
// Side steps across the line of sight: this far round the target, and never more than the
// default's distance from it across (a far camera steps aside, it does not circle).
constexpr float sideAngle = 0.5f;

k_Vector3 unitOf(const k_Vector3& v) {
    k_Vector3 unit = v;
    unit.normalize();
    return unit;
}

// dot() and the vector operators, written out so that the rollouts' inner loop, which runs
// about a quarter of a million times a step, needs no calls; the arithmetic is theirs, step
// for step, so the results are the same to the bit.
inline float dotOf(float ax, float ay, float az, float bx, float by, float bz) {
    return static_cast<float>(static_cast<double>(ax) * bx + static_cast<double>(ay) * by +
                              static_cast<double>(az) * bz);
}

// Squared distance from `point` to the segment from `from` to `to`.
inline float segmentDistanceSquared(const k_Vector3& point, const k_Vector3& from,
                                    const k_Vector3& to) {
    const float sx = to.x - from.x, sy = to.y - from.y, sz = to.z - from.z;
    const float ox = point.x - from.x, oy = point.y - from.y, oz = point.z - from.z;
    const float lengthSquared = dotOf(sx, sy, sz, sx, sy, sz);
    const float along = lengthSquared > 0.0f
                            ? std::clamp(dotOf(ox, oy, oz, sx, sy, sz) / lengthSquared, 0.0f, 1.0f)
                            : 0.0f;
    const float cx = ox - sx * along, cy = oy - sy * along, cz = oz - sz * along;
    return dotOf(cx, cy, cz, cx, cy, cz);
}

// The same horizons as the visibility planner's forecast: the rollouts run as far.
std::vector<double> forecastHorizons() {
    return {0.0, 0.25, 0.5, 1.0, 1.5, 2.0};
}

double rolloutStep(double dt) {
    return std::max(dt, rolloutSeconds / maxRolloutFrames);
}

} // namespace

k_RolloutPlanner::k_RolloutPlanner(k_InformationProvider* providerValue, k_Camera* cameraValue,
                                   k_MainSceneNode* rootNodeValue,
                                   const k_AnimationManager* animationsValue)
    : k_VisibilityPlanner(providerValue, cameraValue, rootNodeValue, animationsValue),
      animations(animationsValue), nearSight(forecastHorizons()), standardRoute(2 * 15 + 2),
      visibilityRoute(2 * 15 + 2) {}

k_RolloutPlanner::~k_RolloutPlanner() = default;

void k_RolloutPlanner::setCamera(k_Camera* cameraValue) {
    k_VisibilityPlanner::setCamera(cameraValue);
    chosen = k_Plan::standard; // a new scene starts from the default's way
    nearSight.forget();
    turnSteps = 0;
    fastTurnSteps = 0;
    withinTurnBudget = false;
}

bool k_RolloutPlanner::countTurn(const k_CameraMotion& start) {
    const k_Vector3 view = unitOf(start.lookAt - start.position);
    if (turnSteps > 0) {
        const double cosine = std::clamp(static_cast<double>(dot(view, lastStepView)), -1.0, 1.0);
        if (std::acos(cosine) / getStepDt() > turnLimit) {
            ++fastTurnSteps;
        }
    }
    ++turnSteps;
    lastStepView = view;
    // A push-out's jump counts too, though the turn rate leaves out the second after one.
    return static_cast<double>(fastTurnSteps + 1) <=
           turnBudgetShare * static_cast<double>(turnSteps);
}

void k_RolloutPlanner::chooseRoute(const k_Artifact* target, const k_Vector3& targetCenter,
                                   k_Route& route) {
    k_Camera* camera = getCamera();
    const k_CameraMotion start = camera->getMotion();
    const bool budgetHolds = countTurn(start);
    withinTurnBudget = false;
    double limit = turnLimit;
    auto commandOfCamera = [camera](bool followsTarget) {
        return Command{camera->getWaypoint(), camera->getNextWaypoint(), camera->getGoal(),
                       followsTarget};
    };

    // Each planner decides from the same state; the camera's path is put back after each.
    k_MotionPlanner::chooseRoute(target, targetCenter, route);
    commands[0] = commandOfCamera(true);
    standardRoute = route;
    camera->setPath(start.waypoint, start.nextWaypoint, start.goal);
    offered.fill(true);
    offered[1] = artifactRegistry.size() <= maxVisibilityBodies;
    std::fill(offered.begin() + firstEscape, offered.end(), false);
    if (offered[1]) {
        route.headFor(targetCenter);
        k_VisibilityPlanner::chooseRoute(target, targetCenter, route);
        // A camera holding its place stays where it is whatever the target does.
        commands[1] = commandOfCamera(!isHolding());
        visibilityRoute = route;
    } else {
        commands[1] = commands[0];
    }

    const k_Vector3 eye = start.position;
    const k_Vector3 toTarget = targetCenter - eye;
    k_Vector3 heading = unitOf(toTarget);
    if (dot(heading, heading) == 0.0f) {
        heading = k_Vector3(0.0f, 0.0f, -1.0f);
    }
    const float stop = static_cast<float>(camera->getStopDistance());
    // Braking to rest where the eye is: a goal at the stop distance.
    commands[2] = Command{eye + heading, eye + heading * 2.0f, eye + heading * stop, false};
    k_Vector3 side;
    side.cross(heading, std::fabs(heading.y) < 0.9f ? k_Vector3(0.0f, 1.0f, 0.0f)
                                                    : k_Vector3(1.0f, 0.0f, 0.0f));
    side.normalize();
    k_Vector3 upward;
    upward.cross(side, heading);
    const k_Vector3 sides[] = {side * -1.0f, side, upward, upward * -1.0f};
    const float lateral =
        std::min(toTarget.length() * std::tan(sideAngle), stop + target->getRadius());
    // The default's distance: where its camera comes to rest short of the target.
    const float defaultDistance = stop + target->getRadius();
    for (std::size_t s = 0; s < 4; ++s) {
        commands[3 + s] = sideStep(eye, targetCenter, sides[s], lateral, defaultDistance);
    }
    // Backing off to (or closing in to) the default's distance along the present sight: a
    // target about to pass close by would swing the view round faster than any camera keeping
    // that distance turns.
    commands[7] = restAt(eye, targetCenter - heading * defaultDistance, heading * -1.0f);

    // Bodies the sight or the eye could meet over the look-ahead.
    const double seconds = rolloutSeconds;
    const double travel = std::min(camera->getMaxSpeed() * seconds,
                                   camera->getVelocity().length() * seconds +
                                       0.5 * camera->getAcceleration() * seconds * seconds);
    // The visibility planner's forecast, where it ran, already holds every body's centres.
    const bool fits = nearSight.update(animations, eye, target, static_cast<float>(travel) + 1.0f,
                                       maxForecastBodies, offered[1] ? &getForecast() : nullptr);
    getStepStats().sphereTests += nearSight.getBodiesScanned();

    costs.fill(0.0);
    std::uint64_t distances = 0;
    rolloutDistances = 0;
    std::array<Score, planCount> scores{};
    // The finest sampling whose work, as `work` counts it, fits the bound: five sight lines,
    // then one, then the sight every second or fourth moment.
    int rays = fullRays;
    int stride = 1;
    auto lighten = [&](auto work) {
        rays = fullRays;
        stride = 1;
        if (work(rays, stride) > maxRolloutDistances) {
            rays = 1;
        }
        while (stride < 4 && work(rays, stride) > maxRolloutDistances) {
            stride *= 2;
        }
        return work(rays, stride) <= maxRolloutDistances;
    };
    // The budget is spent only where the sight is judged in full: judged along one line, or
    // at every other moment, it ranks plans too coarsely to be worth a fast turn (in the
    // densest swarms it led the view into spells far past the limit).
    auto judgeTurnsAsSampled = [&] {
        withinTurnBudget = budgetHolds && rays == fullRays && stride == 1;
        limit = withinTurnBudget ? budgetTurnLimit : turnLimit;
    };
    bool scored = fits;
    bool settled = false;
    bool prepared = true;
    if (scored) {
        // Each plan's camera is run first and the bodies it could meet are listed (at most a
        // box test a body twice a plan): the work of judging it follows from those lists.
        prepareBoxes();
        // The bodies' centres at the judged moments, worked out once before the first judging.
        momentCenters.clear();
        auto judge = [&](std::size_t p) {
            if (momentCenters.empty()) {
                prepareMoments();
            }
            return judgeRollout(p, rays, stride, distances);
        };
        for (std::size_t p = 0; p < firstEscape; ++p) {
            // A plan that hands the camera the same as an earlier one runs the same way.
            std::size_t same = 0;
            while (same < p && !(offered[same] && sameCommand(commands[same], commands[p]))) {
                ++same;
            }
            sameAs[p] = same;
        }
        prepareRollout(0, distances);
        // Where the default's way is the plan kept it is judged first, as finely as its own work
        // allows: where nothing hides the target from it, no other plan could be better by the
        // margin, and they are neither run nor judged.
        int firstRays = 0;
        int firstStride = 0;
        if (chosen == k_Plan::standard &&
            lighten([&](int r, int s) { return distances + judgingWork(0, r, s); })) {
            firstRays = rays;
            firstStride = stride;
            scores[0] = judge(0);
            judgeTurnsAsSampled();
            settled = costOf(scores[0], scores[0].turning, limit, !withinTurnBudget) < switchMargin;
        }
        if (settled) {
            std::fill(offered.begin() + 1, offered.end(), false);
        } else {
            // Running another plan's camera costs two box tests a body: where the default's
            // judging left no room for them all, the step takes the default's way unscored.
            std::uint64_t preparing = 0;
            for (std::size_t p = 1; p < firstEscape; ++p) {
                preparing += offered[p] && sameAs[p] == p ? 2 * nearSight.getBodyCount() : 0;
            }
            prepared = distances + preparing <= maxRolloutDistances;
            for (std::size_t p = 1; p < planCount && prepared; ++p) {
                if (offered[p] && sameAs[p] == p) {
                    prepareRollout(p, distances);
                }
            }
            // All plans are judged alike: the default's again where its first judging was finer.
            scored = prepared && lighten([&](int r, int s) {
                         std::uint64_t total = distances;
                         for (std::size_t p = 0; p < planCount; ++p) {
                             const bool judged = p == 0 && r == firstRays && s == firstStride;
                             if (offered[p] && sameAs[p] == p && !judged) {
                                 total += judgingWork(p, r, s);
                             }
                         }
                         return total;
                     });
            if (scored) {
                if (rays != firstRays || stride != firstStride) {
                    scores[0] = judge(0);
                }
                for (std::size_t p = 1; p < planCount; ++p) {
                    if (offered[p]) {
                        scores[p] = sameAs[p] < p ? scores[sameAs[p]] : judge(p);
                    }
                }
            }
        }
    }
    if (!scored) {
        ++unscoredSteps;
        withinTurnBudget = false; // no plan is weighed against it
        // Every plan's camera was run where the step got as far as judging them all: then the
        // default's way is not taken blind where its run swings the view past the limit.
        chosen = fits && !settled && prepared ? steadierPlan(distances) : k_Plan::standard;
        getStepStats().sphereTests += distances;
        rolloutDistances = distances;
    } else {
        if (!settled) {
            judgeEscapes(scores, rays, stride, distances);
        }
        getStepStats().sphereTests += distances;
        rolloutDistances = distances;
        // Turning counts only beyond the default's own: where the target itself sweeps past,
        // the default's turn is what any camera keeping it in view must do. The fastest turn
        // beyond the limit counts for every plan.
        judgeTurnsAsSampled();
        for (std::size_t p = 0; p < planCount; ++p) {
            costs[p] =
                offered[p] ? costOf(scores[p], scores[0].turning, limit, !withinTurnBudget) : 0.0;
        }
        // Keeping the eye out of a body comes before turning slowly.
        const double turnAllowed = scores[0].entersBody ? std::numeric_limits<double>::infinity()
                                                        : std::max(limit, scores[0].fastestTurn);

        // The default's way unless another is better by the margin; the plan kept from the
        // last step needs only to stay at least as good as the default's.
        const double standardCost = costs[0];
        auto eligible = [&](std::size_t p) {
            return p == 0 ||
                   (offered[p] && scores[p].fastestTurn <= turnAllowed &&
                    costs[p] <= standardCost -
                                    (p == static_cast<std::size_t>(chosen) ? 0.0 : switchMargin));
        };
        std::size_t pick =
            eligible(static_cast<std::size_t>(chosen)) ? static_cast<std::size_t>(chosen) : 0;
        std::size_t best = pick;
        for (std::size_t p = 0; p < planCount; ++p) {
            if (eligible(p) && costs[p] < costs[best]) {
                best = p;
            }
        }
        if (costs[best] < costs[pick] - switchMargin) {
            pick = best;
        }
        chosen = static_cast<k_Plan>(pick);
    }

    const Command& command = commands[static_cast<std::size_t>(chosen)];
    camera->setPath(command.waypoint, command.nextWaypoint, command.goal);
    if (chosen == k_Plan::standard) {
        route = standardRoute;
    } else if (chosen == k_Plan::visibility) {
        route = visibilityRoute;
    } else {
        route.headFor(command.waypoint);
    }
}

void k_RolloutPlanner::judgeEscapes(std::array<Score, planCount>& scores, int rays,
                                    int sampleStride, std::uint64_t& distances) {
    for (std::size_t p = 0; p < firstEscape; ++p) {
        if (offered[p] && !scores[p].entersBody) {
            return;
        }
    }
    // The body that comes at a camera holding back: the one to get past.
    const std::size_t brake = static_cast<std::size_t>(k_Plan::brake);
    const Rollout& braking = rollouts[sameAs[brake]];
    if (scores[brake].entryMoment < 0 || braking.moments.empty() || momentCenters.empty()) {
        return;
    }
    const std::size_t body = scores[brake].entryBody;
    const k_Vector3 bodyNow = nearSight.getCenter(0, body);
    const k_Vector3 bodyVelocity =
        (momentCenters[body] - bodyNow) * static_cast<float>(1.0 / braking.moments.front().t);
    const k_Vector3 course = unitOf(getCamera()->getVelocity() - bodyVelocity);
    const k_Vector3 eye = getCamera()->getMotion().position;
    // Across the course, to the side the eye already passes the body on.
    const k_Vector3 offset = eye - bodyNow;
    k_Vector3 side = unitOf(offset - course * dot(offset, course));
    if (dot(side, side) == 0.0f) {
        side.cross(course, std::fabs(course.y) < 0.9f ? k_Vector3(0.0f, 1.0f, 0.0f)
                                                      : k_Vector3(1.0f, 0.0f, 0.0f));
        side.normalize();
    }
    if (dot(side, side) == 0.0f) {
        return; // at rest beside a body at rest: no course to leave
    }
    const float stop = static_cast<float>(getCamera()->getStopDistance());
    const std::size_t bodyCount = nearSight.getBodyCount();
    for (std::size_t p = firstEscape; p < planCount; ++p) {
        const k_Vector3 across = p == firstEscape ? side : side * -1.0f;
        const k_Vector3 waypoint = eye + across * escapeReach;
        // A goal at the stop distance: the camera brakes all the way.
        commands[p] = Command{waypoint, waypoint + across, eye + across * stop, false};
        sameAs[p] = p;
        if (distances + 2 * bodyCount > maxRolloutDistances) {
            return;
        }
        prepareRollout(p, distances);
        if (distances + judgingWork(p, rays, sampleStride) > maxRolloutDistances) {
            return;
        }
        offered[p] = true;
        scores[p] = judgeRollout(p, rays, sampleStride, distances);
    }
}

k_RolloutPlanner::k_Plan k_RolloutPlanner::steadierPlan(std::uint64_t& distances) {
    double slowest = rollouts[0].fastestTurn;
    if (slowest <= turnLimit) {
        return k_Plan::standard;
    }
    // Too many bodies near the sight to judge it: braking or backing off, whose runs are only
    // judged for the eye's clearance, where that turns the view more slowly than the default's
    // way and keeps the eye out of every body.
    k_Plan pick = k_Plan::standard;
    for (k_Plan plan : {k_Plan::brake, k_Plan::keepDistance}) {
        const std::size_t p = static_cast<std::size_t>(plan);
        if (!offered[p] || sameAs[p] != p || !(rollouts[p].fastestTurn < slowest) ||
            distances + judgingWork(p, 0, 1) > maxRolloutDistances) {
            continue;
        }
        if (momentCenters.empty()) {
            prepareMoments();
        }
        if (!judgeRollout(p, 0, 1, distances).entersBody) {
            pick = plan;
            slowest = rollouts[p].fastestTurn;
        }
    }
    return pick;
}

k_RolloutPlanner::Command k_RolloutPlanner::sideStep(const k_Vector3& eye,
                                                     const k_Vector3& targetCenter,
                                                     const k_Vector3& side, float lateral,
                                                     float nearest) const {
    const k_Vector3 fromTarget = eye - targetCenter;
    // `lateral` across the line of sight, at the eye's distance from the target: a side step
    // that also closed in would turn the view faster than the default's way for the same sight.
    const float distance = std::max(fromTarget.length(), nearest);
    const k_Vector3 viewpoint = targetCenter + unitOf(fromTarget + side * lateral) * distance;
    return restAt(eye, viewpoint, side);
}

k_RolloutPlanner::Command k_RolloutPlanner::restAt(const k_Vector3& eye, const k_Vector3& viewpoint,
                                                   const k_Vector3& fallbackDirection) const {
    const k_Vector3 way = viewpoint - eye;
    k_Vector3 along = unitOf(way);
    if (dot(along, along) == 0.0f) {
        along = fallbackDirection;
    }
    // A goal at the stop distance plus what is left brings the camera to rest at the viewpoint.
    const float goalDistance = static_cast<float>(getCamera()->getStopDistance()) + way.length();
    return Command{viewpoint, viewpoint + along, eye + along * goalDistance, true};
}

double k_RolloutPlanner::costOf(const Score& score, double standardTurning, double limit,
                                bool turningCounts) {
    const double turning =
        turningCounts ? turnWeight * std::max(0.0, score.turning - standardTurning) : 0.0;
    return score.sight + score.safety + turning +
           fastTurnWeight * std::clamp((score.fastestTurn - limit) / limit, 0.0, 1.0);
}

bool k_RolloutPlanner::sameCommand(const Command& a, const Command& b) {
    return a.followsTarget == b.followsTarget && exactlyEqual(a.waypoint, b.waypoint) &&
           exactlyEqual(a.nextWaypoint, b.nextWaypoint) && exactlyEqual(a.goal, b.goal);
}

void k_RolloutPlanner::prepareBoxes() {
    // The box each body stays in over the look-ahead: a plan's lists of the bodies it could
    // meet are drawn from them.
    const k_LocalForecast& forecast = nearSight;
    const std::size_t bodyCount = forecast.getBodyCount();
    radii.assign(bodyCount, 0.0f);
    boxes.assign(bodyCount, Box{});
    centerBoxes.assign(bodyCount, Box{});
    for (std::size_t i = 0; i < bodyCount; ++i) {
        radii[i] = forecast.getRadius(i);
        Box& box = boxes[i];
        box.low = box.high = forecast.getCenter(0, i);
        for (std::size_t h = 1; h < forecast.getHorizonCount(); ++h) {
            const k_Vector3& c = forecast.getCenter(h, i);
            box.low = k_Vector3(std::min(box.low.x, c.x), std::min(box.low.y, c.y),
                                std::min(box.low.z, c.z));
            box.high = k_Vector3(std::max(box.high.x, c.x), std::max(box.high.y, c.y),
                                 std::max(box.high.z, c.z));
        }
        centerBoxes[i] = box;
        const float grow = radii[i] + safetyMargin;
        box.low = box.low - k_Vector3(grow, grow, grow);
        box.high = box.high + k_Vector3(grow, grow, grow);
    }
}

void k_RolloutPlanner::prepareMoments() {
    // Every plan is judged at the same moments: the bodies' centres then are worked out once.
    const k_LocalForecast& forecast = nearSight;
    const std::size_t bodyCount = forecast.getBodyCount();
    momentCenters.clear();
    nextLocations.clear();
    const double dt = rolloutStep(getStepDt());
    const int frames = static_cast<int>(std::ceil(rolloutSeconds / dt));
    const int sampleEvery = std::max(1, static_cast<int>(std::lround(sampleSeconds / dt)));
    for (int frame = 1; frame <= frames; ++frame) {
        if (frame % sampleEvery != 0 && frame != frames) {
            continue;
        }
        std::size_t horizon = 0;
        float share = 0.0f;
        // The eye a frame's step moves to is seen beside the bodies where that frame's
        // animations left them, before the step: one frame behind the eye's time. The next
        // frame's planning finds the same eye beside the bodies a frame on, and pushes it out
        // of any it is inside then: the eye is kept clear of both.
        forecast.locate(dt * (frame - 1), horizon, share);
        for (std::size_t i = 0; i < bodyCount; ++i) {
            momentCenters.push_back(forecast.getCenterBetween(horizon, share, i));
        }
        forecast.locate(dt * frame, horizon, share);
        nextLocations.push_back(Location{horizon, share});
    }
}

void k_RolloutPlanner::prepareRollout(std::size_t p, std::uint64_t& distances) {
    const k_LocalForecast& forecast = nearSight;
    Rollout& rollout = rollouts[p];
    rollout.moments.clear();
    rollout.eyeBodies.clear();
    rollout.sightBodies.clear();
    if (!forecast.hasTarget()) {
        return;
    }
    const Command& command = commands[p];
    constexpr std::size_t targetIndex = 0;
    const double dt = rolloutStep(getStepDt());
    const int frames = static_cast<int>(std::ceil(rolloutSeconds / dt));
    const int sampleEvery = std::max(1, static_cast<int>(std::lround(sampleSeconds / dt)));
    const float targetRadius = forecast.getRadius(targetIndex);
    const std::size_t bodyCount = forecast.getBodyCount();

    // The camera's run first: where the eye and the target are at each judged moment.
    k_CameraMotion probe = getCamera()->getMotion();
    probe.setPath(command.waypoint, command.nextWaypoint, command.goal);
    k_Vector3 lastTarget = forecast.getCenter(0, targetIndex);
    const k_Vector3 startView = unitOf(probe.lookAt - probe.position);
    k_Vector3 lastFrameView = startView;
    double fastest = 0.0;
    std::vector<Moment>& moments = rollout.moments;
    moments.clear();
    k_Vector3 low = probe.position, high = probe.position;
    for (int frame = 1; frame <= frames; ++frame) {
        const double t = dt * frame;
        // A frame plans with the bodies where its animations left them, then moves the eye:
        // the eye after this frame's step meets the target and the bodies of one frame earlier.
        std::size_t horizon = 0;
        float share = 0.0f;
        forecast.locate(t - dt, horizon, share);
        const k_Vector3 targetAt = forecast.getCenterBetween(horizon, share, targetIndex);
        if (command.followsTarget) {
            const k_Vector3 shift = targetAt - lastTarget;
            probe.waypoint = probe.waypoint + shift;
            probe.nextWaypoint = probe.nextWaypoint + shift;
            probe.goal = probe.goal + shift;
        }
        lastTarget = targetAt;
        probe.lookTarget = targetAt;
        probe.advance(dt);
        // Every frame, as the view is judged: a swing between samples counts too.
        const k_Vector3 frameView = unitOf(probe.lookAt - probe.position);
        fastest = std::max(
            fastest,
            std::acos(std::clamp(static_cast<double>(dot(frameView, lastFrameView)), -1.0, 1.0)) /
                dt);
        lastFrameView = frameView;
        if (frame % sampleEvery != 0 && frame != frames) {
            continue;
        }
        const k_Vector3& eye = probe.position;
        low = k_Vector3(std::min(low.x, eye.x), std::min(low.y, eye.y), std::min(low.z, eye.z));
        high = k_Vector3(std::max(high.x, eye.x), std::max(high.y, eye.y), std::max(high.z, eye.z));
        moments.push_back(Moment{t, frame, eye, targetAt, frameView});
    }
    rollout.fastestTurn = fastest;
    rollout.startView = startView;

    // The bodies whose box meets the eye's: only they can come too near it. Their clearance
    // is judged at every moment, unless there are too many for that: then, like the sight, only
    // at the moments the sight is judged.
    std::vector<std::size_t>& eyeBodies = rollout.eyeBodies;
    eyeBodies.clear();
    distances += bodyCount;
    for (std::size_t i = 1; i < bodyCount; ++i) {
        const Box& box = boxes[i];
        if (box.low.x <= high.x && low.x <= box.high.x && box.low.y <= high.y &&
            low.y <= box.high.y && box.low.z <= high.z && low.z <= box.high.z) {
            eyeBodies.push_back(i);
        }
    }
    rollout.clearanceEveryMoment =
        2 * eyeBodies.size() * moments.size() <= maxRolloutDistances / (4 * planCount);

    // The bodies that could come near a sight line at a judged moment: those whose centres'
    // box over the look-ahead, grown as for one moment's test in judgeRollout() (and for the
    // rounding of centres between horizons), meets the box of the sight lines at every moment
    // (where fewer are judged, a body outside it is still clear of all of them).
    const float rim = rimShare * targetRadius;
    const float rimSlack = 1.0f + 1e-3f;
    double sightLow[3] = {1e300, 1e300, 1e300}, sightHigh[3] = {-1e300, -1e300, -1e300};
    double longestSight = 0.0;
    for (const Moment& moment : moments) {
        const float ends[2][3] = {{moment.eye.x, moment.eye.y, moment.eye.z},
                                  {moment.target.x, moment.target.y, moment.target.z}};
        for (int axis = 0; axis < 3; ++axis) {
            sightLow[axis] = std::min({sightLow[axis], static_cast<double>(ends[0][axis]),
                                       static_cast<double>(ends[1][axis])});
            sightHigh[axis] = std::max({sightHigh[axis], static_cast<double>(ends[0][axis]),
                                        static_cast<double>(ends[1][axis])});
        }
        longestSight =
            std::max(longestSight, static_cast<double>((moment.target - moment.eye).length()));
    }
    std::vector<std::size_t>& sightBodies = rollout.sightBodies;
    sightBodies.clear();
    distances += bodyCount;
    for (std::size_t i = 1; i < bodyCount; ++i) {
        const Box& box = centerBoxes[i];
        const double magnitude =
            std::max({std::fabs(box.low.x), std::fabs(box.low.y), std::fabs(box.low.z),
                      std::fabs(box.high.x), std::fabs(box.high.y), std::fabs(box.high.z)});
        const double beyond =
            1.0001 * ((radii[i] + rim) * rimSlack) + 1e-4 * (longestSight + 1.0) + 1e-5 * magnitude;
        if (box.low.x <= sightHigh[0] + beyond && sightLow[0] - beyond <= box.high.x &&
            box.low.y <= sightHigh[1] + beyond && sightLow[1] - beyond <= box.high.y &&
            box.low.z <= sightHigh[2] + beyond && sightLow[2] - beyond <= box.high.z) {
            sightBodies.push_back(i);
        }
    }
}

std::uint64_t k_RolloutPlanner::judgingWork(std::size_t p, int rays, int sampleStride) const {
    const Rollout& rollout = rollouts[p];
    std::uint64_t sightMoments = 0;
    for (const Moment& moment : rollout.moments) {
        sightMoments += judgesSight(moment.frame, sampleStride) ? 1 : 0;
    }
    const std::uint64_t clearanceMoments =
        rollout.clearanceEveryMoment || rays == 0 ? rollout.moments.size() : sightMoments;
    return clearanceMoments * 2 * rollout.eyeBodies.size() +
           sightMoments * rollout.sightBodies.size() * static_cast<std::uint64_t>(rays);
}

bool k_RolloutPlanner::judgesSight(int frame, int sampleStride) const {
    const double dt = rolloutStep(getStepDt());
    const int frames = static_cast<int>(std::ceil(rolloutSeconds / dt));
    const int sampleEvery = std::max(1, static_cast<int>(std::lround(sampleSeconds / dt)));
    return frame % (sampleEvery * sampleStride) == 0 || frame == frames;
}

k_RolloutPlanner::Score k_RolloutPlanner::judgeRollout(std::size_t p, int rays, int sampleStride,
                                                       std::uint64_t& distances) {
    const k_LocalForecast& forecast = nearSight;
    const Rollout& rollout = rollouts[p];
    const std::vector<Moment>& moments = rollout.moments;
    if (moments.empty()) {
        return Score{};
    }
    const float rim = rimShare * forecast.getRadius(0);
    const float rimSlack = 1.0f + 1e-3f;
    const std::size_t bodyCount = forecast.getBodyCount();
    // With no sight lines only the eye's clearance is judged, at every moment.
    const bool everyMoment = rollout.clearanceEveryMoment || rays == 0;
    const std::vector<std::size_t>& eyeBodies = rollout.eyeBodies;
    const std::vector<std::size_t>& sightBodies = rollout.sightBodies;
    const k_Vector3 startView = rollout.startView;
    const double fastest = rollout.fastestTurn;
    double lastSample = 0.0;
    k_Vector3 lastView = startView;
    // Over the near future, whether the eye enters a body is judged over the whole way between
    // two judged moments: the eye and a body, each moving in a straight line between them,
    // come nearest where the segment between their offsets passes closest to zero. A fast
    // camera moves more than a small body's width between moments, and judging only the
    // moments themselves let it cut through one. How near it comes is still judged at the
    // moments: judged along the way, passing between close bodies cost more than it kept the
    // eye out of them.
    k_Vector3 lastEye = getCamera()->getMotion().position;
    const k_Vector3* lastCenters = nullptr;
    const k_Vector3 origin(0.0f, 0.0f, 0.0f);
    double hidden = 0.0, inside = 0.0, near = 0.0, turning = 0.0, weights = 0.0;
    double safetyWeights = 0.0;
    int entryMoment = -1;
    std::size_t entryBody = 0;
    for (std::size_t m = 0; m < moments.size(); ++m) {
        const Moment& moment = moments[m];
        const double t = moment.t;
        const k_Vector3 eye = moment.eye;
        const k_Vector3 targetAt = moment.target;
        const double weight = 1.0 / (1.0 + decayPerSecond * t);
        const k_Vector3* centers = &momentCenters[m * bodyCount];
        const Location& next = nextLocations[m];
        const bool sightJudged = judgesSight(moment.frame, sampleStride);
        if (everyMoment || sightJudged) {
            float least = 1e30f;
            bool cutsThrough = false;
            std::size_t cutBody = 0, nearestBody = 0;
            const bool nearFuture = t <= sweptSeconds;
            distances += 2 * eyeBodies.size(); // beside this frame's bodies and the next's
            for (std::size_t i : eyeBodies) {
                const k_Vector3& center = centers[i];
                const float radius = radii[i];
                if (nearFuture && !cutsThrough) {
                    const k_Vector3& lastCenter =
                        lastCenters != nullptr ? lastCenters[i] : forecast.getCenter(0, i);
                    if (segmentDistanceSquared(origin, lastEye - lastCenter, eye - center) <
                        radius * radius) {
                        cutsThrough = true;
                        cutBody = i;
                    }
                }
                const k_Vector3 later = forecast.getCenterBetween(next.horizon, next.share, i);
                const float ox = center.x - eye.x, oy = center.y - eye.y, oz = center.z - eye.z;
                const float lx = later.x - eye.x, ly = later.y - eye.y, lz = later.z - eye.z;
                const float squared =
                    std::min(dotOf(ox, oy, oz, ox, oy, oz), dotOf(lx, ly, lz, lx, ly, lz));
                // Only a body nearer than the least clearance so far can lower it.
                const float reachable = radius + least;
                if (!(squared >= reachable * reachable)) {
                    const float clearance =
                        static_cast<float>(std::sqrt(static_cast<double>(squared))) - radius;
                    if (clearance < least) {
                        least = clearance;
                        nearestBody = i;
                    }
                }
            }
            lastEye = eye;
            lastCenters = centers;
            safetyWeights += weight;
            if (cutsThrough || least < 0.0f) {
                if (entryMoment < 0) {
                    entryMoment = static_cast<int>(m);
                    entryBody = cutsThrough ? cutBody : nearestBody;
                }
                inside += weight;
            } else if (least < safetyMargin) {
                near += weight * (safetyMargin - least) / safetyMargin;
            }
        }
        if (!sightJudged || rays == 0) {
            continue; // the sight only every few moments where the work is lightened
        }

        const k_Vector3 sight = unitOf(targetAt - eye);
        k_Vector3 across;
        across.cross(sight, std::fabs(sight.y) < 0.9f ? k_Vector3(0.0f, 1.0f, 0.0f)
                                                      : k_Vector3(1.0f, 0.0f, 0.0f));
        across.normalize();
        k_Vector3 over;
        over.cross(across, sight);
        const k_Vector3 points[fullRays] = {targetAt, targetAt + across * rim,
                                            targetAt - across * rim, targetAt + over * rim,
                                            targetAt - over * rim};
        bool blocked[fullRays] = {false, false, false, false, false};
        distances += sightBodies.size() * static_cast<std::uint64_t>(rays);
        // No sight line to a point within `rim` of the centre comes nearer a body than the
        // one to the centre less `rim`: a body clear of that by more is clear of all of them.
        // Most bodies are far from the sight: one whose centre lies beyond the sight's box, on
        // any axis, by more than `clear` and far more than the rounding of the distance below
        // (a few parts in ten million of the offsets) gets the same answer from that distance,
        // clear, and is passed over before it is worked out.
        const double lowX = std::min(eye.x, targetAt.x), highX = std::max(eye.x, targetAt.x);
        const double lowY = std::min(eye.y, targetAt.y), highY = std::max(eye.y, targetAt.y);
        const double lowZ = std::min(eye.z, targetAt.z), highZ = std::max(eye.z, targetAt.z);
        const double roundingSlack = 1e-4 * (static_cast<double>((targetAt - eye).length()) + 1.0);
        for (std::size_t i : sightBodies) {
            const k_Vector3& center = centers[i];
            const float radius = radii[i];
            const float clear = (radius + rim) * rimSlack;
            const double beyond = 1.0001 * clear + roundingSlack;
            if (center.x < lowX - beyond || center.x > highX + beyond || center.y < lowY - beyond ||
                center.y > highY + beyond || center.z < lowZ - beyond ||
                center.z > highZ + beyond) {
                continue;
            }
            for (int r = 0; r < rays; ++r) {
                const float distance = segmentDistanceSquared(center, eye, points[r]);
                blocked[r] = blocked[r] || distance < radius * radius;
                if (r == 0 && !(distance < clear * clear)) {
                    break;
                }
            }
        }
        int seen = 0;
        for (int r = 0; r < rays; ++r) {
            seen += blocked[r] ? 0 : 1;
        }
        weights += weight;
        hidden += weight * (1.0 - static_cast<double>(seen) / rays);
        const k_Vector3 view = moment.view;
        const double cosine = std::clamp(static_cast<double>(dot(view, lastView)), -1.0, 1.0);
        const double rate = std::acos(cosine) / std::max(t - lastSample, 1e-9);
        if (rate > freeTurnRate) {
            turning += weight * std::min(1.0, (rate - freeTurnRate) / freeTurnRate);
        }
        lastView = view;
        lastSample = t;
    }
    if (safetyWeights == 0.0) {
        return Score{};
    }
    return Score{weights > 0.0 ? hidden / weights : 0.0,
                 (insideWeight * inside + nearWeight * near) / safetyWeights,
                 weights > 0.0 ? turning / weights : 0.0,
                 fastest,
                 inside > 0.0,
                 entryMoment,
                 entryBody};
}
