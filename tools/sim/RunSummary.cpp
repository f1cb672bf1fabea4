#include "tools/sim/RunSummary.h"

#include <algorithm>
#include <cinttypes>

std::int64_t k_RunSummary::percentile(std::vector<std::int64_t> values, int percent) {
    if (values.empty()) {
        return 0;
    }
    const std::size_t n = values.size();
    // Integer ceiling, so that no rounding of percent * n / 100 can move the rank.
    std::size_t rank = (static_cast<std::size_t>(percent) * n + 99) / 100;
    rank = std::clamp<std::size_t>(rank, 1, n);
    std::nth_element(values.begin(), values.begin() + static_cast<long>(rank - 1), values.end());
    return values[rank - 1];
}

void k_RunSummary::addFrame(const k_FrameRecord& record) {
    planMicroseconds.push_back(record.planMicroseconds);
    sphereTestCounts.push_back(static_cast<std::int64_t>(record.sphereTests));
    relocations += record.relocations;
    framesWithoutTarget += record.target < 0 ? 1 : 0;
}

k_RunSummary::Distribution
k_RunSummary::distribution(const std::vector<std::int64_t>& values) const {
    Distribution result;
    if (values.empty()) {
        return result;
    }
    result.p50 = percentile(values, 50);
    result.p99 = percentile(values, 99);
    const auto largest = std::max_element(values.begin(), values.end());
    result.max = *largest;
    result.maxFrame = static_cast<long>(largest - values.begin()) + 1;
    return result;
}

void k_RunSummary::writeText(std::FILE* file) const {
    const Distribution plan = planTime();
    const Distribution spheres = sphereTests();
    const k_QualityMetrics& q = qualityMetrics;
    std::fprintf(file, "scene %d: %ld frames of %g s (%g s of scene time)\n", scene, getFrames(),
                 dt, dt * static_cast<double>(getFrames()));
    std::fprintf(
        file, "plan time (us)     p50 %" PRId64 "  p99 %" PRId64 "  max %" PRId64 " (frame %ld)\n",
        plan.p50, plan.p99, plan.max, plan.maxFrame);
    std::fprintf(
        file, "sphere tests       p50 %" PRId64 "  p99 %" PRId64 "  max %" PRId64 " (frame %ld)\n",
        spheres.p50, spheres.p99, spheres.max, spheres.maxFrame);
    std::fprintf(file, "relocations        %" PRIu64 "\n", relocations);
    std::fprintf(file, "frames w/o target  %ld\n", framesWithoutTarget);
    std::fprintf(file, "occluded           %.4f (%ld of %ld frames with a target)\n",
                 q.occludedFraction(), q.getOccludedFrames(), q.getFramesWithTarget());
    std::fprintf(file, "camera inside      %.4f (%ld of %ld frames)\n", q.insideFraction(),
                 q.getInsideFrames(), q.getFrames());
    if (q.hasClearance()) {
        std::fprintf(file, "min clearance      %.4f (frame %ld)\n", q.getMinClearance(),
                     q.getMinClearanceFrame());
    } else {
        std::fprintf(file, "min clearance      none (no body besides the target)\n");
    }
}

void k_RunSummary::writeJson(std::FILE* file) const {
    const Distribution plan = planTime();
    const Distribution spheres = sphereTests();
    const k_QualityMetrics& q = qualityMetrics;
    std::fprintf(file, "{\n  \"scene\": %d,\n  \"frames\": %ld,\n  \"dt\": %.9g,\n", scene,
                 getFrames(), dt);
    std::fprintf(file,
                 "  \"plan_us\": {\"p50\": %" PRId64 ", \"p99\": %" PRId64 ", \"max\": %" PRId64
                 ", \"max_frame\": %ld},\n",
                 plan.p50, plan.p99, plan.max, plan.maxFrame);
    std::fprintf(file,
                 "  \"sphere_tests\": {\"p50\": %" PRId64 ", \"p99\": %" PRId64
                 ", \"max\": %" PRId64 ", \"max_frame\": %ld},\n",
                 spheres.p50, spheres.p99, spheres.max, spheres.maxFrame);
    std::fprintf(file, "  \"relocations\": %" PRIu64 ",\n", relocations);
    std::fprintf(file, "  \"frames_without_target\": %ld,\n", framesWithoutTarget);
    std::fprintf(file, "  \"occluded_fraction\": %.9g,\n", q.occludedFraction());
    std::fprintf(file, "  \"inside_fraction\": %.9g,\n", q.insideFraction());
    if (q.hasClearance()) {
        std::fprintf(file, "  \"min_clearance\": %.9g,\n  \"min_clearance_frame\": %ld\n}\n",
                     q.getMinClearance(), q.getMinClearanceFrame());
    } else {
        std::fprintf(file, "  \"min_clearance\": null,\n  \"min_clearance_frame\": null\n}\n");
    }
}
