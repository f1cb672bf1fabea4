#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "camera/CameraMotion.h"
#include "math/Vector3.h"
#include "planning/LocalForecast.h"
#include "planning/Route.h"
#include "planning/VisibilityPlanner.h"

// A planner that judges whole plans by what the camera would see while following them. Every
// step it lets the default planner and (in worlds small enough) the visibility planner each
// decide their way from the camera's present state, adds braking, side steps round the target
// and keeping the default's distance from it (and escapes, where every one of those runs the
// eye into a body), runs every one of these forward on a copy of the camera's motion against
// the forecast of the bodies near the sight, and scores each run by how much of the target
// stays in sight, how near the eye comes to bodies and how fast the view turns. The default's
// way is taken unless another plan's run is better by a margin, and a plan once taken is kept
// until another is better than it by that margin, so the camera never trades a view the
// default would keep for a guess, and does not dither; and no plan is taken that would swing
// the view faster than both a limit and the default's way.
class k_RolloutPlanner : public k_VisibilityPlanner {
public:
    /// The plans compared each step, in the fixed order they are scored in.
    enum class k_Plan {
        standard,
        visibility,
        brake,
        sideLeft,
        sideRight,
        sideUp,
        sideDown,
        keepDistance,
        escapeSide,
        escapeOtherSide
    };
    static constexpr std::size_t planCount = 10;
    /// Escapes are run only where every other plan's run takes the eye into a body: braking
    /// while steering for a point this far across the eye's course past the body the braking
    /// run meets first, to one side and the other. A near waypoint bends the camera's way
    /// too little at speed; one this far bends it as fast as its curve allows.
    static constexpr float escapeReach = 10.0f;

    /// The view may turn this fast (radians per second, about 74 degrees) at any frame of a
    /// plan other than the default's; a plan that would turn it faster, and faster than the
    /// default's own plan, is never taken, unless the default's way runs the eye into a body.
    /// Beyond it every plan pays for its fastest turn, the default's too, so that where the
    /// target is about to sweep past close by, backing off to the default's distance wins.
    static constexpr double turnLimit = 1.3;
    /// The turn rate is judged by its 99th percentile: while the steps whose view turned faster
    /// than turnLimit, the next one included, are at most this share of the steps so far, the
    /// limit is budgetTurnLimit instead (about 92 degrees a second), and only the fastest turn
    /// beyond it is paid for. A turn that uncovers the target now and then is then allowed,
    /// but never often enough to lift the percentile past the limit. Only steps whose sight
    /// is judged in full spend it.
    static constexpr double turnBudgetShare = 0.005;
    static constexpr double budgetTurnLimit = 1.6;

    /// Most body distances (and box tests) one step's rollouts work out, counted from the
    /// bodies each plan's run could meet; over it, a step first samples its sight once instead
    /// of five times, then every second or fourth moment, and where even that is beyond the
    /// bound it takes the default's way unscored (or, where that would swing the view past
    /// the turn limit, brakes or backs off, their runs judged for the eye's clearance alone).
    static constexpr std::uint64_t maxRolloutDistances = 100000;
    /// Most bodies near the sight a step looks ahead at (a forecast at each of six horizons
    /// each), four times as many as the lightest rollouts can take; where more could come
    /// near, the step takes the default's way unscored.
    static constexpr std::size_t maxForecastBodies = 6000;
    /// The visibility planner's plan is asked for only in worlds of at most this many bodies:
    /// its step looks ahead at every body, which in a world of a million takes many times the
    /// default's whole step. Without it, in dense swarms of 700 to 2,000 bodies the other
    /// plans lost to the default's (visible share 0.190 against 0.216).
    static constexpr std::size_t maxVisibilityBodies = 2500;

    k_RolloutPlanner(k_InformationProvider* provider, k_Camera* camera, k_MainSceneNode* rootNode,
                     const k_AnimationManager* animations);
    ~k_RolloutPlanner() override;

    void setCamera(k_Camera* camera) override;

    /// The plan the last step took.
    k_Plan getChosenPlan() const { return chosen; }
    /// Lower is better: the last step's score of each plan (zero for plans not scored).
    const std::array<double, planCount>& getPlanCosts() const { return costs; }
    /// Body distances and box tests the last step's rollouts worked out (at most
    /// maxRolloutDistances, besides one box test a body to find those near the sight).
    std::uint64_t getRolloutDistances() const { return rolloutDistances; }
    /// Steps whose rollouts were beyond the work bound and took the default's way unscored.
    std::uint64_t getUnscoredSteps() const { return unscoredSteps; }
    /// Steps so far whose view had turned faster than turnLimit since the step before.
    std::uint64_t getFastTurnSteps() const { return fastTurnSteps; }
    /// Whether the last step judged its plans within the turn budget (in full, the budget not
    /// spent).
    bool wasWithinTurnBudget() const { return withinTurnBudget; }

protected:
    void chooseRoute(const k_Artifact* target, const k_Vector3& targetCenter,
                     k_Route& route) override;

private:
    static constexpr std::size_t firstEscape = static_cast<std::size_t>(k_Plan::escapeSide);

    /// What a plan hands the camera, and whether its points are held relative to the target
    /// (moved with it as it moves during the rollout, as a planner following it would do).
    struct Command {
        k_Vector3 waypoint, nextWaypoint, goal;
        bool followsTarget = true;
    };
    /// What a rollout met, each part per moment weighted (lower is better): the share of the
    /// target hidden; the eye inside or too near a body; the view turning too fast.
    struct Score {
        double sight = 0.0, safety = 0.0, turning = 0.0;
        /// The fastest the view turns from one frame to the next, radians per second.
        double fastestTurn = 0.0;
        bool entersBody = false;
        /// The first judged moment with the eye in a body (-1: none), and that body.
        int entryMoment = -1;
        std::size_t entryBody = 0;
    };
    /// Lower is better: what the rollout met, its turning counted beyond the default's (where
    /// the turning counts at all) and its fastest turn beyond `limit`.
    static double costOf(const Score& score, double standardTurning, double limit,
                         bool turningCounts);
    /// Counts the view's turn since the last step against the turn budget; whether this
    /// step's plans are judged within it.
    bool countTurn(const k_CameraMotion& start);
    static bool sameCommand(const Command& a, const Command& b);
    /// Runs plan `p`'s camera forward and lists the bodies its eye and its sight could meet;
    /// counts the box tests into `distances`.
    void prepareRollout(std::size_t p, std::uint64_t& distances);
    /// The most body distances judging prepared plan `p` takes with `rays` sight lines and
    /// the sight judged every `sampleStride`-th moment.
    std::uint64_t judgingWork(std::size_t p, int rays, int sampleStride) const;
    /// Counts its body distances into `distances`; with no `rays`, judges the eye's clearance
    /// alone, at every moment.
    Score judgeRollout(std::size_t p, int rays, int sampleStride, std::uint64_t& distances);
    /// The boxes the bodies keep to over the look-ahead.
    void prepareBoxes();
    /// The bodies' centres at each moment the rollouts judge.
    void prepareMoments();
    /// Where a step is beyond the work bound: braking or backing off instead of the default's
    /// way where that turns the view past the limit and the other does not enter a body.
    k_Plan steadierPlan(std::uint64_t& distances);
    /// Where every plan judged enters a body, runs and judges the escapes (within the work
    /// bound) with the same sampling; `scores` gets theirs.
    void judgeEscapes(std::array<Score, planCount>& scores, int rays, int sampleStride,
                      std::uint64_t& distances);
    /// Whether the sight is judged at a rollout's `frame` where it is judged every
    /// `sampleStride`-th moment (and always at the last frame).
    bool judgesSight(int frame, int sampleStride) const;
    /// Coming to rest `lateral` towards `side` across the line of sight, at the eye's distance
    /// from the target (at least `nearest`).
    Command sideStep(const k_Vector3& eye, const k_Vector3& targetCenter, const k_Vector3& side,
                     float lateral, float nearest) const;
    /// Coming to rest at `viewpoint`, a point held relative to the target.
    Command restAt(const k_Vector3& eye, const k_Vector3& viewpoint,
                   const k_Vector3& fallbackDirection) const;

    const k_AnimationManager* animations;
    /// The target (first) and the bodies the rollouts may meet: those whose forecast comes
    /// near the sight within how far the eye can move.
    k_LocalForecast nearSight;
    /// Whether the step rolled each plan out; the visibility planner's only in small worlds.
    std::array<bool, planCount> offered{};
    /// The bodies' centres at each judged moment, moment after moment (the target's first),
    /// their radii and the boxes they keep to over the look-ahead, grown by the eye's margin.
    struct Box {
        k_Vector3 low, high;
    };
    std::vector<k_Vector3> momentCenters;
    /// Where in the forecast each judged moment's next frame lies: the next frame's planning
    /// finds the same eye beside the bodies then. Only the bodies near the eye are looked up.
    struct Location {
        std::size_t horizon;
        float share;
    };
    std::vector<Location> nextLocations;
    std::vector<float> radii;
    std::vector<Box> boxes;
    /// The same boxes of the centres alone, ungrown.
    std::vector<Box> centerBoxes;
    /// Of one rollout: its judged moments (the frame each is at), the fastest its view turns,
    /// the bodies whose box meets the eye's way, and those whose box meets the box of every
    /// sight line it could judge.
    struct Moment {
        double t;
        int frame;
        k_Vector3 eye, target, view;
    };
    struct Rollout {
        std::vector<Moment> moments;
        k_Vector3 startView;
        double fastestTurn = 0.0;
        std::vector<std::size_t> eyeBodies, sightBodies;
        /// Whether the eye's clearance is judged at every moment, or only where the sight is.
        bool clearanceEveryMoment = true;
    };
    std::array<Rollout, planCount> rollouts;
    /// The first offered plan that hands the camera the same as each one (itself if none).
    std::array<std::size_t, planCount> sameAs{};
    std::array<Command, planCount> commands;
    std::array<double, planCount> costs{};
    k_Route standardRoute;
    k_Route visibilityRoute;
    k_Plan chosen = k_Plan::standard;
    std::uint64_t unscoredSteps = 0;
    std::uint64_t rolloutDistances = 0;
    /// The turn budget: steps counted, those whose view turned faster than turnLimit, the
    /// view at the last step.
    std::uint64_t turnSteps = 0;
    std::uint64_t fastTurnSteps = 0;
    k_Vector3 lastStepView;
    bool withinTurnBudget = false;
};
