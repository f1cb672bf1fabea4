#pragma once

#include <vector>

#include "math/Vector3.h"
#include "planning/PartialRoute.h"
#include "planning/PlanningStats.h"
#include "planning/Ray.h"
#include "planning/SearchBudget.h"
#include "platform/EnumWords.h"

class k_Artifact;
class k_BlockingListener;
class k_FastPathSearch;

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
// artifactRegistry front to back and sees each body as its bounding sphere. Segment tests
// and searches are work: they spend from the step's search budget and are counted.
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
                          std::vector<k_Vector3>& waypoints, int depth);
    /// True when `point` lies strictly inside some body other than `ignored`, each body's
    /// radius enlarged by `margin` (summed in double, not rounded to float).
    virtual bool isInsideArtifact(const k_Vector3& point, const k_Artifact* ignored,
                                  double margin) const;
    /// True when the bounding sphere of `artifact` overlaps that of any other body.
    virtual bool overlapsArtifact(const k_Artifact* artifact) const;

    /// True when the segment hits some body other than `ignored`, each body enlarged by a
    /// clearance of 0.5. Spends one test of the budget whatever is left of it.
    bool isSegmentBlocked(const k_Ray& segment, const k_Artifact* ignored);
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

    /// Work bound of the searches, in segment tests spent since the last resetStats() (the
    /// planner resets once per step, so it bounds one step); 0 means unbounded. A search
    /// never makes the test that would go past it: it fails instead, leaving its list as it
    /// was, and so does every later search until the next resetStats(). The stats then show
    /// searchBudgetReached, and the budget's partial route tells how far the searches got.
    /// The count, and so where a search stops, is the same for both strategies and on every
    /// machine.
    void setSearchBudget(std::uint64_t segmentTests) { budget.setLimit(segmentTests); }
    std::uint64_t getSearchBudget() const { return budget.getLimit(); }
    /// The step's budget: what was spent, whether it was reached and the furthest chain the
    /// searches since the last resetStats() tried.
    const k_SearchBudget& getBudget() const { return budget; }
    /// The searches from now on run this way; the partial route is read accordingly.
    void beginSearch(k_SearchDirection direction) { budget.beginSearch(direction); }
    /// With a budget set: the furthest chain the searches since the last resetStats() tried
    /// (empty when none placed an intermediate goal). Meaningful after the budget was reached.
    const k_PartialRoute& getPartialRoute() const { return budget.getPartialRoute(); }

    int getMaxDepth() const { return maxDepth; }
    const std::vector<k_Vector3>& getSampleDirections() const;

    /// Search work counted since the last resetStats(); only the counters are filled.
    k_PlanningStats getStats() const;
    /// Starts the count and the budget anew, for one planning step.
    void resetStats() {
        stats = k_PlanningStats();
        budget.restart();
    }

    /// `listener` (not owned) hears of every blocked segment test from now on, until removed;
    /// answers, routes and counts stay the same.
    void addBlockingListener(k_BlockingListener* listener);
    void removeBlockingListener(k_BlockingListener* listener);

    k_InformationProvider(const k_InformationProvider&) = delete;
    k_InformationProvider& operator=(const k_InformationProvider&) = delete;

protected:
    /// The straightforward search, which nested calls re-enter through the virtual slot.
    bool findPathReference(const k_Vector3& start, const k_Vector3& goal, const k_Artifact* ignored,
                           std::vector<k_Vector3>& waypoints, int depth);
    /// The fast search, with the reference alongside when comparing.
    bool findPathFast(const k_Vector3& start, const k_Vector3& goal, const k_Artifact* ignored,
                      std::vector<k_Vector3>& waypoints, int depth);

    /// The segment test itself, counting its sphere tests and telling the listeners; the
    /// caller has spent the test from the budget.
    bool testSegment(const k_Ray& segment, const k_Artifact* ignored);

    k_PlanningStats stats;
    k_SearchBudget budget;

private:
    int maxDepth;
    /// The vertices of a thrice refined icosahedron, without a node: the provider is no
    /// part of the tree and leaves the body registry alone.
    std::vector<k_Vector3> sampleDirections;
    k_SearchStrategy strategy;
    bool compareReference;
    int compareRepeats;
    /// True while a comparison runs the reference, so that its nested calls stay reference.
    bool runningReference;
    /// True while an outermost reference search runs, so that only it is timed.
    bool searchRunning;
    std::vector<k_Vector3> referenceWaypoints;
    std::vector<k_Vector3> fastWaypoints;
    std::vector<k_BlockingListener*> blockingListeners;
    /// Owned; holds the fast strategy's scratch buffers.
    k_FastPathSearch* fastSearch;
};
