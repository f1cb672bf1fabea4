// veltrava-sim --camera-path refusing what it cannot play, as a user meets it: one line naming
// the file and the line, exit status 2, no output written, and all before any window (no
// display and no EGL driver here: a window tried would end in status 1).
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "sim/SimProgramTestSupport.h"

namespace {

const char* const noGl = "env -u DISPLAY __EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent";

std::string scratch(const std::string& name) {
    return "/tmp/veltrava_camera_path_program_" + std::to_string(getpid()) + "_" + name;
}

std::string rows(int count) {
    std::string text = "frame,t,cam_x,cam_y,cam_z,look_x,look_y,look_z\n";
    for (int frame = 1; frame <= count; ++frame) {
        text += std::to_string(frame) + "," + std::to_string(frame * 0.5) + ",0,0,40,0,0,0\n";
    }
    return text;
}

TEST(CameraPathProgram, RefusesABadPathWithOneLineAndStatusTwo) {
    struct Case {
        const char* name;
        std::string text;
        std::string expected;
    } cases[] = {
        {"missing_column", "frame,t,cam_x,cam_y,look_x,look_y,look_z\n", ":1: no column cam_z"},
        {"not_a_number", rows(2) + "3,1.5,0,zero,40,0,0,0\n", ":4: cam_y is 'zero'"},
        {"not_finite", rows(1) + "2,1,0,0,40,0,0,-inf\n", ":3: look_z is '-inf'"},
        {"out_of_order", rows(2) + "5,2.5,0,0,40,0,0,0\n", ":4: frame 5 where frame 3"},
        {"too_short", rows(3), ":4: the camera path ends at frame 3 but the run has 4 frames"},
    };
    const std::string tracePath = scratch("never.csv");
    for (const Case& c : cases) {
        const std::string path = scratch(std::string(c.name) + ".csv");
        std::ofstream(path) << c.text;
        const k_SimProgramRun run = runSimProgram(
            "--scene 3 --seconds 2 --dt 0.5 --camera-path " + path + " --trace " + tracePath, noGl);
        EXPECT_EQ(run.exitCode, 2) << c.name << ": " << run.err;
        EXPECT_EQ(run.err.rfind("veltrava-sim: " + path + c.expected, 0), 0u)
            << c.name << ": " << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
        EXPECT_TRUE(run.out.empty()) << run.out;
        EXPECT_FALSE(std::filesystem::exists(tracePath)) << c.name;
        std::remove(path.c_str());
    }
    const k_SimProgramRun missing =
        runSimProgram("--scene 3 --camera-path /nonexistent/path.csv", noGl);
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(missing.err, "veltrava-sim: cannot read the camera path /nonexistent/path.csv: No "
                           "such file or directory\n");
}

TEST(CameraPathProgram, RefusesOptionsThatPlanOrRunNothing) {
    const std::pair<std::string, std::string> lines[] = {
        {"--scene 1 --camera-path p.csv --planner visibility", "cannot be combined with --planner"},
        {"--scene 1 --camera-path p.csv --compare-reference", "nothing to compare"},
        {"--scene 1 --camera-path p.csv --frames out --show-plan", "no plan to draw"},
        {"--scene 1 --export-scene x.json --bound", "--export-scene runs nothing"},
        {"--scene 1 --bound-path", "--bound-path: 1 required FILE missing"},
        {"--scene 1 --bound-path /nonexistent-dir/b.csv", "cannot write /nonexistent-dir/b.csv"},
    };
    for (const auto& [arguments, message] : lines) {
        const k_SimProgramRun refused = runSimProgram(arguments, noGl);
        EXPECT_EQ(refused.exitCode, 2) << arguments;
        EXPECT_NE(refused.err.find(message), std::string::npos) << refused.err;
    }
}

} // namespace
