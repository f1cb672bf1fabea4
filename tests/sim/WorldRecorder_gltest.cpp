// The world the bound sees and the path player: both run the world exactly as a planned run.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "camera/Camera.h"
#include "platform/Random.h"
#include "scenes/Scene.h"
#include "scenes/SceneHost.h"
#include "tools/sim/CameraPath.h"
#include "tools/sim/PathPlayer.h"
#include "tools/sim/SimRunner.h"
#include "tools/sim/WorldRecorder.h"

namespace {

using Sphere = k_QualityMetrics::Sphere;

struct PlannedFrame {
    int target;
    std::vector<Sphere> bodies;
    k_Vector3 eye;
};

class WorldRecorderTest : public testing::TestWithParam<int> {
protected:
    k_SceneHost host;
    k_Scene& scene = *host.getScene();

    void load() {
        randomSeed(1);
        ASSERT_TRUE(host.loadScene(GetParam()));
    }
    // What SimRunner::run hands the quality figures after every update.
    std::vector<PlannedFrame> plannedRun(long frames, double dt) {
        std::vector<PlannedFrame> seen;
        for (long frame = 1; frame <= frames; ++frame) {
            scene.update(dt);
            PlannedFrame planned;
            planned.target = k_SimRunner::recordFrame(frame, dt, *scene.getPlanner()).target;
            k_SimRunner::collectBodies(planned.bodies);
            planned.eye = scene.getCamera()->getPosition();
            seen.push_back(planned);
        }
        return seen;
    }
};

void expectSameBodies(const std::vector<Sphere>& a, const std::vector<Sphere>& b, long frame) {
    ASSERT_EQ(a.size(), b.size()) << "frame " << frame;
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_TRUE(a[i].x == b[i].x && a[i].y == b[i].y && a[i].z == b[i].z &&
                    a[i].radius == b[i].radius)
            << "frame " << frame << " body " << i;
    }
}

// Scene 3 changes its target with the bouncing ball's height; the others keep theirs.
TEST_P(WorldRecorderTest, RecordsTheBodiesAndTargetsAPlannedRunSees) {
    const double dt = 0.05;
    const long frames = 300;
    load();
    const std::vector<PlannedFrame> planned = plannedRun(frames, dt);

    scene.setPlanner(
        std::make_unique<k_PathPlayer>(scene.getInformationProvider(), host.getRoot(), nullptr));
    load();
    const k_Vector3 start = scene.getCamera()->getPosition();
    const k_WorldRecording recording = k_WorldRecorder::record(
        [this](double step) { scene.update(step); }, *scene.getPlanner(), frames, dt);
    ASSERT_EQ(recording.frames.size(), static_cast<std::size_t>(frames));
    std::set<int> targets;
    for (long frame = 1; frame <= frames; ++frame) {
        const k_WorldRecording::Frame& recorded = recording.frames[frame - 1];
        EXPECT_EQ(recorded.target, planned[frame - 1].target) << "frame " << frame;
        expectSameBodies(recorded.bodies, planned[frame - 1].bodies, frame);
        targets.insert(recorded.target);
    }
    EXPECT_EQ(targets.size(), GetParam() == 3 ? 2u : 1u);
    // Without a path the camera stays where the world put it.
    EXPECT_EQ(scene.getCamera()->getPosition().x, start.x);
    EXPECT_DOUBLE_EQ(recording.cameraStart.z, static_cast<double>(start.z));
    EXPECT_DOUBLE_EQ(recording.restDistance, scene.getCamera()->getStopDistance());
    EXPECT_DOUBLE_EQ(recording.maxSpeed,
                     scene.getCamera()->getMaxSpeed() + scene.getCamera()->getAcceleration() * dt);
    EXPECT_EQ(recording.margin, 0.0);
}

// The planned run's own eye positions, played back, stand where it stood.
TEST_P(WorldRecorderTest, PlayerPutsTheCameraWhereThePathSays) {
    const double dt = 0.05;
    const long frames = 60;
    load();
    const std::vector<PlannedFrame> planned = plannedRun(frames, dt);
    std::string csv = "frame,t,cam_x,cam_y,cam_z,look_x,look_y,look_z\n";
    for (long frame = 1; frame <= frames; ++frame) {
        const k_Vector3& eye = planned[frame - 1].eye;
        char row[256];
        std::snprintf(row, sizeof row, "%ld,%.9g,%.9g,%.9g,%.9g,0,0,0\n", frame, frame * dt,
                      double(eye.x), double(eye.y), double(eye.z));
        csv += row;
    }
    const std::string file = "/tmp/veltrava_player_" + std::to_string(getpid()) + ".csv";
    std::FILE* out = std::fopen(file.c_str(), "w");
    ASSERT_NE(out, nullptr);
    std::fputs(csv.c_str(), out);
    std::fclose(out);
    k_CameraPath path;
    std::string error;
    ASSERT_TRUE(path.read(file, frames, dt, error)) << error;
    std::remove(file.c_str());

    scene.setPlanner(
        std::make_unique<k_PathPlayer>(scene.getInformationProvider(), host.getRoot(), &path));
    load();
    for (long frame = 1; frame <= frames; ++frame) {
        scene.update(dt);
        const k_Vector3 eye = scene.getCamera()->getPosition();
        ASSERT_EQ(eye.x, planned[frame - 1].eye.x) << "frame " << frame;
        ASSERT_EQ(eye.z, planned[frame - 1].eye.z) << "frame " << frame;
        EXPECT_EQ(scene.getPlanner()->getLastStepStats().targetIndex, planned[frame - 1].target);
    }
    // Past its end the camera stays at the path's last point.
    scene.update(dt);
    EXPECT_EQ(scene.getCamera()->getPosition().y, planned.back().eye.y);
}

INSTANTIATE_TEST_SUITE_P(Scenes, WorldRecorderTest, testing::Values(2, 3),
                         [](const testing::TestParamInfo<int>& info) {
                             return "scene" + std::to_string(info.param);
                         });

} // namespace
