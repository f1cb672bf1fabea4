#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tools/sim/NearestRank.h"

namespace {

TEST(NearestRank, IsTheCeilingRankWithoutInterpolation) {
    std::vector<std::int64_t> hundred;
    for (int i = 100; i >= 1; --i) {
        hundred.push_back(i);
    }
    EXPECT_EQ(nearestRankPercentile(hundred, 50), 50);
    EXPECT_EQ(nearestRankPercentile(hundred, 99), 99);
    EXPECT_EQ(nearestRankPercentile(hundred, 100), 100);
    EXPECT_EQ(nearestRankPercentile(hundred, 0), 1);
    // Three values: p50 has rank ceil(1.5) = 2, p99 rank ceil(2.97) = 3.
    EXPECT_EQ(nearestRankPercentile<std::int64_t>({5, 1, 3}, 50), 3);
    EXPECT_EQ(nearestRankPercentile<std::int64_t>({5, 1, 3}, 99), 5);
    EXPECT_EQ(nearestRankPercentile<std::int64_t>({7}, 99), 7);
    EXPECT_EQ(nearestRankPercentile<std::int64_t>({}, 50), 0);
    // The quality figures' seconds and rates: a rank that is exactly whole stays put
    // (95 % of 20 is the 19th), one just past it moves up (95 % of 21 is the 20th).
    std::vector<double> twenty;
    for (int i = 1; i <= 21; ++i) {
        twenty.push_back(0.5 * i);
    }
    EXPECT_EQ(nearestRankPercentile(twenty, 95), 10.0);
    twenty.pop_back();
    EXPECT_EQ(nearestRankPercentile(twenty, 95), 9.5);
    EXPECT_EQ(nearestRankPercentile<double>({}, 95), 0.0);
}

} // namespace
