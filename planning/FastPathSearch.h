#pragma once

#include <vector>

#include "math/Vector3.h"
#include "planning/CandidateOrder.h"
#include "planning/PlanningStats.h"
#include "planning/SearchBudget.h"
#include "planning/SphereGrid.h"

class k_Artifact;
class k_BlockingListener;

// The fast strategy of k_InformationProvider::findPath: the same search, the same route and
// the same counts of calls and segment tests as the reference, with the candidate order of
// k_CandidateOrder, the segment tests of k_SphereGrid on a snapshot taken once per call,
// and lists reused from call to call instead of copied per attempt.
class k_FastPathSearch {
public:
    /// `listeners` (the provider's, not owned) hear of every blocked segment test.
    k_FastPathSearch(const std::vector<k_Vector3>& directions, int maxDepth,
                     std::size_t waypointLimit, const std::vector<k_BlockingListener*>& listeners);

    /// findPath of the provider for the bodies in `registry`, counting calls and sphere
    /// tests into `stats` and spending its segment tests from `budget`, where it stops like
    /// the provider's search and offers every chain it tries.
    bool findPath(const std::vector<k_Artifact*>& registry, const k_Vector3& start,
                  const k_Vector3& goal, const k_Artifact* ignored,
                  std::vector<k_Vector3>& waypoints, int depth, k_PlanningStats& stats,
                  k_SearchBudget& budget);

    const k_SphereGrid& getGrid() const { return grid; }
    const k_CandidateOrder& getCandidateOrder() const { return order; }

private:
    /// The segment test, already spent from the budget: the first of a search walks the
    /// registry like the reference (most searches end with it, their straight way free); the
    /// grid is built for the second.
    bool isBlocked(const k_Ray& segment, const k_Artifact* ignored, k_PlanningStats& stats);
    void tellListeners(const k_Ray& segment, const k_Artifact* blocker, const k_Artifact* ignored);
    /// One call of the search; `level` is the nesting depth, which selects its candidate list.
    bool search(const k_Vector3& start, const k_Vector3& goal, const k_Artifact* ignored,
                std::vector<k_Vector3>& waypoints, int depth, std::size_t level,
                k_PlanningStats& stats);

    k_SphereGrid grid;
    const std::vector<k_Artifact*>* registry;
    std::size_t testsInSearch;
    k_SearchBudget* budget;
    k_CandidateOrder order;
    /// Candidate lists by nesting level, kept with their capacity between calls.
    std::vector<std::vector<k_Vector3>> candidateLists;
    int maxDepth;
    std::size_t waypointLimit;
    const std::vector<k_BlockingListener*>& listeners;
};
