#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <sstream>
#include <string>

#include "tools/sim/BoundReport.h"
#include "tools/sim/RunSummary.h"

namespace {

std::string written(const std::function<void(std::FILE*)>& write) {
    std::FILE* file = std::tmpfile();
    write(file);
    std::rewind(file);
    std::string text(16384, '\0');
    text.resize(std::fread(&text[0], 1, text.size(), file));
    std::fclose(file);
    return text;
}

struct TwoFrames {
    k_WorldRecording recording;
    k_BoundResult result;
    TwoFrames() {
        recording.dt = 0.5;
        recording.restDistance = 10.0;
        recording.maxSpeed = 31.0;
        recording.cameraStart = {0, 0, 40};
        k_WorldRecording::Frame seen;
        seen.target = 0;
        seen.bodies = {{1, 2, 3, 1}};
        k_WorldRecording::Frame none;
        recording.frames = {seen, none};
        result.reachableHiddenFrames = 1;
        result.unavoidableFrames = 1;
        result.hidden = {false, true};
        result.path = {{0, 0, 30}, {0.25, 0, 20}};
        result.settings.cellSize = 1.25;
    }
};

TEST(BoundReport, PathLooksAtTheTargetAndHoldsItsLookWithoutOne) {
    TwoFrames run;
    const k_BoundReport report(run.recording, run.result);
    EXPECT_EQ(written([&](std::FILE* file) { EXPECT_TRUE(report.writePath(file)); }),
              "frame,t,cam_x,cam_y,cam_z,look_x,look_y,look_z,hidden\n"
              "1,0.5,0,0,30,1,2,3,0\n"
              "2,1,0.25,0,20,1,2,3,1\n");
}

TEST(BoundReport, SummaryLinesAreDefinedInTheHelpAndTheJsonHasTheSettings) {
    TwoFrames run;
    const k_BoundReport report(run.recording, run.result);
    k_RunSummary summary(k_WorldChoice::builtInScene(2), 0.5);
    summary.setBound(&report);
    const std::string text = written([&](std::FILE* file) { summary.writeText(file); });
    const std::string definitions = k_BoundReport::definitions();
    for (const char* name : {"bound", "bound settings"}) {
        EXPECT_NE(text.find(std::string("\n") + name + "  "), std::string::npos) << text;
        EXPECT_NE(definitions.find(std::string("\n  ") + name + " "), std::string::npos) << name;
    }
    EXPECT_NE(text.find("band 5 to 30 (D 10)"), std::string::npos) << text;
    const nlohmann::ordered_json json = summary.toJson()["bound"];
    EXPECT_EQ(json["reachable_hidden_frames"], 1);
    EXPECT_EQ(json["settings"]["cell_size"], 1.25);
    EXPECT_EQ(json["settings"]["far_limit"], 30.0);
    std::istringstream lines(definitions);
    std::string line;
    while (std::getline(lines, line)) {
        EXPECT_LE(line.size(), 90u) << line;
    }
}

} // namespace
