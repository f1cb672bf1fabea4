#pragma once

#include <vector>

#include "math/Vector3.h"
#include "planning/BlockingRecord.h"
#include "planning/PartialRoute.h"
#include "planning/PlanningStats.h"
#include "planning/Ray.h"
#include "platform/EnumWords.h"

class k_Artifact;
class k_FastPathSearch;
class k_Icosahedron;

/// How findPath does its work. Both give the same routes and the same counts of findPath
/// calls and segment tests; only the number of sphere tests and the time differ.
enum class k_SearchStrategy {
    /// Straightforward: all candidates sorted per call, every segment test walks the
    /// registry, nested calls through the virtual slot. Kept as the yardstick.
    reference,
    /// Nearest candidates ordered by bucket, segment tests on a grid over a per-call
    /// snapshot of the bodies, scratch lists reused.
    fast
};

constexpr k_EnumWord<k_SearchStrategy> searchStrategyWords[] = {
    {k_SearchStrategy::fast, "fast"}, {k_SearchStrategy::reference, "reference"}};
constexpr const auto& enumWords(k_SearchStrategy) {
    return searchStrategyWords;
}

// Answers the planner's questions about the scene as it is at the moment of asking: which
// body to watch, whether a point or a segment is clear of the bodies, and a route of
// straight segments around them. Keeps no copy of the scene: every query walks
// artifactRegistry front to back and sees each body as its bounding sphere.
class k_InformationProvider {
public:
    /// Most waypoints a list may hold when a search starts or an attempt ends.
    static constexpr std::size_t waypointLimit = 15;
    /// Segment tests the searches of one planning step may make unless told otherwise. The
    /// built-in scenes' largest step makes 1,032 (Scene 1), so they never reach it; a dense
    /// swarm can otherwise need millions in one step.
    static constexpr std::uint64_t defaultSearchBudget = 5000;

    /// Builds the 642 sample directions of the path search (a thrice refined icosahedron).
    k_InformationProvider();
    virtual ~k_InformationProvider();

    /// Does nothing.
    virtual void refresh();
    /// The registered body of greatest interest above 0, the earliest on a tie; else null.
    virtual k_Artifact* getTarget() const;
    /// Route from start to goal around every body but `ignored`; on success appends the
    /// intermediate goals (from the goal outwards) and then the start-side point to
    /// `waypoints`, else leaves the list untouched. Callers pass depth 0.
    virtual bool findPath(const k_Vector3& start, const k_Vector3& goal, const k_Artifact* ignored,
                          std::vector<k_Vector3>& waypoints, int depth) const;
    /// True when `point` lies strictly inside some body other than `ignored`, each body's
    /// radius enlarged by `margin` (summed in double, not rounded to float).
    virtual bool isInsideArtifact(const k_Vector3& point, const k_Artifact* ignored,
                                  double margin) const;
    /// True when the bounding sphere of `artifact` overlaps that of any other body.
    virtual bool overlapsArtifact(const k_Artifact* artifact) const;

    /// True when the segment hits some body other than `ignored`, each body enlarged by a
    /// clearance of 0.5.
    bool isSegmentBlocked(const k_Ray& segment, const k_Artifact* ignored) const;
    /// Points on the sphere around `center` through `from`, nearest to `from` first, cut
    /// to the fifth of the sphere that faces it (128 of 642); empty when from == center.
    std::vector<k_Vector3> buildCandidates(const k_Vector3& from, const k_Vector3& center) const;

    /// The fast strategy is the default; nested findPath calls then stay inside the search
    /// instead of going through the virtual slot.
    void setStrategy(k_SearchStrategy value) { strategy = value; }
    k_SearchStrategy getStrategy() const { return strategy; }
    /// With the fast strategy: runs the reference search on a copy of every outermost
    /// findPath call's list first, times both and counts any difference in the stats.
    /// Each side then runs `repeats` times (at least once) and reports its shortest time.
    void setCompareReference(bool value, int repeats = 1) {
        compareReference = value;
        compareRepeats = repeats < 1 ? 1 : repeats;
    }
    bool getCompareReference() const { return compareReference; }

    /// Work bound of the searches, in segment tests counted since the last resetStats() (the
    /// planner resets once per step, so it bounds one step); 0 means unbounded. A search
    /// never makes the test that would go past it: it fails instead, leaving its list as it
    /// was, and so does every later search until the next resetStats(). The stats then show
    /// searchBudgetReached, and getPartialRoute() tells how far the searches got. The count,
    /// and so where a search stops, is the same for both strategies and on every machine.
    void setSearchBudget(std::uint64_t segmentTests) { searchBudget = segmentTests; }
    std::uint64_t getSearchBudget() const { return searchBudget; }
    /// With a budget set: the furthest chain the searches since the last resetStats() tried
    /// (empty when none placed an intermediate goal). Meaningful after the budget was reached.
    const k_PartialRoute& getPartialRoute() const { return partialRoute; }

    int getMaxDepth() const { return maxDepth; }
    const std::vector<k_Vector3>& getSampleDirections() const;

    /// Search work counted since the last resetStats(); only the counters are filled.
    const k_PlanningStats& getStats() const { return stats; }
    /// Also starts the blocking record anew, so that it holds one planning step's bodies.
    void resetStats() {
        stats = k_PlanningStats();
        partialRoute.clear();
        if (blockingRecord != nullptr) {
            blockingRecord->clear();
        }
    }

    /// Off by default. On, every segment test that finds its way blocked notes the body that
    /// blocked it, for drawing the plan; answers, routes and counts stay the same.
    void setRecordBlocking(bool on);
    /// The bodies that blocked the segment tests since the last resetStats(); null when off.
    const k_BlockingRecord* getBlockingRecord() const { return blockingRecord; }

    k_InformationProvider(const k_InformationProvider&) = delete;
    k_InformationProvider& operator=(const k_InformationProvider&) = delete;

protected:
    /// The straightforward search, which nested calls re-enter through the virtual slot.
    bool findPathReference(const k_Vector3& start, const k_Vector3& goal, const k_Artifact* ignored,
                           std::vector<k_Vector3>& waypoints, int depth) const;
    /// The fast search, with the reference alongside when comparing.
    bool findPathFast(const k_Vector3& start, const k_Vector3& goal, const k_Artifact* ignored,
                      std::vector<k_Vector3>& waypoints, int depth) const;

    /// False, and the stats marked, when the next segment test would go past the budget.
    bool withinSearchBudget() const;

    /// Bookkeeping only: counting never changes an answer, hence mutable in const queries.
    mutable k_PlanningStats stats;
    /// Filled while searches run, hence mutable like the stats.
    mutable k_PartialRoute partialRoute;

private:
    int maxDepth;
    std::uint64_t searchBudget;
    k_Icosahedron* directionSampler;
    k_SearchStrategy strategy;
    bool compareReference;
    int compareRepeats;
    /// True while a comparison runs the reference, so that its nested calls stay reference.
    mutable bool runningReference;
    /// True while an outermost reference search runs, so that only it is timed.
    mutable bool searchRunning;
    mutable std::vector<k_Vector3> referenceWaypoints;
    mutable std::vector<k_Vector3> fastWaypoints;
    /// Owned; holds the fast strategy's scratch buffers, hence used from const queries.
    k_FastPathSearch* fastSearch;
    /// Owned; null unless recording is on, and then shared with fastSearch.
    k_BlockingRecord* blockingRecord;
};
