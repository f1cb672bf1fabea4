// The messages of a planner that is another program, and the program itself through a short
// shell script in the part of each failure kind: exit, silence, something that is no command.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <thread>

#include "camera/Camera.h"
#include "planning/CommandPlanner.h"
#include "planning/InformationProvider.h"
#include "planning/PlanningTestScene.h"

namespace {

// True once `pid` has ended: no such process, or one that ended and waits to be collected
// by whoever adopted it (which can take a moment after its parent has gone).
bool processGone(long pid) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    for (;;) {
        if (::kill(static_cast<pid_t>(pid), 0) != 0) {
            return true;
        }
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        const std::size_t close = text.rfind(')');
        if (close != std::string::npos && close + 2 < text.size() && text[close + 2] == 'Z') {
            return true;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::string readAll(const std::string& path) {
    std::ifstream file(path);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Runs `script` as the planner of a two-body world for up to `steps` steps.
struct ScriptRun {
    k_TestScene scene;
    k_InformationProvider provider;
    k_Camera camera{2.0, 30.0, 5.0, 2.0};
    std::unique_ptr<k_CommandPlanner> planner;
    int stepsPlanned = 0;

    ScriptRun(const std::string& script, int steps, double timeout = 1.0) {
        scene.add(k_Vector3(0, 0, -20), 1.0f, 10);
        scene.add(k_Vector3(5, 0, -10), 2.0f);
        planner = std::make_unique<k_CommandPlanner>(
            &provider, nullptr, nullptr, script, [] { return std::string("{\"bodies\":[]}"); },
            timeout);
        planner->setCamera(&camera);
        for (int i = 0; i < steps && !planner->hasFailed(); ++i) {
            planner->plan(0.1);
            stepsPlanned += planner->hasFailed() ? 0 : 1;
        }
    }
};

// Answers every line with a command towards the origin; `tail` is run after the third answer.
std::string answering(const std::string& tail) {
    return "n=0; while read line; do n=$((n+1)); if [ $n -gt 1 ]; then "
           "echo '{\"waypoint\":[0,0,-1],\"next_waypoint\":[0,0,-2],\"goal\":[0,0,-20],"
           "\"look_target\":[0,0,-20]}'; fi; if [ $n -gt 3 ]; then " +
           tail + "; fi; done";
}

} // namespace

TEST(CommandPlannerMessages, TheStateCarriesExactValuesAndTheWorldItsLimits) {
    k_PlannerInput input;
    input.step = 7;
    input.time = 0.7;
    input.dt = 0.1;
    input.camera = k_CameraMotion(2.0, 30.0, 5.0, 2.0);
    input.camera.position = k_Vector3(0.1f, -3.3f, 1e-7f);
    input.targetIndex = 1;
    input.targetCenter = k_Vector3(1, 2, 3);
    input.targetRadius = 0.5f;
    input.bodies = {{k_Vector3(4, 5, 6), 1.5f, k_Vector3(-1, 0, 0.25f)},
                    {k_Vector3(1, 2, 3), 0.5f, k_Vector3()}};
    std::string line;
    k_CommandPlanner::stateMessage(input, line);
    EXPECT_EQ(line.find('\n'), std::string::npos);
    const nlohmann::json state = nlohmann::json::parse(line);
    EXPECT_EQ(state["type"], "state");
    EXPECT_EQ(state["version"], k_CommandPlanner::protocolVersion);
    EXPECT_EQ(state["step"], 7);
    EXPECT_EQ(state["target"]["index"], 1);
    // Floats read back to the very same floats.
    EXPECT_EQ(state["camera"]["position"][0].get<float>(), 0.1f);
    EXPECT_EQ(state["camera"]["position"][2].get<float>(), 1e-7f);
    ASSERT_EQ(state["bodies"].size(), 2u);
    EXPECT_EQ(state["bodies"][0], nlohmann::json::parse("[4,5,6,1.5,-1,0,0.25]"));

    const nlohmann::json world = nlohmann::json::parse(
        k_CommandPlanner::worldMessage("{\"bodies\":[]}", input.camera, 0.016));
    EXPECT_EQ(world["type"], "world");
    EXPECT_EQ(world["version"], k_CommandPlanner::protocolVersion);
    EXPECT_EQ(world["dt"], 0.016);
    EXPECT_EQ(world["camera"]["max_speed"], 5.0);
    EXPECT_EQ(world["camera"]["acceleration"], 2.0);
    EXPECT_TRUE(world["scene"]["bodies"].is_array());
}

TEST(CommandPlannerMessages, AnAnswerThatIsNoCommandSaysWhatIsWrong) {
    const std::string good = "\"next_waypoint\":[0,0,2],\"goal\":[0,0,3],\"look_target\":[1,1,1]";
    k_PlannerCommand command;
    std::string error;
    ASSERT_TRUE(k_CommandPlanner::readCommand("{\"waypoint\":[0,0,1]," + good + ",\"x\":1}",
                                              command, error));
    EXPECT_TRUE(exactlyEqual(command.lookTarget, k_Vector3(1, 1, 1)));

    const std::pair<std::string, std::string> cases[] = {
        {"{\"waypoint\":[0,0,1",
         "the planner answered something that is not JSON: '{\"waypoint\":[0,0,1'"},
        {"[1,2,3]", "the planner answered something that is not a JSON object: '[1,2,3]'"},
        {"{" + good + "}", "the planner's answer has no \"waypoint\""},
        {"{\"waypoint\":[0,0]," + good + "}", "the planner's \"waypoint\" is not three numbers"},
        {"{\"waypoint\":[0,\"1\",0]," + good + "}",
         "the planner's \"waypoint\" is not three numbers"},
        {"{\"waypoint\":[0,1e39,0]," + good + "}",
         "the planner's \"waypoint\" holds a number that is not finite as a float"},
    };
    for (const auto& [line, message] : cases) {
        EXPECT_FALSE(k_CommandPlanner::readCommand(line, command, error)) << line;
        EXPECT_EQ(error, message) << line;
    }
    EXPECT_TRUE(exactlyEqual(command.lookTarget, k_Vector3(1, 1, 1))); // left as it was
}

TEST(CommandPlannerProcess, APlannerThatAnswersSteersTheCameraAndIsEndedWithANewWorld) {
    ScriptRun run(answering("true"), 5);
    EXPECT_FALSE(run.planner->hasFailed()) << run.planner->getFailure();
    EXPECT_EQ(run.stepsPlanned, 5);
    EXPECT_TRUE(exactlyEqual(run.camera.getWaypoint(), k_Vector3(0, 0, -1)));
    const long group = run.planner->getProcessGroup();
    ASSERT_GT(group, 0);
    run.planner->setCamera(&run.camera);
    EXPECT_TRUE(processGone(group));
    EXPECT_EQ(run.planner->getProcessGroup(), -1);
}

TEST(CommandPlannerProcess, EachFailureKindNamesTheStepAndLeavesNoProcess) {
    char directory[] = "/tmp/command-planner-XXXXXX";
    ASSERT_NE(::mkdtemp(directory), nullptr);
    const std::string pids = std::string(directory) + "/pids";
    // Leaves a child behind in its group and notes both: the shell's and the child's pid.
    const std::string spawn = "sleep 60 & echo $$ $! > " + pids + "; ";
    const std::pair<std::string, std::string> cases[] = {
        {spawn + answering("exit 4"), "step 4: the planner exited with status 4"},
        {spawn + answering("echo '{\"waypoint\": [1,'"),
         "step 4: the planner answered something that is not JSON: '{\"waypoint\": [1,'"},
        {spawn + answering("echo '{\"waypoint\":[1,2,3]}'"),
         "step 4: the planner's answer has no \"next_waypoint\""},
        {spawn + answering("echo '{\"waypoint\":[1,2,1e39],\"next_waypoint\":[0,0,0],"
                           "\"goal\":[0,0,0],\"look_target\":[0,0,0]}'"),
         "step 4: the planner's \"waypoint\" holds a number that is not finite as a float"},
        {spawn + answering("sleep 30"), "step 4: the planner gave no answer within 0.3 s"},
    };
    for (const auto& [script, message] : cases) {
        std::remove(pids.c_str());
        const auto start = std::chrono::steady_clock::now();
        ScriptRun run(script, 10, 0.3);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        EXPECT_TRUE(run.planner->hasFailed()) << script;
        EXPECT_EQ(run.planner->getFailure(), message);
        EXPECT_EQ(run.stepsPlanned, 3) << message;
        EXPECT_EQ(run.planner->getProcessGroup(), -1);
        long shell = 0;
        long child = 0;
        std::istringstream(readAll(pids)) >> shell >> child;
        ASSERT_GT(shell, 0) << message;
        ASSERT_GT(child, 0) << message;
        EXPECT_TRUE(processGone(shell)) << message;
        EXPECT_TRUE(processGone(child)) << message;
    }
    std::remove(pids.c_str());
    ::rmdir(directory);
}

TEST(CommandPlannerProcess, AProgramThatCannotBeFoundFailsTheFirstStep) {
    ScriptRun run("exec /nonexistent/planner", 3);
    EXPECT_EQ(run.planner->getFailure(), "step 1: the planner exited with status 127");
    EXPECT_EQ(run.stepsPlanned, 0);
}
