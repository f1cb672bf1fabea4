// The program's answers to bad input and to a machine without any GL; none needs a window.
#include <gtest/gtest.h>

#include <ostream>

#include <string>

#include "sim/SimProgramTestSupport.h"

namespace {

struct BadRun {
    const char* arguments;
    const char* messagePart;
};

// A failure names the command line, not the case's bytes.
void PrintTo(const BadRun& run, std::ostream* out) {
    *out << run.arguments << " (refused naming " << run.messagePart << ")";
}

class SimProgramRefuses : public testing::TestWithParam<BadRun> {};

TEST_P(SimProgramRefuses, WithOneLineAndExitCodeTwo) {
    // No display either: the arguments must be judged before any window is tried.
    const k_SimProgramRun run = runSimProgram(GetParam().arguments, "env -u DISPLAY");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.out.empty()) << run.out;
    EXPECT_EQ(run.err.rfind("veltrava-sim: ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find(GetParam().messagePart), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    EXPECT_NE(run.err.find("(run 'veltrava-sim --help' for the options)"), std::string::npos)
        << run.err;
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, SimProgramRefuses,
    testing::Values(BadRun{"--scene 5", "--scene: must be 1, 2, 3 or 4"},
                    BadRun{"--scene 1 --seconds -1", "--seconds"},
                    BadRun{"--scene 1 --dt 0", "--dt"}, BadRun{"--scene 1 --dt x", "'x'"},
                    BadRun{"--scene 1 --every 3", "--every needs --frames"},
                    BadRun{"--scene 1 --bogus", "not expected: --bogus"},
                    BadRun{"--scene 1 --json", "--json: 1 required FILE missing"},
                    BadRun{"--scene 1 --trace /nonexistent-dir/trace.csv",
                           "cannot write /nonexistent-dir/trace.csv"},
                    BadRun{"--scene 1 --plot /tmp", "it is a directory"},
                    BadRun{"--scene 1 --frames /dev/null", "not a directory"}));

TEST(SimProgram, WithoutADisplayOrEglItStopsWithOneLine) {
    // No X display, and EGL finds no driver vendor: no GL context can be made at all.
    const k_SimProgramRun run = runSimProgram(
        "--scene 1 --seconds 1", "env -u DISPLAY __EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.empty());
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    EXPECT_NE(run.err.find("cannot make an OpenGL context"), std::string::npos) << run.err;
}

TEST(SimProgram, HelpGoesToStandardOutput) {
    const k_SimProgramRun run = runSimProgram("--help", "env -u DISPLAY");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.out.find("nearest-rank"), std::string::npos);
    EXPECT_TRUE(run.err.empty());
}

} // namespace
