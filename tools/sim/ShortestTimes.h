#pragma once

#include <cstdint>
#include <vector>

#include "tools/sim/FrameRecord.h"

// Per-frame shortest times over several passes of the same run. The passes plan exactly the
// same frames (the scene is reloaded from the same seed), so any difference between their
// times is other work on the machine: a time slice lost to another process shows up in one
// pass and not in the others.
class k_ShortestTimes {
public:
    /// Keeps the shorter of the record's times and those seen before for its frame, and
    /// writes the shortest back into the record.
    void take(k_FrameRecord& record);

private:
    struct Times {
        std::int64_t planMicroseconds;
        std::int64_t searchNanoseconds;
        std::int64_t referencePlanMicroseconds;
        std::int64_t referenceSearchNanoseconds;
    };
    /// Indexed by frame number - 1.
    std::vector<Times> frames;
};
