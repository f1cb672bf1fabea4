// veltrava-sim beside the reference search: the fast search must plan exactly as the
// reference on every frame of every built-in scene, and the comparison adds trace columns
// only when asked for.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <unistd.h>

#include <string>

#include "sim/SimProgramTestSupport.h"

namespace {

std::string scratch(const std::string& name) {
    return "/tmp/veltrava_sim_compare_" + std::to_string(getpid()) + "_" + name;
}

std::string firstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

class SimComparison : public testing::TestWithParam<int> {};

TEST_P(SimComparison, FindsNoMismatchOnAnyFrame) {
    const std::string scene = std::to_string(GetParam());
    const std::string json = scratch(scene + ".json");
    const std::string trace = scratch(scene + ".csv");
    const k_SimProgramRun run = runSimProgram("--scene " + scene +
                                              " --seconds 3 --compare-reference --repeats 1 "
                                              "--json " +
                                              json + " --trace " + trace);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("\nmismatches         0\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("reference search on the same frames"), std::string::npos);
    const nlohmann::json summary = nlohmann::json::parse(readWholeFile(json));
    EXPECT_EQ(summary["comparison"]["repeats"], 1);
    EXPECT_EQ(summary["comparison"]["mismatches"], 0);
    EXPECT_TRUE(summary["comparison"].contains("reference_plan_us"));
    EXPECT_EQ(firstLine(readWholeFile(trace)),
              "frame,t,target,cam_x,cam_y,cam_z,look_x,look_y,look_z,up_x,up_y,up_z,vel_x,vel_y,"
              "vel_z,look_speed,relocations,find_path_calls,segment_tests,sphere_tests,plan_us,"
              "search_ns,ref_plan_us,ref_search_ns,ref_sphere_tests,mismatches,budget_hit,visible_"
              "share,hidden,engulfed,inside,turn_deg_s");
    std::remove(json.c_str());
    std::remove(trace.c_str());
}

INSTANTIATE_TEST_SUITE_P(BuiltInScenes, SimComparison, testing::Values(1, 2, 3, 4), sceneName);

TEST(SimComparison, ReferenceAloneAndPassesKeepTheDefaultTrace) {
    const std::string trace = scratch("reference.csv");
    const k_SimProgramRun run =
        runSimProgram("--scene 2 --seconds 0.5 --strategy reference --passes 2 --trace " + trace);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("path search        reference"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("shortest of 2 passes"), std::string::npos) << run.out;
    EXPECT_EQ(firstLine(readWholeFile(trace)),
              "frame,t,target,cam_x,cam_y,cam_z,look_x,look_y,look_z,up_x,up_y,up_z,vel_x,vel_y,"
              "vel_z,look_speed,relocations,find_path_calls,segment_tests,sphere_tests,plan_us,"
              "budget_hit,visible_share,hidden,engulfed,inside,turn_deg_s");
    std::remove(trace.c_str());
}

TEST(SimComparison, SwarmRunReportsItsSize) {
    const k_SimProgramRun run = runSimProgram("--scene 4 --swarm 300 --seconds 0.2");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("swarm              300 obstacles"), std::string::npos) << run.out;
}

} // namespace
