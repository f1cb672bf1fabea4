// The simulator's run through its class, as the program runs it but without starting it: the
// outputs it writes, the world it names, and the ways it refuses or fails. Each run makes and
// destroys its own off-screen GL context, which is why these tests have a program of their own.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "scenefile/BuiltInSceneDescriptions.h"
#include "scenefile/SceneDescription.h"
#include "scenefile/SceneFileWriter.h"
#include "sim/SimProgramTestSupport.h"
#include "tools/sim/RunSummary.h"
#include "tools/sim/SimRun.h"

namespace {

class SimRunTest : public testing::Test {
protected:
    void SetUp() override {
        directory = testing::TempDir() + "sim_run_" + std::to_string(getpid()) + "/";
        std::filesystem::remove_all(directory);
        std::filesystem::create_directories(directory);
        options.headless = true;
        options.dt = 0.1;
        options.seconds = 0.5;
        options.frames = 5;
    }
    void TearDown() override { std::filesystem::remove_all(directory); }

    void askForEveryFile() {
        options.tracePath = directory + "trace.csv";
        options.jsonPath = directory + "summary.json";
        options.plotPath = directory + "plot.svg";
    }

    /// Runs `world` with the options; the summary's text goes to `text`, standard error's
    /// lines to `messages`.
    int run(const k_WorldChoice& world) {
        k_SimRun simRun(options, world);
        std::FILE* summaryFile = std::tmpfile();
        simRun.setSummaryOutput(summaryFile);
        testing::internal::CaptureStderr();
        const int status = simRun.run();
        messages = testing::internal::GetCapturedStderr();
        std::rewind(summaryFile);
        text.clear();
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, summaryFile)) > 0;) {
            text.append(buffer, n);
        }
        std::fclose(summaryFile);
        framesRun = simRun.getSummary() != nullptr ? simRun.getSummary()->getFrames() : -1;
        return status;
    }

    std::string directory;
    k_SimOptions options;
    std::string text;
    std::string messages;
    long framesRun = -1;
};

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

/// The trace without its columns of measured time, which differ from run to run.
std::string traceWithoutTimes(const std::string& trace) {
    std::vector<bool> keep;
    std::string result;
    for (const std::string& line : linesOf(trace)) {
        std::istringstream cells(line);
        std::size_t column = 0;
        for (std::string cell; std::getline(cells, cell, ','); ++column) {
            if (keep.size() <= column) {
                const bool timed =
                    cell.size() > 3 && (cell.compare(cell.size() - 3, 3, "_us") == 0 ||
                                        cell.compare(cell.size() - 3, 3, "_ns") == 0);
                keep.push_back(!timed);
            }
            if (keep[column]) {
                result += cell + ",";
            }
        }
        result += "\n";
    }
    return result;
}

TEST_F(SimRunTest, ABuiltInSceneRunReachesEveryOutput) {
    askForEveryFile();
    ASSERT_EQ(run(k_WorldChoice::builtInScene(1)), 0) << messages;
    EXPECT_EQ(messages, "");
    EXPECT_EQ(framesRun, 5);
    EXPECT_EQ(text.rfind("scene 1: 5 frames of 0.1 s (0.5 s of scene time)\n", 0), 0u) << text;
    EXPECT_EQ(linesOf(readWholeFile(options.tracePath)).size(), 6u);
    const nlohmann::json json = nlohmann::json::parse(readWholeFile(options.jsonPath));
    EXPECT_EQ(json["scene"], 1);
    EXPECT_EQ(json["frames"], 5);
    EXPECT_FALSE(json.contains("scene_file"));
    EXPECT_NE(readWholeFile(options.plotPath).find(">Scene 1: camera and target, 5 frames"),
              std::string::npos);
}

TEST_F(SimRunTest, ASceneFileIsNamedEverywhereAndRunsAsItsBuiltInScene) {
    askForEveryFile();
    options.passes = 2;
    ASSERT_EQ(run(k_WorldChoice::builtInScene(2)), 0) << messages;
    const std::string builtInTrace = readWholeFile(options.tracePath);
    // The last pass alone feeds the outputs.
    EXPECT_EQ(framesRun, 5);
    EXPECT_NE(text.find("\ntimes              per frame the shortest of 2 passes\n"),
              std::string::npos)
        << text;

    ASSERT_EQ(run(k_WorldChoice::sceneFile("worlds/two.json", describeBuiltInScene(2, 0))), 0)
        << messages;
    EXPECT_EQ(text.rfind("worlds/two.json: 5 frames", 0), 0u) << text;
    const nlohmann::json json = nlohmann::json::parse(readWholeFile(options.jsonPath));
    EXPECT_EQ(json["scene"], 0);
    EXPECT_EQ(json["scene_file"], "worlds/two.json");
    EXPECT_NE(readWholeFile(options.plotPath).find(">worlds/two.json: camera and target"),
              std::string::npos);
    EXPECT_EQ(traceWithoutTimes(readWholeFile(options.tracePath)), traceWithoutTimes(builtInTrace));
}

TEST_F(SimRunTest, AnOutputItCannotWriteIsRefusedBeforeAnyFrame) {
    options.jsonPath = directory + "summary.json";
    options.tracePath = directory + "missing/trace.csv";
    EXPECT_EQ(run(k_WorldChoice::builtInScene(1)), 2);
    EXPECT_EQ(framesRun, -1);
    EXPECT_EQ(text, "");
    EXPECT_EQ(messages.rfind("veltrava-sim: cannot write " + options.tracePath + ": ", 0), 0u)
        << messages;
    EXPECT_EQ(linesOf(messages).size(), 1u);

    options.tracePath.clear();
    std::FILE* file = std::fopen((directory + "pictures").c_str(), "w");
    std::fclose(file);
    options.framesDirectory = directory + "pictures";
    options.captureEvery = 1;
    EXPECT_EQ(run(k_WorldChoice::builtInScene(1)), 2);
    EXPECT_NE(messages.find("it is not a directory"), std::string::npos) << messages;
    EXPECT_EQ(framesRun, -1);
}

TEST_F(SimRunTest, APictureThatCannotBeWrittenFailsTheRun) {
    options.framesDirectory = directory + "pictures";
    options.captureEvery = 2;
    // A directory where the second frame's picture should go.
    std::filesystem::create_directories(directory + "pictures/frame_000002.png");
    EXPECT_EQ(run(k_WorldChoice::builtInScene(1)), k_SimRun::exitFailure);
    EXPECT_EQ(linesOf(messages).size(), 1u) << messages;
    EXPECT_NE(messages.find("frame_000002.png"), std::string::npos) << messages;
    EXPECT_EQ(text, "");
}

TEST_F(SimRunTest, TheProgramRefusesABrokenSceneFileAndExportsWhatItReadsBack) {
    const std::string broken = directory + "broken.json";
    std::FILE* file = std::fopen(broken.c_str(), "w");
    std::fputs("{\"format\":\"veltrava-scene\"", file);
    std::fclose(file);
    options.sceneFile = broken;
    testing::internal::CaptureStderr();
    EXPECT_EQ(k_SimRun::runProgram(options), 2);
    const std::string refusal = testing::internal::GetCapturedStderr();
    EXPECT_EQ(refusal.rfind("veltrava-sim: " + broken + ":", 0), 0u) << refusal;
    EXPECT_EQ(linesOf(refusal).size(), 1u) << refusal;
    EXPECT_EQ(refusal.find("--help"), std::string::npos) << refusal;

    options.sceneFile.clear();
    options.scene = 4;
    options.swarm = 7;
    options.exportPath = directory + "exported.json";
    EXPECT_EQ(k_SimRun::runProgram(options), 0);
    k_WorldChoice world;
    std::string error;
    ASSERT_TRUE(k_WorldChoice::readSceneFile(options.exportPath, world, error)) << error;
    EXPECT_TRUE(world.isSceneFile());
    EXPECT_EQ(k_SceneFileWriter::write(world.describe()),
              k_SceneFileWriter::write(k_WorldChoice::builtInScene(4, 7).describe()));
}

} // namespace
