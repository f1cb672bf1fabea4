// veltrava-sim with a planner that is another program: a fake planner (a short shell script)
// for each way a planner fails, each run checked for its exit status, its one message, whole
// outputs of the frames run and no process of the planner's left behind.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "sim/SimProgramTestSupport.h"

namespace {

std::string scratch(const std::string& name) {
    return "/tmp/veltrava_planner_gltest_" + std::to_string(getpid()) + "_" + name;
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

// True once `pid` has ended (gone, or a zombie left for its adopter to collect).
bool processGone(long pid) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    for (;;) {
        if (::kill(static_cast<pid_t>(pid), 0) != 0) {
            return true;
        }
        const std::string stat = readWholeFile("/proc/" + std::to_string(pid) + "/stat");
        const std::size_t close = stat.rfind(')');
        if (close != std::string::npos && close + 2 < stat.size() && stat[close + 2] == 'Z') {
            return true;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// A planner script that notes its shell's and a background child's pids in `pids`, then
// answers each state with a command; after the answer to step `lastGood` it runs `tail`.
std::string fakePlanner(const std::string& pids, int lastGood, const std::string& tail) {
    const std::string script =
        "sleep 60 & echo $$ $! > " + pids +
        "; read world; n=0; while read state; do n=$((n+1)); "
        "echo '{\"waypoint\":[0,5,30],\"next_waypoint\":[0,5,31],\"goal\":[0,5,40],"
        "\"look_target\":[0,0,0]}'; if [ $n -ge " +
        std::to_string(lastGood) + " ]; then " + tail + "; fi; done";
    // Quoted for the test's own shell: the script holds no single quote of its own but
    // those around the command, which are closed and reopened.
    std::string quoted;
    for (char c : script) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return "'" + quoted + "'";
}

struct FailureKind {
    const char* name;
    const char* tail;
    const char* message;
};

class PlannerCommandFailure : public testing::TestWithParam<FailureKind> {};

} // namespace

TEST_P(PlannerCommandFailure, EndsTheRunWithStatusThreeEveryOutputWholeAndNoProcessLeft) {
    const std::string pids = scratch("pids");
    const std::string trace = scratch("trace.csv");
    const std::string json = scratch("run.json");
    const std::string plot = scratch("plot.svg");
    std::remove(pids.c_str());
    const k_SimProgramRun run = runSimProgram(
        "--scene 2 --seconds 5 --planner-timeout 0.5 --trace " + trace + " --json " + json +
        " --plot " + plot + " --planner-command " + fakePlanner(pids, 40, GetParam().tail));
    EXPECT_EQ(run.exitCode, 3) << run.err;
    // One line, naming the step after the 40 answered.
    EXPECT_EQ(run.err,
              "veltrava-sim: planner failed at step 41: " + std::string(GetParam().message) + "\n");

    const std::vector<std::string> rows = lines(readWholeFile(trace));
    ASSERT_EQ(rows.size(), 41u);
    const auto columns = [](const std::string& line) {
        return std::count(line.begin(), line.end(), ',');
    };
    for (const std::string& row : rows) {
        ASSERT_EQ(columns(row), columns(rows.front())) << row;
    }
    EXPECT_EQ(rows.back().rfind("40,", 0), 0u) << rows.back();
    const nlohmann::json summary = nlohmann::json::parse(readWholeFile(json));
    EXPECT_EQ(summary["ended"], "planner failed");
    EXPECT_EQ(summary["frames"], 40);
    EXPECT_EQ(summary["frames_asked"], 313);
    EXPECT_EQ(summary["planner"], "command");
    EXPECT_NE(run.out.find("planner failed     after 40 of 313 frames (step 41: "),
              std::string::npos)
        << run.out;
    const std::string svg = readWholeFile(plot);
    EXPECT_NE(svg.find("</svg>"), std::string::npos);

    long shell = 0;
    long child = 0;
    std::istringstream(readWholeFile(pids)) >> shell >> child;
    ASSERT_GT(shell, 0);
    ASSERT_GT(child, 0);
    EXPECT_TRUE(processGone(shell));
    EXPECT_TRUE(processGone(child));
    for (const std::string& path : {pids, trace, json, plot}) {
        std::remove(path.c_str());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, PlannerCommandFailure,
    testing::Values(
        FailureKind{"exits", "exit 5", "the planner exited with status 5"},
        FailureKind{"malformed", "echo '{\"waypoint\":'",
                    "the planner answered something that is not JSON: '{\"waypoint\":'"},
        FailureKind{"missing", "echo '{\"waypoint\":[1,2,3],\"goal\":[1,2,3]}'",
                    "the planner's answer has no \"next_waypoint\""},
        FailureKind{"nonFinite",
                    "echo '{\"waypoint\":[1,2,3],\"next_waypoint\":[1,2,3],\"goal\":[1,2,3e39],"
                    "\"look_target\":[0,0,0]}'",
                    "the planner's \"goal\" holds a number that is not finite as a float"},
        FailureKind{"silent", "sleep 30", "the planner gave no answer within 0.5 s"}),
    [](const testing::TestParamInfo<FailureKind>& info) { return info.param.name; });

TEST(PlannerCommandProgram, APlannerThatAnswersRunsToTheEndAndIsEndedAfterIt) {
    const std::string pids = scratch("good.pids");
    const std::string json = scratch("good.json");
    const k_SimProgramRun run =
        runSimProgram("--scene 1 --seconds 2 --json " + json + " --planner-command " +
                      fakePlanner(pids, 1000000, "true"));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const nlohmann::json summary = nlohmann::json::parse(readWholeFile(json));
    EXPECT_EQ(summary["ended"], "completed");
    EXPECT_EQ(summary["frames"], 125);
    long shell = 0;
    long child = 0;
    std::istringstream(readWholeFile(pids)) >> shell >> child;
    EXPECT_TRUE(processGone(shell));
    EXPECT_TRUE(processGone(child));
    std::remove(pids.c_str());
    std::remove(json.c_str());
}

TEST(PlannerCommandProgram, AnInterruptedRunLeavesNoProcessOfThePlanner) {
    const std::string pids = scratch("stopped.pids");
    std::remove(pids.c_str());
    const std::string command = "exec '" VELTRAVA_SIM_PROGRAM
                                "' --scene 1 --seconds 100000 --dt 0.1 --planner-command " +
                                fakePlanner(pids, 1000000, "sleep 0.01") + " >/dev/null";
    const pid_t sim = fork();
    ASSERT_GE(sim, 0);
    if (sim == 0) {
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    for (int tries = 0; tries < 200 && readWholeFile(pids).empty(); ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_EQ(kill(sim, SIGTERM), 0);
    int status = 0;
    ASSERT_EQ(waitpid(sim, &status, 0), sim);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 128 + SIGTERM);
    long shell = 0;
    long child = 0;
    std::istringstream(readWholeFile(pids)) >> shell >> child;
    ASSERT_GT(shell, 0);
    EXPECT_TRUE(processGone(shell));
    EXPECT_TRUE(processGone(child));
    std::remove(pids.c_str());
}
