// The built program on the real scenes: determinism of the trace, the outputs it promises.
// Runs in the data folder on the test X server.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <ostream>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "sim/SimProgramTestSupport.h"

namespace {

std::string scratch(const std::string& name) {
    return "/tmp/veltrava_sim_gltest_" + std::to_string(getpid()) + "_" + name;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream stream(text);
    std::string line;
    while (std::getline(stream, line)) {
        result.push_back(line);
    }
    return result;
}

// Drops plan_us, the 21st column, which the trailing budget_hit follows.
std::string withoutPlanTime(std::string line) {
    std::size_t start = 0;
    for (int column = 1; column < 21 && start != std::string::npos; ++column) {
        start = line.find(',', start) + 1;
    }
    return line.erase(start, line.find(',', start) - start);
}

class SimProgramScene : public testing::TestWithParam<int> {};

TEST_P(SimProgramScene, TwoRunsGiveTheSameTraceButForPlanningTime) {
    const std::string scene = std::to_string(GetParam());
    std::vector<std::string> traces;
    for (const char* name : {"a.csv", "b.csv"}) {
        const std::string path = scratch(scene + name);
        const k_SimProgramRun run =
            runSimProgram("--scene " + scene + " --seconds 2 --trace " + path);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_NE(run.out.find("scene " + scene + ": 125 frames"), std::string::npos) << run.out;
        traces.push_back(readWholeFile(path));
        std::remove(path.c_str());
    }
    const std::vector<std::string> first = lines(traces[0]);
    const std::vector<std::string> second = lines(traces[1]);
    ASSERT_EQ(first.size(), 126u);
    ASSERT_EQ(second.size(), 126u);
    EXPECT_EQ(first[0],
              "frame,t,target,cam_x,cam_y,cam_z,look_x,look_y,look_z,up_x,up_y,up_z,"
              "vel_x,vel_y,vel_z,look_speed,relocations,find_path_calls,segment_tests,"
              "sphere_tests,plan_us,budget_hit,visible_share,hidden,engulfed,inside,turn_deg_s");
    for (std::size_t i = 1; i < first.size(); ++i) {
        ASSERT_EQ(withoutPlanTime(first[i]), withoutPlanTime(second[i])) << "frame " << i;
    }
    // Every built-in scene has a target from its first frame on.
    EXPECT_EQ(first[1].rfind("1,0.016,0,", 0), 0u) << first[1];
}

TEST_P(SimProgramScene, DefaultSearchBudgetChangesNothingOverNinetySeconds) {
    // The default bound against none, at a coarse and a fine time step: no step reaches it,
    // so the traces agree in every column but the time.
    const std::string scene = std::to_string(GetParam());
    for (const char* dt : {"0.1", "0.033"}) {
        std::vector<std::string> traces;
        for (const char* budget : {"", " --search-budget 0"}) {
            const std::string path = scratch("budget.csv");
            const k_SimProgramRun run = runSimProgram("--scene " + scene + " --seconds 90 --dt " +
                                                      dt + budget + " --trace " + path);
            ASSERT_EQ(run.exitCode, 0) << run.err;
            EXPECT_NE(run.out.find("budget hits        none of"), std::string::npos) << run.out;
            traces.push_back(readWholeFile(path));
            std::remove(path.c_str());
        }
        const std::vector<std::string> bounded = lines(traces[0]);
        const std::vector<std::string> unbounded = lines(traces[1]);
        ASSERT_EQ(bounded.size(), unbounded.size());
        for (std::size_t i = 1; i < bounded.size(); ++i) {
            ASSERT_EQ(withoutPlanTime(bounded[i]), withoutPlanTime(unbounded[i]))
                << "dt " << dt << " frame " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(BuiltInScenes, SimProgramScene, testing::Values(1, 2, 3, 4), sceneName);

TEST(SimProgram, WritesSummaryPlotAndEveryKthFrame) {
    const std::string json = scratch("summary.json");
    const std::string plot = scratch("plot.svg");
    const std::string frames = scratch("frames");
    const k_SimProgramRun run =
        runSimProgram("--scene 4 --seconds 0.2 --dt 0.02 --json " + json + " --plot " + plot +
                      " --frames " + frames + " --every 4");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(nlohmann::json::parse(readWholeFile(json))["frames"], 10);
    EXPECT_NE(readWholeFile(plot).find("</svg>"), std::string::npos);
    // Frames 4 and 8 of 10; a PNG signature, and something besides black was drawn
    // (the file of an all-black 800x600 picture is far smaller).
    for (const char* name : {"/frame_000004.png", "/frame_000008.png"}) {
        const std::string png = readWholeFile(frames + name);
        ASSERT_GT(png.size(), 8u) << name;
        EXPECT_EQ(png.substr(1, 3), "PNG");
        EXPECT_GT(png.size(), 20000u) << name;
    }
    EXPECT_TRUE(readWholeFile(frames + "/frame_000001.png").empty());
    std::system(("rm -rf '" + frames + "' '" + json + "' '" + plot + "'").c_str());
}

// Without DISPLAY the sim draws off-screen (EGL): the same trace as in an X window, and real
// pictures. The X side runs only when the test has a display.
TEST(SimProgram, HeadlessRunGivesTheXRunsTraceAndPictures) {
    const std::string headlessTrace = scratch("headless.csv");
    const std::string frames = scratch("headless_frames");
    const k_SimProgramRun headless = runSimProgram(
        "--scene 2 --seconds 2 --trace " + headlessTrace + " --frames " + frames + " --every 60",
        "env -u DISPLAY");
    ASSERT_EQ(headless.exitCode, 0) << headless.err;
    for (const char* name : {"/frame_000060.png", "/frame_000120.png"}) {
        EXPECT_GT(readWholeFile(frames + name).size(), 20000u) << name << " is (nearly) black";
    }
    const std::vector<std::string> withoutX = lines(readWholeFile(headlessTrace));
    std::system(("rm -rf '" + frames + "' '" + headlessTrace + "'").c_str());
    ASSERT_EQ(withoutX.size(), 126u);
    if (std::getenv("DISPLAY") == nullptr) {
        GTEST_SKIP() << "no X display to compare with";
    }
    const std::string xTrace = scratch("x.csv");
    const k_SimProgramRun x = runSimProgram("--scene 2 --seconds 2 --trace " + xTrace);
    ASSERT_EQ(x.exitCode, 0) << x.err;
    const std::vector<std::string> withX = lines(readWholeFile(xTrace));
    std::remove(xTrace.c_str());
    ASSERT_EQ(withX.size(), withoutX.size());
    for (std::size_t i = 0; i < withX.size(); ++i) {
        ASSERT_EQ(withoutPlanTime(withoutX[i]), withoutPlanTime(withX[i])) << "line " << i;
    }
}

// A FIFO in place of a data file must not hold the run waiting for a writer. The other data
// files are missing there, which the run survives as well.
TEST(SimProgram, RefusesDataFilesThatAreFifosAndRuns) {
    const std::string folder = scratch("fifo");
    const int made = std::system(("rm -rf '" + folder + "' && mkdir '" + folder + "' && mkfifo '" +
                                  folder + "/skydome1.jpg' '" + folder + "/phong.frag'")
                                     .c_str());
    ASSERT_EQ(made, 0) << "could not make the FIFOs in " << folder;
    const k_SimProgramRun run =
        runSimProgram("--scene 4 --seconds 0.05", "cd '" + folder + "' && timeout 120");
    std::system(("rm -rf '" + folder + "'").c_str());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("can't open skydome1.jpg: not a regular file (a FIFO)\n"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("can't open phong.frag: not a regular file (a FIFO)\n"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.out.find("scene 4: 3 frames"), std::string::npos) << run.out;
}

} // namespace

namespace {

struct Interruption {
    int signal;
    const char* name;
    int exitCode;
};

void PrintTo(const Interruption& interruption, std::ostream* out) {
    *out << interruption.name << ", exit code " << interruption.exitCode;
}

class SimProgramInterrupted : public testing::TestWithParam<Interruption> {};

// Starts the program on a run far too long to finish, headless, output to files.
pid_t startLongRun(const std::string& trace, const std::string& json, const std::string& out,
                   const std::string& err) {
    const pid_t child = fork();
    if (child == 0) {
        if (std::freopen(out.c_str(), "w", stdout) == nullptr ||
            std::freopen(err.c_str(), "w", stderr) == nullptr) {
            _exit(126);
        }
        execl(VELTRAVA_SIM_PROGRAM, VELTRAVA_SIM_PROGRAM, "--scene", "1", "--seconds", "1000",
              "--dt", "0.001", "--headless", "--trace", trace.c_str(), "--json", json.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    return child;
}

// The child's wait status, or -1 when it is still running after `seconds`.
int waitFor(pid_t child, double seconds) {
    for (int tries = 0; tries < seconds * 20; ++tries) {
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) {
            return status;
        }
        usleep(50000);
    }
    return -1;
}

} // namespace

TEST_P(SimProgramInterrupted, EndsAfterAFrameWithEveryOutputWholeAndMarked) {
    const std::string trace = scratch("stopped.csv");
    const std::string json = scratch("stopped.json");
    const std::string out = scratch("stopped.out");
    const std::string err = scratch("stopped.err");
    const pid_t child = startLongRun(trace, json, out, err);
    ASSERT_GT(child, 0);
    // The trace grows a buffer at a time: rows are there once it has some size.
    for (int tries = 0; tries < 1200 && readWholeFile(trace).size() < 65536; ++tries) {
        usleep(50000);
    }
    ASSERT_EQ(kill(child, GetParam().signal), 0);
    int status = waitFor(child, 60.0);
    if (status == -1) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        FAIL() << "still running 60 s after " << GetParam().name;
    }
    ASSERT_TRUE(WIFEXITED(status)) << "ended by a signal: " << status;
    EXPECT_EQ(WEXITSTATUS(status), GetParam().exitCode);

    // Every row whole: as many columns as the header, the last one ended.
    const std::string traceText = readWholeFile(trace);
    ASSERT_FALSE(traceText.empty());
    EXPECT_EQ(traceText.back(), '\n');
    const std::vector<std::string> rows = lines(traceText);
    const auto columns = [](const std::string& line) {
        return std::count(line.begin(), line.end(), ',');
    };
    for (const std::string& row : rows) {
        ASSERT_EQ(columns(row), columns(rows.front())) << row;
    }
    // The summary is of exactly the frames in the trace, and says it was cut short.
    const nlohmann::json summary = nlohmann::json::parse(readWholeFile(json));
    const long frames = static_cast<long>(rows.size()) - 1;
    EXPECT_EQ(summary["frames"], frames);
    EXPECT_GT(frames, 100);
    EXPECT_EQ(summary["interrupted"], true);
    EXPECT_EQ(summary["signal"], GetParam().name);
    EXPECT_EQ(summary["frames_asked"], 1000000);
    EXPECT_EQ(rows.back().rfind(std::to_string(frames) + ",", 0), 0u) << rows.back();
    const std::string text = readWholeFile(out);
    EXPECT_NE(text.find("\ninterrupted        by " + std::string(GetParam().name) + " after " +
                        std::to_string(frames) + " of 1000000 frames"),
              std::string::npos)
        << text;
    // Standard error is no terminal: no progress line (a sanitized build's leak checker may
    // still report its suppressions there).
    const std::string errors = readWholeFile(err);
    EXPECT_EQ(errors.find('\r'), std::string::npos) << errors;
    EXPECT_EQ(errors.find(" % ("), std::string::npos) << errors;
    for (const std::string& path : {trace, json, out, err}) {
        std::remove(path.c_str());
    }
}

INSTANTIATE_TEST_SUITE_P(BySignal, SimProgramInterrupted,
                         testing::Values(Interruption{SIGINT, "SIGINT", 130},
                                         Interruption{SIGTERM, "SIGTERM", 143}),
                         [](const testing::TestParamInfo<Interruption>& info) {
                             return std::string(info.param.name);
                         });
