#include "tools/sim/ShortestTimes.h"

#include <algorithm>
#include <limits>

void k_ShortestTimes::take(k_FrameRecord& record) {
    if (record.frame < 1) {
        return;
    }
    const std::size_t index = static_cast<std::size_t>(record.frame - 1);
    const Times now{record.planMicroseconds, record.searchNanoseconds,
                    record.referencePlanMicroseconds, record.referenceSearchNanoseconds};
    if (index >= frames.size()) {
        // Frames not seen yet take the first time they are given.
        constexpr std::int64_t unseen = std::numeric_limits<std::int64_t>::max();
        frames.resize(index + 1, Times{unseen, unseen, unseen, unseen});
    }
    Times& kept = frames[index];
    kept.planMicroseconds = std::min(kept.planMicroseconds, now.planMicroseconds);
    kept.searchNanoseconds = std::min(kept.searchNanoseconds, now.searchNanoseconds);
    kept.referencePlanMicroseconds =
        std::min(kept.referencePlanMicroseconds, now.referencePlanMicroseconds);
    kept.referenceSearchNanoseconds =
        std::min(kept.referenceSearchNanoseconds, now.referenceSearchNanoseconds);
    record.planMicroseconds = kept.planMicroseconds;
    record.searchNanoseconds = kept.searchNanoseconds;
    record.referencePlanMicroseconds = kept.referencePlanMicroseconds;
    record.referenceSearchNanoseconds = kept.referenceSearchNanoseconds;
}
