// veltrava-sim with scene files, as a user runs it: the committed exports of the built-in
// scenes give the built-in scenes' traces, every example world runs, a refused file costs
// one line and exit status 2 and leaves no output behind.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "sim/SimProgramTestSupport.h"

namespace {

const std::string examples = std::string(VELTRAVA_SOURCE_DIR) + "/examples/";

std::string scratch(const std::string& name) {
    return "/tmp/veltrava_scenefile_gltest_" + std::to_string(getpid()) + "_" + name;
}

// The trace's rows without the column named plan_us, the only one that differs between runs.
std::vector<std::string> rowsWithoutPlanTime(const std::string& text) {
    std::vector<std::string> rows;
    std::istringstream stream(text);
    std::string line;
    int planColumn = -1;
    while (std::getline(stream, line)) {
        std::vector<std::string> cells;
        std::istringstream fields(line);
        std::string cell;
        while (std::getline(fields, cell, ',')) {
            cells.push_back(cell);
        }
        if (planColumn < 0) {
            for (std::size_t i = 0; i < cells.size(); ++i) {
                planColumn = cells[i] == "plan_us" ? static_cast<int>(i) : planColumn;
            }
        }
        std::string row;
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (static_cast<int>(i) != planColumn) {
                row += cells[i] + ",";
            }
        }
        rows.push_back(row);
    }
    return rows;
}

std::vector<std::string> trace(const std::string& world, const char* dt) {
    const std::string path = scratch("trace.csv");
    const k_SimProgramRun run =
        runSimProgram(world + " --seconds 90 --dt " + dt + " --trace " + path);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    std::vector<std::string> rows = rowsWithoutPlanTime(readWholeFile(path));
    std::remove(path.c_str());
    return rows;
}

class ExportedScene : public testing::TestWithParam<int> {};

} // namespace

TEST_P(ExportedScene, GivesTheBuiltInScenesTraceOverNinetySeconds) {
    const std::string number = std::to_string(GetParam());
    for (const char* dt : {"0.016", "0.033"}) {
        const std::vector<std::string> builtIn = trace("--scene " + number, dt);
        const std::vector<std::string> fromFile =
            trace("--scene-file " + examples + "scene" + number + ".json", dt);
        ASSERT_GT(builtIn.size(), 2000u);
        ASSERT_EQ(fromFile.size(), builtIn.size());
        for (std::size_t i = 0; i < builtIn.size(); ++i) {
            ASSERT_EQ(fromFile[i], builtIn[i]) << "dt " << dt << " row " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(BuiltInScenes, ExportedScene, testing::Values(1, 2, 3, 4), sceneName);

TEST(SceneFileProgram, ExportWritesTheFileAndRunsNothing) {
    const std::string path = scratch("export.json");
    const k_SimProgramRun run = runSimProgram("--scene 4 --export-scene " + path);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(readWholeFile(path), readWholeFile(examples + "scene4.json"));
    std::remove(path.c_str());
}

TEST(SceneFileProgram, EveryExampleWorldRuns) {
    int worlds = 0;
    for (const auto& entry : std::filesystem::directory_iterator(examples)) {
        // Worlds only: the planners beside them have a folder of their own.
        if (entry.path().extension() != ".json") {
            continue;
        }
        const std::string path = entry.path().string();
        const k_SimProgramRun run = runSimProgram("--scene-file " + path + " --seconds 3");
        EXPECT_EQ(run.exitCode, 0) << path << ": " << run.err;
        EXPECT_EQ(run.out.rfind(path + ": 188 frames", 0), 0u) << run.out;
        ++worlds;
    }
    EXPECT_GE(worlds, 7);
}

TEST(SceneFileProgram, ARefusedFileGivesOneLineStatusTwoAndNoOutputs) {
    const std::string world = scratch("broken.json");
    const std::string tracePath = scratch("never.csv");
    {
        std::FILE* file = std::fopen(world.c_str(), "w");
        ASSERT_NE(file, nullptr);
        std::fputs(
            "{\"format\": \"veltrava-scene\", \"version\": 1,\n \"camera\": {\"acceleration\": "
            "1, \"lookAcceleration\": 1, \"maxSpeed\": 1, \"stopDistance\": 1, "
            "\"position\": [0, 0, 9], \"lookAt\": [0, 0, 0]},\n \"bodies\": [{\"radius\": "
            "-2}]}\n",
            file);
        std::fclose(file);
    }
    const k_SimProgramRun run = runSimProgram("--scene-file " + world + " --trace " + tracePath);
    std::remove(world.c_str());
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, "veltrava-sim: " + world +
                           ": /bodies/0/radius: must be a positive number up to 100000, not -2\n");
    EXPECT_FALSE(std::filesystem::exists(tracePath));

    // The options that go with scene files.
    const std::pair<std::string, std::string> lines[] = {
        {"--scene 1 --scene-file x.json", "--scene excludes --scene-file"},
        {"--seconds 2", "--scene N or --scene-file FILE is required"},
        {"--scene-file x.json --export-scene y.json", "--export-scene writes a built-in scene"},
        {"--scene-file x.json --swarm 10", "a scene file states its own bodies"},
    };
    for (const auto& [arguments, message] : lines) {
        const k_SimProgramRun refused = runSimProgram(arguments);
        EXPECT_EQ(refused.exitCode, 2) << arguments;
        EXPECT_NE(refused.err.find(message), std::string::npos) << refused.err;
    }
}
