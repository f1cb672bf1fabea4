#pragma once

#include <memory>
#include <string>
#include <vector>

#include "math/Vector3.h"
#include "planning/BlockingRecord.h"
#include "planning/PlannerStep.h"
#include "planning/PlanningStats.h"
#include "planning/Route.h"
#include "planning/SearchDirection.h"
#include "platform/EnumWords.h"
#include "platform/ManualResetEvent.h"

class k_AnimationManager;
class k_Artifact;
class k_BodyForecast;
class k_Camera;
class k_InformationProvider;
class k_MainSceneNode;
struct k_PlanSnapshot;

/// How one of a step's searches ended.
enum class k_SearchOutcome {
    found,
    /// No way within the search's depth and list limits.
    notFound,
    /// The step's search budget ran out, in this search or before it: the budget's partial
    /// route is the approximate answer.
    budgetReached
};

/// What the camera does in a step whose searches stopped at the provider's search budget.
enum class k_BudgetFallback {
    /// Head straight for the target, as when both searches fail.
    straightApproach,
    /// Keep the path of the previous step (straight for the target when it no longer leads
    /// anywhere: see chooseFallback).
    keepPath,
    /// Follow the furthest chain the searches built (straight when there is none). The
    /// default: over dense swarms it scored best, if narrowly, on all three quality figures.
    partialRoute
};

/// In the order the help lists them, the default first.
constexpr k_EnumWord<k_BudgetFallback> budgetFallbackWords[] = {
    {k_BudgetFallback::partialRoute, "partial"},
    {k_BudgetFallback::straightApproach, "straight"},
    {k_BudgetFallback::keepPath, "keep"}};
constexpr const auto& enumWords(k_BudgetFallback) {
    return budgetFallbackWords;
}

// Decides once per frame where the camera heads next: picks the target, moves the camera
// out of any other body it stands in, then asks decide() for the step's command, hands it to
// the camera and advances the camera by the frame's time step. That much is every planner's
// frame; the default decide() asks the provider for a route to the target and commands the
// first leg of it. Another planner overrides decide() (values in, a command out) or, to keep
// the default's searches at hand, chooseRoute(). A planner that cannot answer fails the step
// instead: from then on it plans nothing and says why. On request it copies what it decided
// into a plan snapshot after every step.
class k_MotionPlanner {
public:
    /// Relocations tried in one step before the camera is left at the last probe point;
    /// where no probe can lie outside every other body the search would never end.
    static constexpr int maxRelocationAttempts = 1000;

    /// Stores the pointers (none owned); the idle flag starts signalled.
    k_MotionPlanner(k_InformationProvider* provider, k_Camera* camera, k_MainSceneNode* rootNode);
    virtual ~k_MotionPlanner();

    /// Does nothing.
    virtual void refresh();
    /// One planning step of dt seconds; does nothing without a camera.
    virtual void plan(double dt);
    /// Forgets the route; the plan snapshot then shows the new camera without one.
    virtual void setCamera(k_Camera* camera);
    /// Fills `snapshot` (not owned; null stops it) now, from the latest step, and at the end
    /// of every step from now on; while it does, listens to the provider for the bodies that
    /// block the step's segment tests (so the first fill has none); the provider must then
    /// outlive the planner or a call with null.
    void setPlanSnapshot(k_PlanSnapshot* snapshot);
    /// Blocks until no planning step is running; returns at once on the main loop's thread.
    virtual void waitUntilIdle();

    k_Camera* getCamera() const { return camera; }
    k_MainSceneNode* getRootNode() const { return rootNode; }
    bool isIdle() const { return waitEvent.isSignalled(); }
    const k_ManualResetEvent& getWaitEvent() const { return waitEvent; }
    /// Work and wall time of the latest call of plan().
    const k_PlanningStats& getLastStepStats() const { return lastStepStats; }
    /// The latest step's route, ending at the target's centre (the visibility planner: the
    /// point it aims for); only that point when the camera heads straight in. Empty before
    /// the first step with a target.
    const k_Route& getRoute() const { return route; }
    /// True once a step could not be planned (the planner did not answer, or answered
    /// something unusable); the camera has not moved since, and plan() does nothing.
    bool hasFailed() const { return !failure.empty(); }
    /// What went wrong, in a few words naming the step; empty while none failed.
    const std::string& getFailure() const { return failure; }
    /// Steps since construction whose searches stopped at the search budget.
    std::uint64_t getBudgetHits() const { return budgetHits; }
    void setBudgetFallback(k_BudgetFallback value) { budgetFallback = value; }
    k_BudgetFallback getBudgetFallback() const { return budgetFallback; }

    k_MotionPlanner(const k_MotionPlanner&) = delete;
    k_MotionPlanner& operator=(const k_MotionPlanner&) = delete;

protected:
    /// The step's command. The default searches a way round the bodies through
    /// chooseRoute() and commands what that gave the camera, looking at the target.
    virtual k_PlannerCommand decide(const k_PlannerInput& input);
    /// Has every step's input carry every body and a forecast of them, read from
    /// `animations` (not owned, may be null: the bodies then stay where they are).
    void wantBodies(const k_AnimationManager* animations);
    /// Ends planning for good with `message` (e.g. "step 12: no answer within 1 s"); called
    /// from decide(), whose command is then ignored.
    void failStep(const std::string& message);
    /// Moves the camera to random points around the target until its eye is outside every
    /// other body, or the attempt limit is reached.
    void relocateCamera(const k_Artifact* target, const k_Vector3& targetCenter);
    /// Gives the camera its new path towards targetCenter; `route` heads straight for it.
    /// Called once per step with a target, after the relocation; another planner decides
    /// where to go by overriding it and keeps everything else of the step.
    virtual void chooseRoute(const k_Artifact* target, const k_Vector3& targetCenter,
                             k_Route& route);
    /// Searches between the eye and `goal`, around every body but `ignored`, in `direction`;
    /// when found, `into` becomes the route, else it is left as it was.
    k_SearchOutcome searchRoute(const k_Vector3& goal, const k_Artifact* ignored,
                                k_SearchDirection direction, k_Route& into);
    k_InformationProvider* getProvider() const { return provider; }
    /// The current step's figures; the search's counts are added to what a subclass put in.
    k_PlanningStats& getStepStats() { return lastStepStats; }
    /// The path of a step whose searches ran out of budget; false leaves the straight approach.
    bool chooseFallback(const k_Vector3& targetCenter);

private:
    k_ManualResetEvent waitEvent;
    k_Camera* camera;
    k_MainSceneNode* rootNode;
    k_InformationProvider* provider;
    k_PlanningStats lastStepStats;
    std::uint64_t budgetHits;
    k_BudgetFallback budgetFallback;
    /// Copies the camera, `target` (null: none) and the step's route and blocking bodies.
    void fillSnapshot(const k_Artifact* target);
    /// The target of the latest step, if it is still registered where it was.
    const k_Artifact* latestTarget() const;
    /// Fills `input` for the step; the camera as relocated.
    void fillInput(double dt, const k_Vector3& targetCenter, float targetRadius);

    /// The step's input, kept with its capacity; its target for the default decide().
    k_PlannerInput input;
    const k_Artifact* stepTarget = nullptr;
    std::int64_t stepCount = 0;
    double planTime = 0.0;
    /// Set by wantBodies().
    bool bodiesWanted = false;
    const k_AnimationManager* animations = nullptr;
    std::unique_ptr<k_BodyForecast> bodyForecast;
    std::string failure;

    /// The step's route and the searches' list, kept with their capacity so that a step
    /// allocates nothing.
    k_Route route;
    std::vector<k_Vector3> searchList;
    k_PlanSnapshot* snapshot = nullptr;
    /// Registered with the provider while a snapshot is filled.
    k_BlockingRecord blockingRecord;
};
