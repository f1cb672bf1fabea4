#pragma once

#include <cstdint>
#include <vector>

#include "math/Vector3.h"
#include "planning/BodyForecast.h"
#include "planning/MotionPlanner.h"

class k_AnimationManager;

// A planner that puts keeping the target in sight first. Every step it scores viewpoints
// around the target, at the camera's stop distance in a fixed set of directions, by whether
// the line of sight from them stays clear of the other bodies now and over the next
// seconds (the bodies' animations are evaluated ahead, the scene is not stepped), by their
// clearance from bodies and by how far the camera must turn around the target to reach
// them; then it routes the camera to the best one. Where its view stays clear it holds its
// place, and where no viewpoint sees better than the default's way it takes that way. The
// camera moves by its own rules, and the relocation out of bodies is the default planner's.
class k_VisibilityPlanner : public k_MotionPlanner {
public:
    /// Most line-of-sight and viewpoint tests of one step's scoring (a step needs about
    /// 1,000), and most body distances they work out (about 45,000 at most in the built-in
    /// scenes); candidates left when either is reached are skipped, always the same ones.
    static constexpr std::uint64_t maxScoringTests = 2000;
    static constexpr std::uint64_t maxScoringDistances = 150000;

    /// `animations` (not owned, may be null: bodies then stay where they are) is read to
    /// forecast the bodies.
    k_VisibilityPlanner(k_InformationProvider* provider, k_Camera* camera,
                        k_MainSceneNode* rootNode, const k_AnimationManager* animations);
    ~k_VisibilityPlanner() override;

    void plan(double dt) override;
    void setCamera(k_Camera* camera) override;

    /// The viewing direction (from the target out to the viewpoint) chosen by the last step.
    k_Vector3 getChosenDirection() const { return chosenDirection; }

protected:
    void chooseRoute(const k_Artifact* target, const k_Vector3& targetCenter,
                     k_Route& route) override;
    /// The bodies' forecast as the latest step updated it.
    const k_BodyForecast& getForecast() const { return forecast; }
    /// The time step of the step running.
    double getStepDt() const { return stepDt; }
    /// Whether the latest step braked the camera to hold its place.
    bool isHolding() const { return holding; }

private:
    /// Bodies that could cut a line of sight of length `reach` from the target at each horizon.
    void collectNearBodies(const k_Artifact* target, float reach);
    /// Lower is better; counts its tests into `tests`. `sightCost`, when given, gets the
    /// cost of the sight alone: horizons cut, once more for each cut through a body, and
    /// four for each horizon crowded.
    double scoreViewpoint(const k_Vector3& direction, const k_Vector3& currentDirection,
                          float distance, std::uint64_t& tests, std::uint64_t& sphereTests,
                          int* sightCost = nullptr) const;
    /// Lower is better: the cost of the camera staying where it is, its sight followed to the
    /// target's forecast centres; negative when the sight is cut or crowded at some horizon or
    /// the target leaves the band the camera may hold in.
    double scoreHold(const k_Vector3& eye, float eyeDistance, float nearest, std::uint64_t& tests,
                     std::uint64_t& sphereTests) const;
    /// Hands the camera its way to the chosen viewpoint, round the target a step at a time.
    void steerTowardsViewpoint(const k_Vector3& current, float eyeDistance,
                               const k_Vector3& targetCenter, k_Route& route);
    /// Hands the camera a piece of path towards `aim`, braking to rest at `viewpoint`.
    void steerTowards(const k_Vector3& aim, const k_Vector3& viewpoint,
                      const k_Vector3& targetCenter, k_Route& route);

    /// When the chosen path would bring the eye too near a body soon, takes the safest of
    /// it, the default's way to the target and braking.
    void keepSafe(const k_Artifact* target, const k_Vector3& targetCenter, k_Route& route);
    /// The bodies the eye could meet within the probe's look-ahead, for the probes of a step.
    void collectBodiesNearEye();
    /// Least clearance from the bodies' surfaces of the eye over the next moments if the
    /// camera kept its present path, by running a copy of its motion against the forecast;
    /// sets nearestOffset and nearestRadius.
    float probeClearance();

    const k_AnimationManager* animations;
    double stepDt;
    /// Body distances the probes of the step worked out.
    std::uint64_t probeTests;
    std::vector<std::size_t> bodiesNearEye;
    /// Of the latest probe: the eye's offset from the centre of the body that came nearest,
    /// at that moment, and that body's radius (zero offset when none came near).
    k_Vector3 nearestOffset;
    float nearestRadius = 0.0f;
    /// The route of the safest way tried, kept with its capacity.
    k_Route bestRoute;
    k_BodyForecast forecast;
    std::vector<k_Vector3> directions;
    /// A body near the target at one horizon, as the scoring reads it: its centre's offset
    /// from the target's, and the squared distances within which it cuts a line of sight
    /// or crowds a viewpoint.
    struct NearBody {
        k_Vector3 offset;
        float offsetSquared;
        float radius;
        float sightSquared;
        float crowdSquared;

        /// Squared distance from the body's centre to the line of sight from the target's
        /// centre out to `distance` along a unit direction, with `k` = offset . direction
        /// (the viewpoint's own test shares that projection).
        float sightDistanceSquared(float k, float distance) const;
        /// Squared distance from the body's centre to the viewpoint at `distance`.
        float viewpointDistanceSquared(float k, float distance) const;
    };
    /// Per horizon, the bodies near the target's forecast centre.
    std::vector<std::vector<NearBody>> nearBodies;
    std::vector<k_Vector3> targetCenters;
    k_Vector3 chosenDirection;
    float chosenDistance;
    /// The distance the default planner keeps from the target: its stop distance.
    float baseDistance;
    bool hasChosen;
    /// Whether the line of sight from the eye to the target's centre passes through one of
    /// the bodies near the target now (those the scoring reads).
    bool hiddenNow;
    bool holding = false;
};
