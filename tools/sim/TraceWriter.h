#pragma once

#include <cstdio>
#include <string>

#include "tools/sim/FrameRecord.h"

// The per-frame CSV trace: a header line, then one row per frame with every float printed
// as "%.9g", which round-trips a float exactly, so equal runs give equal files.
class k_TraceWriter {
public:
    /// Writes to `file`, which stays owned by the caller.
    explicit k_TraceWriter(std::FILE* file) : file(file) {}

    static const char* header();
    static std::string formatRow(const k_FrameRecord& record);

    void writeHeader();
    void writeRow(const k_FrameRecord& record);

private:
    std::FILE* file;
};
