// veltrava-sim --camera-path playing the trace of a planned run: the world runs as it did, so
// every figure that judges the camera comes out as that run's.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <unistd.h>

#include <cstdio>
#include <set>
#include <string>

#include "sim/SimProgramTestSupport.h"

namespace {

std::string scratch(const std::string& name) {
    return "/tmp/veltrava_replay_gltest_" + std::to_string(getpid()) + "_" + name;
}

// Scene 2's default planner loses its target behind the wall and pushes the camera out of a
// body once (frame 1303), which the settled turn rates leave out in both runs.
TEST(CameraPathReplay, ATraceReplayedGivesTheFiguresOfTheRunThatWroteIt) {
    const std::string trace = scratch("trace.csv"), planned = scratch("planned.json"),
                      replayed = scratch("replayed.json");
    const std::string world = "--scene 2 --seconds 30 ";
    const k_SimProgramRun first = runSimProgram(world + "--trace " + trace + " --json " + planned);
    ASSERT_EQ(first.exitCode, 0) << first.err;
    const k_SimProgramRun second =
        runSimProgram(world + "--camera-path " + trace + " --json " + replayed);
    ASSERT_EQ(second.exitCode, 0) << second.err;
    const nlohmann::json a = nlohmann::json::parse(readWholeFile(planned));
    const nlohmann::json b = nlohmann::json::parse(readWholeFile(replayed));
    for (const std::string& path : {trace, planned, replayed}) {
        std::remove(path.c_str());
    }
    ASSERT_GT(a["visibility"]["hidden_frames"].get<long>(), 100);
    ASSERT_EQ(a["relocations"], 1);
    // What only planning has: its kind, its times and its search work.
    const std::set<std::string> planning = {"planner", "plan_us", "search_us", "sphere_tests",
                                            "per_segment_test"};
    for (const auto& [key, value] : a.items()) {
        if (planning.count(key) == 0) {
            EXPECT_EQ(b[key], value) << key;
        }
    }
    EXPECT_EQ(b["planner"], "camera-path");
    EXPECT_EQ(b["camera_path"], trace);
}

} // namespace
