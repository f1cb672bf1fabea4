#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "tools/sim/FrameRecord.h"
#include "tools/sim/QualityMetrics.h"

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

    k_RunSummary(int scene, double dt) : scene(scene), dt(dt) {}

    /// Nearest rank: the ceil(percent * n / 100)-th smallest of n values (the smallest for
    /// percent 0); 0 for no values.
    static std::int64_t percentile(std::vector<std::int64_t> values, int percent);

    void addFrame(const k_FrameRecord& record);
    k_QualityMetrics& quality() { return qualityMetrics; }
    const k_QualityMetrics& quality() const { return qualityMetrics; }

    long getFrames() const { return static_cast<long>(planMicroseconds.size()); }
    Distribution planTime() const { return distribution(planMicroseconds); }
    Distribution sphereTests() const { return distribution(sphereTestCounts); }
    std::uint64_t getRelocations() const { return relocations; }
    long getFramesWithoutTarget() const { return framesWithoutTarget; }

    void writeText(std::FILE* file) const;
    void writeJson(std::FILE* file) const;

private:
    Distribution distribution(const std::vector<std::int64_t>& values) const;

    int scene;
    double dt;
    std::vector<std::int64_t> planMicroseconds;
    std::vector<std::int64_t> sphereTestCounts;
    std::uint64_t relocations = 0;
    long framesWithoutTarget = 0;
    k_QualityMetrics qualityMetrics;
};
