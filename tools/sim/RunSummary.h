#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "planning/InformationProvider.h"
#include "planning/MotionPlanner.h"
#include "planning/PlannerKind.h"
#include "tools/sim/BoundReport.h"
#include "tools/sim/FrameRecord.h"
#include "tools/sim/QualityMetrics.h"
#include "tools/sim/WorldChoice.h"

// The figures of a whole run: planning cost per frame as nearest-rank percentiles, counts
// of relocations and target-less frames, and the quality figures.
class k_RunSummary {
public:
    struct Distribution {
        std::int64_t p50 = 0;
        std::int64_t p99 = 0;
        std::int64_t max = 0;
        /// First frame that reached the maximum; 0 without frames.
        long maxFrame = 0;
    };

    /// The summary names the world (a built-in scene with its swarm size, or a scene file).
    k_RunSummary(const k_WorldChoice& world, double dt);

    /// What the run was: the search used, the repeats of a comparison with the reference
    /// (0 without one) and the passes whose per-frame shortest times the figures are.
    void describeRun(k_SearchStrategy strategy, int comparisonRepeats, int passes = 1);
    /// The search budget of the run (0 = unbounded) and its fallback.
    void describeBudget(std::uint64_t budget, k_BudgetFallback fallback);

    void setPlanner(k_PlannerKind kind) { planner = kind; }
    /// The camera was steered by this command's program (--planner-command).
    void setPlannerCommand(const std::string& command) { plannerCommand = command; }
    /// No planner steered the camera: it played the path of this file.
    void setCameraPath(const std::string& path) { cameraPath = path; }
    /// The bound of the run's world (not owned; null: none), reported after the run's figures.
    void setBound(const k_BoundReport* report) { bound = report; }
    /// The run was ended early by `signalName` after getFrames() of `framesAsked` frames; the
    /// summary says so and its figures are of the frames run.
    void markInterrupted(const std::string& signalName, long framesAsked);
    bool isInterrupted() const { return !interruptedBy.empty(); }
    /// The planner failed (`message` says at which step and how) after getFrames() of
    /// `framesAsked` frames; the summary says so and its figures are of the frames run.
    void markPlannerFailed(const std::string& message, long framesAsked);
    bool hasPlannerFailed() const { return !plannerFailure.empty(); }

    void addFrame(const k_FrameRecord& record);
    k_QualityMetrics& quality() { return qualityMetrics; }
    const k_QualityMetrics& quality() const { return qualityMetrics; }

    long getFrames() const { return static_cast<long>(planMicroseconds.size()); }
    Distribution planTime() const { return distribution(planMicroseconds); }
    Distribution sphereTests() const { return distribution(sphereTestCounts); }
    /// Nanoseconds of the step's outermost searches.
    Distribution searchTime() const { return distribution(searchNanoseconds); }
    /// The reference's figures on the same frames; all 0 without a comparison.
    Distribution referencePlanTime() const { return distribution(referencePlanMicroseconds); }
    Distribution referenceSearchTime() const { return distribution(referenceSearchNanoseconds); }
    Distribution referenceSphereTests() const { return distribution(referenceSphereTestCounts); }
    std::uint64_t getMismatches() const { return mismatches; }
    bool isComparison() const { return comparisonRepeats > 0; }
    std::uint64_t getSegmentTests() const { return segmentTestTotal; }
    /// Average search time and sphere tests per segment test over the run (0 without any).
    double searchNanosecondsPerSegmentTest(bool reference) const;
    double sphereTestsPerSegmentTest(bool reference) const;
    std::uint64_t getRelocations() const { return relocations; }
    long getFramesWithoutTarget() const { return framesWithoutTarget; }
    /// Steps that stopped at the search budget, and the first of them (0 when none; the
    /// summary says "none" and the JSON null).
    long getBudgetHits() const { return budgetHits; }
    long getFirstBudgetHitFrame() const { return firstBudgetHitFrame; }

    /// What each figure of the summary means, for the program's help: lines of at most 90
    /// columns, ending in a line feed.
    static const char* figureDefinitions();

    void writeText(std::FILE* file) const;
    /// The summary as JSON, keys in the order of the text summary.
    nlohmann::ordered_json toJson() const;
    void writeJson(std::FILE* file) const;

    /// Where the figures counted from a later time start: the camera starts where the world
    /// puts it, often far from any clear viewpoint.
    static constexpr double settledFromSeconds = 2.0;

private:
    Distribution distribution(const std::vector<std::int64_t>& values) const;

    void writeComparisonText(std::FILE* file) const;
    void writeVisibilityText(std::FILE* file) const;

    /// 0 for a scene file.
    int scene;
    /// Empty for a built-in scene.
    std::string sceneFile;
    /// Scene 4's swarm size; 0 when left as it is.
    long swarm;
    double dt;
    k_SearchStrategy strategy = k_SearchStrategy::fast;
    int comparisonRepeats = 0;
    int passes = 1;
    k_PlannerKind planner = k_PlannerKind::standard;
    std::string cameraPath;
    std::string plannerCommand;
    /// Empty unless the planner failed.
    std::string plannerFailure;
    const k_BoundReport* bound = nullptr;
    std::vector<std::int64_t> planMicroseconds;
    std::vector<std::int64_t> sphereTestCounts;
    std::vector<std::int64_t> searchNanoseconds;
    std::vector<std::int64_t> referencePlanMicroseconds;
    std::vector<std::int64_t> referenceSearchNanoseconds;
    std::vector<std::int64_t> referenceSphereTestCounts;
    std::uint64_t mismatches = 0;
    /// Sums over the run, for the cost of one segment test.
    std::uint64_t segmentTestTotal = 0;
    std::uint64_t sphereTestTotal = 0;
    std::uint64_t referenceSphereTestTotal = 0;
    std::int64_t searchNanosecondTotal = 0;
    std::int64_t referenceSearchNanosecondTotal = 0;
    std::uint64_t relocations = 0;
    long framesWithoutTarget = 0;
    std::uint64_t searchBudget = 0;
    k_BudgetFallback budgetFallback = k_BudgetFallback::partialRoute;
    long budgetHits = 0;
    long firstBudgetHitFrame = 0;
    k_QualityMetrics qualityMetrics;
    /// Empty unless the run was interrupted.
    std::string interruptedBy;
    long framesAsked = 0;
};
