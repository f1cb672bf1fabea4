#include "tools/sim/RunSummary.h"

#include <algorithm>
#include <cinttypes>
#include <string>

#include "tools/sim/NearestRank.h"

namespace {

// Shares are kept as fractions (and so in the JSON); people read them as percentages.
double percent(double fraction) {
    return 100.0 * fraction;
}

double microseconds(std::int64_t nanoseconds) {
    return static_cast<double>(nanoseconds) / 1000.0;
}

// "x.x" times as long, or "-" when the faster side measured 0.
std::string ratio(std::int64_t slower, std::int64_t faster) {
    if (faster <= 0) {
        return "-";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f",
                  static_cast<double>(slower) / static_cast<double>(faster));
    return text;
}

} // namespace

const char* k_RunSummary::figureDefinitions() {
    return "Summary (standard output; --json gives the same figures, shares as fractions):\n"
           "  plan time          wall time of a frame's planning step (trace column plan_us)\n"
           "  search time        wall time of the step's outermost path searches\n"
           "  sphere tests       tests of a segment against a body's sphere in one step\n"
           "                     (these three as p50, p99 and max, with the max's first frame)\n"
           "  per segment test   search time and sphere tests of the run over its segment tests\n"
           "  budget hits        steps that stopped at --search-budget, and the first of them\n"
           "                     (none: no step did)\n"
           "  relocations        camera moves out of a body it stood in, each to a random point\n"
           "                     around the target, summed over the run\n"
           "  frames w/o target  frames in which no body was of interest to the camera\n"
           "Percentiles are nearest-rank: the p-th percentile of n values is the\n"
           "ceil(p*n/100)-th smallest.\n"
           "Quality, against the bodies' true bounding spheres, always leaving out the target:\n"
           "  occluded           share of frames with a target whose segment from the camera\n"
           "                     to the target's centre comes strictly closer than a radius to\n"
           "                     a body\n"
           "  target engulfed    share of frames with a target whose centre lies strictly\n"
           "                     inside another body: occluded from anywhere, so no camera\n"
           "                     can be occluded in fewer frames than these\n"
           "  camera inside      share of all frames whose camera lies strictly inside a body\n"
           "  min clearance      least (distance from the camera to a body's centre - its\n"
           "                     radius) over all frames and bodies; negative when inside;\n"
           "                     none without a body besides the target\n"
           "  travelled          length of the camera's way over the run, in scene units\n"
           "  view turn          fastest turn of the view direction (camera to look-at point)\n"
           "                     in degrees per second of scene time, and its first frame\n"
           "  visible share      of 64 points spread over the target's sphere, the share of\n"
           "                     those facing the camera that it sees past every other body,\n"
           "                     as a mean over the frames with a target; the frames below\n"
           "                     half and hidden (none seen), of these engulfed (see above)\n"
           "                     and avoidable (all others)\n"
           "  occlusion spells   runs of consecutive avoidable hidden frames: how many, per\n"
           "                     minute of scene time, p95 and longest length in seconds\n"
           "  turn rate          the view direction's turn per frame in degrees per second,\n"
           "                     p99 and max, then again without the frames within 1 s after\n"
           "                     a change of target or a push of the camera out of a body\n"
           "  from 2 s           the same figures counted from 2 s of scene time on, after the\n"
           "                     first approach; path: the camera's way from then\n"
           "  framing            frames with a target whose camera stood nearer its centre than\n"
           "                     0.5 D or farther than 3 D, where D is the distance at which\n"
           "                     the camera comes to rest from it (its stop distance), over the\n"
           "                     run and from 2 s: the band of distances the bound assumes\n";
}

k_RunSummary::k_RunSummary(const k_WorldChoice& world, double dt)
    : scene(world.getScene()), sceneFile(world.getSceneFile()), swarm(world.getSwarm()), dt(dt) {}

void k_RunSummary::describeRun(k_SearchStrategy strategyValue, int repeats, int passesValue) {
    passes = passesValue;
    strategy = strategyValue;
    comparisonRepeats = repeats;
}

void k_RunSummary::markInterrupted(const std::string& signalName, long frames) {
    interruptedBy = signalName;
    framesAsked = frames;
}

void k_RunSummary::markPlannerFailed(const std::string& message, long frames) {
    plannerFailure = message;
    framesAsked = frames;
}

void k_RunSummary::describeBudget(std::uint64_t budget, k_BudgetFallback fallback) {
    searchBudget = budget;
    budgetFallback = fallback;
}

void k_RunSummary::addFrame(const k_FrameRecord& record) {
    if (record.budgetHit) {
        ++budgetHits;
        if (firstBudgetHitFrame == 0) {
            firstBudgetHitFrame = record.frame;
        }
    }
    planMicroseconds.push_back(record.planMicroseconds);
    sphereTestCounts.push_back(static_cast<std::int64_t>(record.sphereTests));
    searchNanoseconds.push_back(record.searchNanoseconds);
    segmentTestTotal += record.segmentTests;
    sphereTestTotal += record.sphereTests;
    searchNanosecondTotal += record.searchNanoseconds;
    if (comparisonRepeats > 0) {
        referencePlanMicroseconds.push_back(record.referencePlanMicroseconds);
        referenceSearchNanoseconds.push_back(record.referenceSearchNanoseconds);
        referenceSphereTestCounts.push_back(static_cast<std::int64_t>(record.referenceSphereTests));
        mismatches += record.mismatches;
        referenceSphereTestTotal += record.referenceSphereTests;
        referenceSearchNanosecondTotal += record.referenceSearchNanoseconds;
    }
    relocations += record.relocations;
    framesWithoutTarget += record.target < 0 ? 1 : 0;
}

double k_RunSummary::searchNanosecondsPerSegmentTest(bool reference) const {
    if (segmentTestTotal == 0) {
        return 0.0;
    }
    return static_cast<double>(reference ? referenceSearchNanosecondTotal : searchNanosecondTotal) /
           static_cast<double>(segmentTestTotal);
}

double k_RunSummary::sphereTestsPerSegmentTest(bool reference) const {
    if (segmentTestTotal == 0) {
        return 0.0;
    }
    return static_cast<double>(reference ? referenceSphereTestTotal : sphereTestTotal) /
           static_cast<double>(segmentTestTotal);
}

k_RunSummary::Distribution
k_RunSummary::distribution(const std::vector<std::int64_t>& values) const {
    Distribution result;
    if (values.empty()) {
        return result;
    }
    result.p50 = nearestRankPercentile(values, 50);
    result.p99 = nearestRankPercentile(values, 99);
    const auto largest = std::max_element(values.begin(), values.end());
    result.max = *largest;
    result.maxFrame = static_cast<long>(largest - values.begin()) + 1;
    return result;
}

void k_RunSummary::writeText(std::FILE* file) const {
    const Distribution plan = planTime();
    const Distribution spheres = sphereTests();
    const k_QualityMetrics& q = qualityMetrics;
    const Distribution search = searchTime();
    const std::string world = sceneFile.empty() ? "scene " + std::to_string(scene) : sceneFile;
    std::fprintf(file, "%s: %ld frames of %g s (%g s of scene time)\n", world.c_str(), getFrames(),
                 dt, dt * static_cast<double>(getFrames()));
    if (isInterrupted()) {
        std::fprintf(file,
                     "interrupted        by %s after %ld of %ld frames: the figures are of "
                     "these\n",
                     interruptedBy.c_str(), getFrames(), framesAsked);
    }
    if (hasPlannerFailed()) {
        std::fprintf(file,
                     "planner failed     after %ld of %ld frames (%s): the figures are of "
                     "these\n",
                     getFrames(), framesAsked, plannerFailure.c_str());
    }
    if (swarm > 0) {
        std::fprintf(file, "swarm              %ld obstacles\n", swarm);
    }
    if (!plannerCommand.empty()) {
        std::fprintf(file, "planner            the program of %s\n", plannerCommand.c_str());
    } else if (cameraPath.empty()) {
        std::fprintf(file, "planner            %s\n", wordOf(planner));
    } else {
        std::fprintf(file, "planner            none: the camera played %s\n", cameraPath.c_str());
    }
    std::fprintf(file, "path search        %s\n", wordOf(strategy));
    if (isComparison()) {
        std::fprintf(file,
                     "times              warm micro-benchmark: every search also run beside "
                     "the reference, shortest of %d\n",
                     comparisonRepeats);
    } else {
        std::fprintf(file, "times              cold: every planning step timed once, as a frame "
                           "runs it\n");
    }
    if (passes > 1) {
        std::fprintf(file, "times              per frame the shortest of %d passes\n", passes);
    }
    std::fprintf(
        file, "plan time (us)     p50 %" PRId64 "  p99 %" PRId64 "  max %" PRId64 " (frame %ld)\n",
        plan.p50, plan.p99, plan.max, plan.maxFrame);
    std::fprintf(file, "search time (us)   p50 %.1f  p99 %.1f  max %.1f (frame %ld)\n",
                 microseconds(search.p50), microseconds(search.p99), microseconds(search.max),
                 search.maxFrame);
    std::fprintf(
        file, "sphere tests       p50 %" PRId64 "  p99 %" PRId64 "  max %" PRId64 " (frame %ld)\n",
        spheres.p50, spheres.p99, spheres.max, spheres.maxFrame);
    std::fprintf(
        file,
        "per segment test   %.1f ns of search, %.1f sphere tests (%" PRIu64 " segment tests)\n",
        searchNanosecondsPerSegmentTest(false), sphereTestsPerSegmentTest(false), segmentTestTotal);
    if (searchBudget == 0) {
        std::fprintf(file, "search budget      unbounded\n");
    } else {
        std::fprintf(file, "search budget      %" PRIu64 " segment tests per step, fallback %s\n",
                     searchBudget, wordOf(budgetFallback));
    }
    if (budgetHits == 0) {
        std::fprintf(file, "budget hits        none of %ld steps\n", getFrames());
    } else {
        std::fprintf(file, "budget hits        %ld of %ld steps (first frame %ld)\n", budgetHits,
                     getFrames(), firstBudgetHitFrame);
    }
    std::fprintf(file, "relocations        %" PRIu64 "\n", relocations);
    std::fprintf(file, "frames w/o target  %ld\n", framesWithoutTarget);
    std::fprintf(file, "occluded           %.2f %% (%ld of %ld frames with a target)\n",
                 percent(q.occludedFraction()), q.getOccludedFrames(), q.getFramesWithTarget());
    std::fprintf(file, "target engulfed    %.2f %% (%ld frames: occluded from anywhere)\n",
                 percent(q.engulfedFraction()), q.getEngulfedFrames());
    std::fprintf(file, "camera inside      %.2f %% (%ld of %ld frames)\n",
                 percent(q.insideFraction()), q.getInsideFrames(), q.getFrames());
    if (q.hasClearance()) {
        std::fprintf(file, "min clearance      %.4f (frame %ld)\n", q.getMinClearance(),
                     q.getMinClearanceFrame());
    } else {
        std::fprintf(file, "min clearance      none (no body besides the target)\n");
    }
    std::fprintf(file, "travelled          %.1f\n", q.getTravelled());
    std::fprintf(file, "view turn (deg/s)  max %.1f (frame %ld)\n", q.getMaxViewTurn(),
                 q.getMaxViewTurnFrame());
    writeVisibilityText(file);
    if (isComparison()) {
        writeComparisonText(file);
    }
    if (bound != nullptr) {
        bound->writeText(file);
    }
}

void k_RunSummary::writeVisibilityText(std::FILE* file) const {
    const k_QualityMetrics::Figures all = qualityMetrics.figures(dt);
    const k_QualityMetrics::Figures later = qualityMetrics.figures(dt, settledFromSeconds);
    std::fprintf(file,
                 "visible share      mean %.4f, below half in %ld frames, hidden in %ld "
                 "(%ld engulfed, %ld avoidable)\n",
                 all.meanVisibleShare, all.belowHalfFrames, all.hiddenFrames, all.engulfedFrames,
                 all.avoidableHiddenFrames);
    std::fprintf(file, "occlusion spells   %ld (%.2f per minute), p95 %.3f s, longest %.3f s\n",
                 all.spells, all.spellsPerMinute, all.spellP95Seconds, all.longestSpellSeconds);
    std::fprintf(file,
                 "turn rate (deg/s)  p99 %.1f  max %.1f; without 1 s after target changes and "
                 "push-outs p99 %.1f  max %.1f\n",
                 all.turnRateP99, all.turnRateMax, all.settledTurnRateP99, all.settledTurnRateMax);
    std::fprintf(file,
                 "from %.0f s           mean share %.4f, avoidable hidden %ld, spells p95 %.3f s, "
                 "longest %.3f s, inside %ld frames, path %.1f\n",
                 settledFromSeconds, later.meanVisibleShare, later.avoidableHiddenFrames,
                 later.spellP95Seconds, later.longestSpellSeconds, later.insideFrames,
                 later.pathLength);
    if (qualityMetrics.hasBand()) {
        const double rest = qualityMetrics.getRestDistance();
        std::fprintf(file,
                     "framing            D %g: nearer than %g in %ld frames, beyond %g in %ld; "
                     "from %.0f s %ld and %ld\n",
                     rest, k_QualityMetrics::nearFactor * rest, all.nearFrames,
                     k_QualityMetrics::farFactor * rest, all.farFrames, settledFromSeconds,
                     later.nearFrames, later.farFrames);
    } else {
        std::fprintf(file, "framing            none (no camera, so no rest distance)\n");
    }
}

void k_RunSummary::writeComparisonText(std::FILE* file) const {
    const Distribution plan = planTime();
    const Distribution search = searchTime();
    const Distribution referencePlan = referencePlanTime();
    const Distribution referenceSearch = referenceSearchTime();
    const Distribution referenceSpheres = referenceSphereTests();
    std::fprintf(file,
                 "reference search on the same frames (warm: shortest of %d runs per search):\n",
                 comparisonRepeats);
    std::fprintf(
        file, "  plan time (us)   p50 %" PRId64 "  p99 %" PRId64 "  max %" PRId64 " (frame %ld)\n",
        referencePlan.p50, referencePlan.p99, referencePlan.max, referencePlan.maxFrame);
    std::fprintf(file, "  search time (us) p50 %.1f  p99 %.1f  max %.1f (frame %ld)\n",
                 microseconds(referenceSearch.p50), microseconds(referenceSearch.p99),
                 microseconds(referenceSearch.max), referenceSearch.maxFrame);
    std::fprintf(
        file, "  sphere tests     p50 %" PRId64 "  p99 %" PRId64 "  max %" PRId64 " (frame %ld)\n",
        referenceSpheres.p50, referenceSpheres.p99, referenceSpheres.max,
        referenceSpheres.maxFrame);
    std::fprintf(file, "  per segment test %.1f ns of search, %.1f sphere tests\n",
                 searchNanosecondsPerSegmentTest(true), sphereTestsPerSegmentTest(true));
    std::fprintf(file, "reference / fast   plan p99 %s  max %s; search p99 %s  max %s\n",
                 ratio(referencePlan.p99, plan.p99).c_str(),
                 ratio(referencePlan.max, plan.max).c_str(),
                 ratio(referenceSearch.p99, search.p99).c_str(),
                 ratio(referenceSearch.max, search.max).c_str());
    std::fprintf(file, "mismatches         %" PRIu64 "\n", mismatches);
}

namespace {

nlohmann::ordered_json integerFigures(const k_RunSummary::Distribution& figures) {
    return {{"p50", figures.p50},
            {"p99", figures.p99},
            {"max", figures.max},
            {"max_frame", figures.maxFrame}};
}

nlohmann::ordered_json visibilityFigures(const k_QualityMetrics::Figures& figures) {
    return {{"frames", figures.frames},
            {"frames_with_target", figures.framesWithTarget},
            {"mean_visible_share", figures.meanVisibleShare},
            {"below_half_frames", figures.belowHalfFrames},
            {"hidden_frames", figures.hiddenFrames},
            {"engulfed_frames", figures.engulfedFrames},
            {"avoidable_hidden_frames", figures.avoidableHiddenFrames},
            {"inside_frames", figures.insideFrames},
            {"spells", figures.spells},
            {"spells_per_minute", figures.spellsPerMinute},
            {"spell_p95_s", figures.spellP95Seconds},
            {"longest_spell_s", figures.longestSpellSeconds},
            {"path_length", figures.pathLength},
            {"turn_rate_p99", figures.turnRateP99},
            {"turn_rate_max", figures.turnRateMax},
            {"settled_turn_rate_p99", figures.settledTurnRateP99},
            {"settled_turn_rate_max", figures.settledTurnRateMax},
            {"near_frames", figures.nearFrames},
            {"far_frames", figures.farFrames}};
}

nlohmann::ordered_json timeFigures(const k_RunSummary::Distribution& nanoseconds) {
    return {{"p50", microseconds(nanoseconds.p50)},
            {"p99", microseconds(nanoseconds.p99)},
            {"max", microseconds(nanoseconds.max)},
            {"max_frame", nanoseconds.maxFrame}};
}

} // namespace

nlohmann::ordered_json k_RunSummary::toJson() const {
    const k_QualityMetrics& q = qualityMetrics;
    nlohmann::ordered_json json;
    json["scene"] = scene;
    if (!sceneFile.empty()) {
        json["scene_file"] = sceneFile;
    }
    json["frames"] = getFrames();
    json["dt"] = dt;
    json["interrupted"] = isInterrupted();
    if (isInterrupted()) {
        json["frames_asked"] = framesAsked;
        json["signal"] = interruptedBy;
    }
    json["ended"] = hasPlannerFailed() ? "planner failed"
                    : isInterrupted()  ? "interrupted"
                                       : "completed";
    if (hasPlannerFailed()) {
        json["frames_asked"] = framesAsked;
        json["planner_failure"] = plannerFailure;
    }
    if (swarm > 0) {
        json["swarm"] = swarm;
    }
    if (!plannerCommand.empty()) {
        json["planner"] = "command";
        json["planner_command"] = plannerCommand;
    } else if (cameraPath.empty()) {
        json["planner"] = wordOf(planner);
    } else {
        json["planner"] = "camera-path";
        json["camera_path"] = cameraPath;
    }
    json["strategy"] = wordOf(strategy);
    json["passes"] = passes;
    json["timing"] = isComparison() ? "warm" : "cold";
    json["plan_us"] = integerFigures(planTime());
    json["search_us"] = timeFigures(searchTime());
    if (isComparison()) {
        json["comparison"] = {{"repeats", comparisonRepeats},
                              {"mismatches", mismatches},
                              {"reference_plan_us", integerFigures(referencePlanTime())},
                              {"reference_search_us", timeFigures(referenceSearchTime())},
                              {"reference_sphere_tests", integerFigures(referenceSphereTests())},
                              {"reference_per_segment_test",
                               {{"search_ns", searchNanosecondsPerSegmentTest(true)},
                                {"sphere_tests", sphereTestsPerSegmentTest(true)}}}};
    }
    json["sphere_tests"] = integerFigures(sphereTests());
    json["per_segment_test"] = {{"segment_tests", segmentTestTotal},
                                {"search_ns", searchNanosecondsPerSegmentTest(false)},
                                {"sphere_tests", sphereTestsPerSegmentTest(false)}};
    json["search_budget"] = searchBudget;
    json["budget_fallback"] = wordOf(budgetFallback);
    json["budget_hits"] = budgetHits;
    json["first_budget_hit_frame"] = budgetHits > 0 ? nlohmann::ordered_json(firstBudgetHitFrame)
                                                    : nlohmann::ordered_json(nullptr);
    json["relocations"] = relocations;
    json["frames_without_target"] = framesWithoutTarget;
    json["occluded_fraction"] = q.occludedFraction();
    json["inside_fraction"] = q.insideFraction();
    json["engulfed_fraction"] = q.engulfedFraction();
    json["travelled"] = q.getTravelled();
    json["max_view_turn"] = q.getMaxViewTurn();
    json["max_view_turn_frame"] = q.getMaxViewTurnFrame();
    // Without a body besides the target there is no clearance: null, not a number.
    json["min_clearance"] = q.hasClearance() ? nlohmann::ordered_json(q.getMinClearance())
                                             : nlohmann::ordered_json(nullptr);
    json["min_clearance_frame"] = q.hasClearance()
                                      ? nlohmann::ordered_json(q.getMinClearanceFrame())
                                      : nlohmann::ordered_json(nullptr);
    json["visibility"] = visibilityFigures(q.figures(dt));
    json["visibility_from_2s"] = visibilityFigures(q.figures(dt, settledFromSeconds));
    if (bound != nullptr) {
        json["bound"] = bound->toJson();
    }
    if (q.hasBand()) {
        const double rest = q.getRestDistance();
        json["band"] = {{"rest_distance", rest},
                        {"near", k_QualityMetrics::nearFactor * rest},
                        {"far", k_QualityMetrics::farFactor * rest}};
    } else {
        json["band"] = nullptr;
    }
    return json;
}

void k_RunSummary::writeJson(std::FILE* file) const {
    std::fputs((toJson().dump(2) + "\n").c_str(), file);
}
