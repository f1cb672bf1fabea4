#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "tools/sim/RunSummary.h"

namespace {

std::string textOf(const k_RunSummary& summary) {
    std::FILE* file = std::tmpfile();
    summary.writeText(file);
    std::rewind(file);
    std::string text(8192, '\0');
    text.resize(std::fread(&text[0], 1, text.size(), file));
    std::fclose(file);
    return text;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(RunSummary, SharesInPercentAndNoneWithoutABudgetHit) {
    k_RunSummary summary(k_WorldChoice::builtInScene(1), 0.5);
    // Three frames with a target: the first seen through a body, the others clear.
    const std::vector<k_QualityMetrics::Sphere> bodies = {{5.0, 0.0, 0.0, 1.0},
                                                          {10.0, 0.0, 0.0, 1.0}};
    for (long frame = 1; frame <= 3; ++frame) {
        const double y = frame == 1 ? 0.0 : 5.0;
        summary.quality().addFrame(frame, k_QualityMetrics::Point{0.0, y, 0.0}, bodies, 1);
        k_FrameRecord record;
        record.frame = frame;
        summary.addFrame(record);
    }
    std::string text = textOf(summary);
    EXPECT_TRUE(contains(text, "\noccluded           33.33 % (1 of 3 frames with a target)\n"))
        << text;
    EXPECT_TRUE(contains(text, "\ncamera inside      0.00 % (0 of 3 frames)\n")) << text;
    EXPECT_TRUE(contains(text, "\nbudget hits        none of 3 steps\n")) << text;
    EXPECT_TRUE(summary.toJson()["first_budget_hit_frame"].is_null());
    EXPECT_EQ(summary.toJson()["interrupted"], false);
    // The fractions stay fractions in JSON, whose keys say so.
    EXPECT_DOUBLE_EQ(summary.toJson()["occluded_fraction"].get<double>(), 1.0 / 3.0);

    k_FrameRecord hit;
    hit.frame = 4;
    hit.budgetHit = true;
    summary.addFrame(hit);
    text = textOf(summary);
    EXPECT_TRUE(contains(text, "\nbudget hits        1 of 4 steps (first frame 4)\n")) << text;
    EXPECT_EQ(summary.toJson()["first_budget_hit_frame"], 4);
}

TEST(RunSummary, HelpDefinesEveryFigureOfTheSummary) {
    k_RunSummary summary(k_WorldChoice::builtInScene(4, 300), 0.016);
    summary.describeRun(k_SearchStrategy::fast, 0, 2);
    summary.describeBudget(100, k_BudgetFallback::partialRoute);
    k_FrameRecord record;
    record.frame = 1;
    summary.addFrame(record);
    const std::string definitions = k_RunSummary::figureDefinitions();
    // Lines that describe the run rather than measure it.
    const std::vector<std::string> described = {"swarm", "planner", "path search", "times",
                                                "search budget"};
    std::istringstream lines(textOf(summary));
    std::string line;
    std::getline(lines, line); // "scene N: ..."
    while (std::getline(lines, line)) {
        // The name is what comes before the value's column, less a unit in brackets.
        std::string name = line.substr(0, line.find("  "));
        name = name.substr(0, name.find(" ("));
        if (std::find(described.begin(), described.end(), name) != described.end()) {
            continue;
        }
        EXPECT_TRUE(contains(definitions, "\n  " + name + " ")) << "no definition of " << name;
    }
    // Fits the help's width.
    std::istringstream help(definitions);
    while (std::getline(help, line)) {
        EXPECT_LE(line.size(), 90u) << line;
    }
}

TEST(RunSummary, CountsAndTheFirstFrameOfTheMaximum) {
    k_RunSummary summary(k_WorldChoice::builtInScene(2), 0.5);
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

namespace {

TEST(RunSummary, FramingNamesTheBandOrSaysThereIsNone) {
    k_RunSummary summary(k_WorldChoice::builtInScene(1), 1.0);
    summary.quality().addFrame(1, k_QualityMetrics::Point{0, 0, 40},
                               {k_QualityMetrics::Sphere{0, 0, 0, 1}}, 0);
    EXPECT_TRUE(contains(textOf(summary), "\nframing            none ")) << textOf(summary);
    EXPECT_TRUE(summary.toJson()["band"].is_null());

    summary.quality().setRestDistance(10.0);
    summary.quality().addFrame(2, k_QualityMetrics::Point{0, 0, 40},
                               {k_QualityMetrics::Sphere{0, 0, 0, 1}}, 0);
    EXPECT_TRUE(contains(textOf(summary), "\nframing            D 10: nearer than 5 in 0 frames, "
                                          "beyond 30 in 1; from 2 s 0 and 1\n"))
        << textOf(summary);
    const nlohmann::ordered_json json = summary.toJson();
    EXPECT_EQ(json["band"]["far"], 30.0);
    EXPECT_EQ(json["visibility"]["far_frames"], 1);
    EXPECT_EQ(json["visibility_from_2s"]["far_frames"], 1);
}

} // namespace

namespace {

// Frames of 0.5 s: the eye moves 1 along x every frame and its view turns a quarter in
// frame 2 and never again, so that from 2 s (frame 4) it travels 5 and does not turn at all,
// while over the run it travels 7 and turns at 180 degrees per second.
TEST(RunSummary, FiguresFromTwoSecondsCountOnlyTheFramesFromThen) {
    k_RunSummary summary(k_WorldChoice::builtInScene(1), 0.5);
    const std::vector<k_QualityMetrics::Sphere> bodies = {{0.0, 0.0, -50.0, 1.0}};
    for (long frame = 1; frame <= 8; ++frame) {
        const double x = static_cast<double>(frame);
        const k_QualityMetrics::Point eye{x, 0.0, 0.0};
        summary.quality().addFrame(frame, eye, bodies, 0);
        const k_QualityMetrics::Point ahead = frame == 1
                                                  ? k_QualityMetrics::Point{x, 0.0, -1.0}
                                                  : k_QualityMetrics::Point{x + 1.0, 0.0, 0.0};
        summary.quality().addView(frame, eye, ahead, 0.5);
        k_FrameRecord record;
        record.frame = frame;
        summary.addFrame(record);
    }
    ASSERT_EQ(k_RunSummary::settledFromSeconds, 2.0);
    const nlohmann::ordered_json json = summary.toJson();
    EXPECT_DOUBLE_EQ(json["visibility"]["path_length"].get<double>(), 7.0);
    EXPECT_DOUBLE_EQ(json["visibility"]["turn_rate_max"].get<double>(), 180.0);
    EXPECT_EQ(json["visibility_from_2s"]["frames"], 5);
    EXPECT_DOUBLE_EQ(json["visibility_from_2s"]["path_length"].get<double>(), 5.0);
    EXPECT_DOUBLE_EQ(json["visibility_from_2s"]["turn_rate_max"].get<double>(), 0.0);
    EXPECT_DOUBLE_EQ(json["visibility_from_2s"]["turn_rate_p99"].get<double>(), 0.0);
    EXPECT_DOUBLE_EQ(json["visibility_from_2s"]["settled_turn_rate_max"].get<double>(), 0.0);
    const std::string text = textOf(summary);
    EXPECT_TRUE(contains(text, ", path 5.0\n")) << text;
}

} // namespace
