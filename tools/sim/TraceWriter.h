#pragma once

#include <cstdio>
#include <string>

#include "tools/sim/FrameRecord.h"

// The per-frame CSV trace: a header line, then one row per frame with every float printed
// as "%.9g", which round-trips a float exactly, so equal runs give equal files.
class k_TraceWriter {
public:
    /// Writes to `file`, which stays owned by the caller.
    /// With `comparison`, every row gains the reference's columns after plan_us.
    explicit k_TraceWriter(std::FILE* file, bool comparison = false)
        : file(file), comparison(comparison) {}

    static const char* header();
    static std::string formatRow(const k_FrameRecord& record);
    /// The columns added by a comparison run, with their leading commas.
    static const char* comparisonHeader();
    static std::string formatComparison(const k_FrameRecord& record);
    /// The quality columns that end every row, after budget_hit, with their leading commas.
    static const char* qualityHeader();
    static std::string formatQuality(const k_FrameRecord& record);

    void writeHeader();
    void writeRow(const k_FrameRecord& record);

private:
    std::FILE* file;
    bool comparison;
};
