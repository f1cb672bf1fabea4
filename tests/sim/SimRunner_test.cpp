#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "camera/Camera.h"
#include "planning/InformationProvider.h"
#include "planning/MotionPlanner.h"
#include "planning/PlanningTestScene.h"
#include "platform/Random.h"
#include "tools/sim/RunSummary.h"
#include "tools/sim/SimRunner.h"
#include "tools/sim/TraceWriter.h"

namespace {

// The reference search re-enters findPath through the virtual slot and reads each body's
// radius once per sphere test, so both can be counted here without the provider's own
// counters: findPath calls directly, sphere tests as the radius reads of the obstacles
// minus those made by the point queries.
class k_CountingProvider : public k_InformationProvider {
public:
    explicit k_CountingProvider(const std::vector<k_TestBody*>& obstacleBodies)
        : obstacles(obstacleBodies) {
        setStrategy(k_SearchStrategy::reference);
    }

    bool findPath(const k_Vector3& start, const k_Vector3& goal, const k_Artifact* ignored,
                  std::vector<k_Vector3>& waypoints, int depth) override {
        ++findPathCalls;
        return k_InformationProvider::findPath(start, goal, ignored, waypoints, depth);
    }
    bool isInsideArtifact(const k_Vector3& point, const k_Artifact* ignored,
                          double margin) const override {
        const long before = obstacleRadiusReads();
        const bool inside = k_InformationProvider::isInsideArtifact(point, ignored, margin);
        pointQueryReads += obstacleRadiusReads() - before;
        return inside;
    }
    long obstacleRadiusReads() const {
        long reads = 0;
        for (const k_TestBody* body : obstacles) {
            reads += body->radiusQueries;
        }
        return reads;
    }
    long sphereTests() const { return obstacleRadiusReads() - pointQueryReads; }

    std::vector<k_TestBody*> obstacles;
    mutable long findPathCalls = 0;
    mutable long pointQueryReads = 0;
};

class k_CountingCamera : public k_Camera {
public:
    k_CountingCamera() : k_Camera(40.0, 5.0, 20.0, 3.0) {}
    void reset(k_Vector3 eye, k_Vector3 lookAtPoint) override {
        ++resets;
        k_Camera::reset(eye, lookAtPoint);
    }
    long resets = 0;
};

struct Expected {
    long relocations, findPathCalls, sphereTests;
};

// Two obstacles, then the target (registry index 2). The first obstacle sits on the line
// from the camera's start to the target and drifts sideways, so the searches vary.
struct HandMadeRun {
    k_TestScene scene;
    k_TestBody* wall;
    k_TestBody* side;
    k_TestBody* target;
    k_CountingCamera camera;

    explicit HandMadeRun(const k_Vector3& cameraStart) {
        wall = scene.add(k_Vector3(0, 0, -10), 2.0f);
        side = scene.add(k_Vector3(6, 0, -12), 1.0f);
        target = scene.add(k_Vector3(0, 0, -20), 1.0f, 10);
        camera.setPosition(cameraStart);
        camera.setLookAt(k_Vector3(0, 0, -20));
    }

    // Runs `frames` frames and returns the trace; `expected` gets the independent counts.
    std::string run(long frames, std::vector<Expected>* expected = nullptr,
                    k_RunSummary* summaryOut = nullptr, std::function<bool()> stopCheck = nullptr) {
        randomSeed(7);
        k_CountingProvider provider({wall, side});
        k_MotionPlanner planner(&provider, &camera, nullptr);
        k_SimRunner runner(
            [&](double dt) {
                wall->setTranslation(wall->getTranslation() + k_Vector3(0.05f, 0, 0));
                const long calls = provider.findPathCalls;
                const long spheres = provider.sphereTests();
                const long resets = camera.resets;
                planner.plan(dt);
                if (expected != nullptr) {
                    expected->push_back({camera.resets - resets, provider.findPathCalls - calls,
                                         provider.sphereTests() - spheres});
                }
            },
            &planner);
        std::FILE* file = std::tmpfile();
        k_TraceWriter trace(file);
        runner.setTrace(&trace);
        runner.setStopCheck(stopCheck);
        long framesDone = 0;
        runner.setFrameDone([&framesDone](long frame) { framesDone = frame; });
        k_RunSummary summary(k_WorldChoice(), 0.016);
        std::string error;
        EXPECT_TRUE(runner.run(frames, 0.016, summary, error)) << error;
        EXPECT_EQ(framesDone, summary.getFrames());
        EXPECT_EQ(runner.wasStopped(), framesDone < frames);
        if (summaryOut != nullptr) {
            *summaryOut = summary;
        }
        std::rewind(file);
        std::string text;
        char buffer[4096];
        std::size_t count;
        while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
            text.append(buffer, count);
        }
        std::fclose(file);
        return text;
    }
};

std::vector<std::vector<std::string>> parseCsv(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<std::string> cells;
        std::istringstream fields(line);
        std::string cell;
        while (std::getline(fields, cell, ',')) {
            cells.push_back(cell);
        }
        rows.push_back(cells);
    }
    return rows;
}

// Every line without plan_us, the 21st column (budget_hit follows it).
std::string withoutPlanTime(const std::string& text) {
    std::string result;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::size_t start = 0;
        for (int column = 1; column < 21; ++column) {
            start = line.find(',', start) + 1;
        }
        result += line.erase(start, line.find(',', start) - start) + "\n";
    }
    return result;
}

TEST(SimRunner, TraceHasTheColumnsAndOneRowPerFrameAfterItsUpdate) {
    HandMadeRun run(k_Vector3(0, 0, 0));
    const auto rows = parseCsv(run.run(4));
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0].size(), 27u);
    EXPECT_EQ(rows[0].front(), "frame");
    EXPECT_EQ(rows[0][2], "target");
    EXPECT_EQ(rows[0][20], "plan_us");
    EXPECT_EQ(rows[0][21], "budget_hit");
    EXPECT_EQ(rows[0][22], "visible_share");
    EXPECT_EQ(rows[0].back(), "turn_deg_s");
    for (std::size_t i = 1; i < rows.size(); ++i) {
        ASSERT_EQ(rows[i].size(), 27u);
        EXPECT_EQ(rows[i][21], "0");
        EXPECT_EQ(std::stol(rows[i][0]), static_cast<long>(i));
        EXPECT_DOUBLE_EQ(std::stod(rows[i][1]), static_cast<double>(i) * 0.016);
        EXPECT_EQ(rows[i][2], "2");
    }
    // The wall stands between the camera and the target: nothing of it is seen at first.
    EXPECT_EQ(rows[1][22], "0");
    EXPECT_EQ(rows[1][23], "1");
    // The last row is the camera as the fourth update left it, exactly ("%.9g").
    const k_Vector3 eye = run.camera.getPosition();
    EXPECT_EQ(std::stof(rows[4][3]), eye.x);
    EXPECT_EQ(std::stof(rows[4][5]), eye.z);
    EXPECT_EQ(std::stod(rows[4][15]), run.camera.getLookSpeed());
}

TEST(SimRunner, CountsAgreeWithIndependentCounting) {
    // From behind the wall the searches go around it; from inside it the first frame
    // relocates the camera.
    for (const k_Vector3& start : {k_Vector3(0, 0, 0), k_Vector3(0, 0, -10)}) {
        HandMadeRun run(start);
        std::vector<Expected> expected;
        const auto rows = parseCsv(run.run(40, &expected));
        ASSERT_EQ(rows.size(), 41u);
        long nestedSearchFrames = 0;
        for (std::size_t i = 1; i < rows.size(); ++i) {
            const Expected& e = expected[i - 1];
            EXPECT_EQ(std::stol(rows[i][16]), e.relocations) << "frame " << i;
            EXPECT_EQ(std::stol(rows[i][17]), e.findPathCalls) << "frame " << i;
            EXPECT_EQ(std::stol(rows[i][19]), e.sphereTests) << "frame " << i;
            nestedSearchFrames += e.findPathCalls > 1 ? 1 : 0;
        }
        if (start.z == 0.0f) {
            // The scene must exercise nested searches, or the comparison proves little.
            EXPECT_GT(nestedSearchFrames, 0);
        } else {
            EXPECT_GE(expected[0].relocations, 1);
        }
    }
}

TEST(SimRunner, ClearLineOfSightCostsOneSearchAndOneTestPerObstacle) {
    HandMadeRun run(k_Vector3(0, 0, 0));
    run.wall->setTranslation(k_Vector3(10, 0, -10));
    const auto rows = parseCsv(run.run(1));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1][16], "0"); // relocations
    EXPECT_EQ(rows[1][17], "1"); // findPath calls
    EXPECT_EQ(rows[1][18], "1"); // segment tests
    EXPECT_EQ(rows[1][19], "2"); // one sphere test per obstacle, none for the target
}

TEST(SimRunner, RunsAreIdenticalButForPlanningTime) {
    const std::string first = HandMadeRun(k_Vector3(0, 0, -10)).run(60);
    const std::string second = HandMadeRun(k_Vector3(0, 0, -10)).run(60);
    EXPECT_EQ(withoutPlanTime(first), withoutPlanTime(second));
}

TEST(SimRunner, AStopEndsTheRunBeforeAFrameLeavingTheFramesRunWhole) {
    const std::string whole = HandMadeRun(k_Vector3(0, 0, -10)).run(6);
    int asked = 0;
    k_RunSummary summary(k_WorldChoice(), 0.016);
    const std::string stopped =
        HandMadeRun(k_Vector3(0, 0, -10)).run(6, nullptr, &summary, [&asked] {
            return ++asked > 3;
        });
    EXPECT_EQ(summary.getFrames(), 3);
    EXPECT_EQ(summary.quality().getFrames(), 3);
    // The header and the first three rows of the whole run, each a whole line.
    std::istringstream lines(withoutPlanTime(whole));
    std::string firstFour, line;
    for (int i = 0; i < 4 && std::getline(lines, line); ++i) {
        firstFour += line + "\n";
    }
    EXPECT_EQ(withoutPlanTime(stopped), firstFour);

    // Asked before the first frame: the header alone.
    const std::string none =
        HandMadeRun(k_Vector3(0, 0, -10)).run(6, nullptr, nullptr, [] { return true; });
    EXPECT_EQ(parseCsv(none).size(), 1u);
    EXPECT_EQ(none.back(), '\n');
}

TEST(SimRunner, SummaryQualityUsesTheFramesOfTheRun) {
    HandMadeRun run(k_Vector3(0, 0, -10));
    k_RunSummary summary(k_WorldChoice(), 0.016);
    run.run(30, nullptr, &summary);
    EXPECT_EQ(summary.getFrames(), 30);
    EXPECT_EQ(summary.quality().getFramesWithTarget(), 30);
    EXPECT_GE(summary.getRelocations(), 1u);
    // The relocation happens inside the step, before the frame is recorded.
    EXPECT_EQ(summary.quality().getInsideFrames(), 0);
    EXPECT_TRUE(summary.quality().hasClearance());
}

} // namespace
