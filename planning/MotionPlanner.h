#pragma once

#include <vector>

#include "math/Vector3.h"
#include "planning/BlockingRecord.h"
#include "planning/PlanningStats.h"
#include "planning/Route.h"
#include "planning/SearchDirection.h"
#include "platform/EnumWords.h"
#include "platform/ManualResetEvent.h"

class k_Artifact;
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
// out of any other body it stands in, asks the provider for a route to the target and hands
// the camera the first leg of it, then advances the camera by the frame's time step. On
// request it copies what it decided into a plan snapshot after every step.
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
    /// Steps since construction whose searches stopped at the search budget.
    std::uint64_t getBudgetHits() const { return budgetHits; }
    void setBudgetFallback(k_BudgetFallback value) { budgetFallback = value; }
    k_BudgetFallback getBudgetFallback() const { return budgetFallback; }

    k_MotionPlanner(const k_MotionPlanner&) = delete;
    k_MotionPlanner& operator=(const k_MotionPlanner&) = delete;

protected:
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

    /// The step's route and the searches' list, kept with their capacity so that a step
    /// allocates nothing.
    k_Route route;
    std::vector<k_Vector3> searchList;
    k_PlanSnapshot* snapshot = nullptr;
    /// Registered with the provider while a snapshot is filled.
    k_BlockingRecord blockingRecord;
};
