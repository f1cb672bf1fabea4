#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/sim/RunSummary.h"

namespace {

TEST(RunSummary, PercentilesAreNearestRank) {
    std::vector<std::int64_t> hundred;
    for (int i = 100; i >= 1; --i) {
        hundred.push_back(i);
    }
    EXPECT_EQ(k_RunSummary::percentile(hundred, 50), 50);
    EXPECT_EQ(k_RunSummary::percentile(hundred, 99), 99);
    EXPECT_EQ(k_RunSummary::percentile(hundred, 100), 100);
    EXPECT_EQ(k_RunSummary::percentile(hundred, 0), 1);
    // Three values: p50 has rank ceil(1.5) = 2, p99 rank ceil(2.97) = 3; no interpolation.
    EXPECT_EQ(k_RunSummary::percentile({5, 1, 3}, 50), 3);
    EXPECT_EQ(k_RunSummary::percentile({5, 1, 3}, 99), 5);
    EXPECT_EQ(k_RunSummary::percentile({7}, 99), 7);
    EXPECT_EQ(k_RunSummary::percentile({}, 50), 0);
}

TEST(RunSummary, CountsAndTheFirstFrameOfTheMaximum) {
    k_RunSummary summary(2, 0.5);
    const std::int64_t times[] = {4, 9, 2, 9};
    for (long frame = 1; frame <= 4; ++frame) {
        k_FrameRecord record;
        record.frame = frame;
        record.planMicroseconds = times[frame - 1];
        record.sphereTests = static_cast<std::uint64_t>(10 * frame);
        record.relocations = frame == 3 ? 6 : 0;
        record.target = frame == 2 ? -1 : 0;
        summary.addFrame(record);
    }
    EXPECT_EQ(summary.getFrames(), 4);
    EXPECT_EQ(summary.planTime().max, 9);
    EXPECT_EQ(summary.planTime().maxFrame, 2);
    EXPECT_EQ(summary.planTime().p50, 4);
    EXPECT_EQ(summary.sphereTests().max, 40);
    EXPECT_EQ(summary.sphereTests().maxFrame, 4);
    EXPECT_EQ(summary.getRelocations(), 6u);
    EXPECT_EQ(summary.getFramesWithoutTarget(), 1);

    // Without a body besides the target the clearance is null in JSON, not a number.
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    summary.writeJson(file);
    std::rewind(file);
    std::string json(4096, '\0');
    json.resize(std::fread(&json[0], 1, json.size(), file));
    std::fclose(file);
    const nlohmann::json parsed = nlohmann::json::parse(json);
    EXPECT_EQ(parsed["plan_us"],
              nlohmann::json::parse(R"({"p50": 4, "p99": 9, "max": 9, "max_frame": 2})"));
    EXPECT_TRUE(parsed["min_clearance"].is_null()) << json;
}

} // namespace
