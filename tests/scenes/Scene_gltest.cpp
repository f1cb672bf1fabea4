// What every scene shares: the tree's shape and the frame's values, the update before and
// after a load, and the replacement of one scene by another.
#include <GL/glew.h>

#include <GL/glu.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "plandrawing/PlanOverlay.h"
#include "plandrawing/TopViewFrame.h"
#include "planning/MotionPlanner.h"
#include "support/CaptureOutput.h"
#include "support/GlState.h"
#include "tests/scenes/SceneTestSupport.h"

namespace {

struct FrameValues {
    int scene;
    double acceleration, lookAcceleration, maxSpeed, stopDistance;
    k_Vector3 position, up, lookAt;
    float skyRadius;
    k_Vector3 lightDirection;
    std::array<float, 4> ballAmbient, groupAmbient;
};

void PrintTo(const FrameValues& values, std::ostream* out) {
    *out << "scene " << values.scene;
}

const FrameValues frames[] = {
    {1,
     75,
     5,
     300,
     15,
     {50, 0, -75},
     {0, 1, 0},
     {0, 10, 0},
     500,
     {0, 0, -1},
     {0.5f, 0.7f, 0.5f, 1},
     {0.6f, 0.4f, 0.4f, 1}},
    {2,
     15,
     5,
     25,
     7,
     {150, 1, 0},
     {0, 1, 0},
     {123, 1, 0},
     500,
     {-1, 0, 1},
     {0.5f, 0.7f, 0.5f, 1},
     {0.6f, 0.4f, 0.4f, 1}},
    {3,
     5,
     5,
     30,
     10,
     {0, 0, 10},
     {0, 1, 0},
     {0, 0, 9},
     500,
     {-1, 0, 1},
     {0.5f, 0.7f, 0.5f, 1},
     {0.6f, 0.4f, 0.4f, 1}},
    {4,
     75,
     5,
     125,
     10,
     {0, -50, -620},
     {0, 1, 0},
     {0, 0, 0},
     850,
     {0, 0, -1},
     {0.4f, 0.7f, 0.2f, 1},
     {0.6f, 0.3f, 0.0f, 1}},
};

// Records, where it is drawn, the model-view matrix, light 0's eye-space position and the
// material in effect.
class k_StateProbe : public k_SceneNode {
public:
    const char* getTypeName() const override { return "StateProbe"; }
    std::array<float, 16> modelView{};
    std::array<float, 4> lightPosition{};
    std::array<float, 4> ambient{};
    std::array<float, 4> diffuse{};

protected:
    void beginRender() override {
        modelView = currentMatrix(GL_MODELVIEW_MATRIX);
        glGetLightfv(GL_LIGHT0, GL_POSITION, lightPosition.data());
        glGetMaterialfv(GL_FRONT, GL_AMBIENT, ambient.data());
        glGetMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse.data());
    }
    void endRender() override {}
};

class SceneFrameTest : public SceneTest, public testing::WithParamInterface<FrameValues> {};

TEST_P(SceneFrameTest, BuildsTheCommonTreeWithTheScenesValues) {
    const FrameValues& expected = GetParam();
    std::string out;
    const std::string err =
        captureStderr([&] { out = captureStdout([&] { load(expected.scene); }); });
    // Every image and both shader files are found and build cleanly.
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "");

    ASSERT_EQ(root.getChildren().size(), 1u);
    auto* camera = dynamic_cast<k_Camera*>(root.getChildren()[0]);
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(camera, scene.getCamera());
    EXPECT_EQ(scene.getPlanner()->getCamera(), camera);
    EXPECT_EQ(camera->getAcceleration(), expected.acceleration);
    EXPECT_EQ(camera->getLookAcceleration(), expected.lookAcceleration);
    EXPECT_EQ(camera->getMaxSpeed(), expected.maxSpeed);
    EXPECT_EQ(camera->getStopDistance(), expected.stopDistance);
    EXPECT_VECTOR_EQ(camera->getPosition(), expected.position.x, expected.position.y,
                     expected.position.z);
    EXPECT_VECTOR_EQ(camera->getUp(), expected.up.x, expected.up.y, expected.up.z);
    EXPECT_VECTOR_EQ(camera->getLookAt(), expected.lookAt.x, expected.lookAt.y, expected.lookAt.z);

    ASSERT_EQ(camera->getChildren().size(), 2u);
    EXPECT_STREQ(camera->getChildren()[0]->getTypeName(), "JpegTexture");
    EXPECT_STREQ(camera->getChildren()[1]->getTypeName(), "GenericSceneNode");
    auto* skyTexture = dynamic_cast<k_JpegTexture*>(camera->getChildren()[0]);
    ASSERT_NE(skyTexture, nullptr);
    EXPECT_EQ(skyTexture->getTextureUnit(), 0);
    EXPECT_NE(skyTexture->getTextureName(), 0u);
    ASSERT_EQ(skyTexture->getChildren().size(), 1u);
    auto* sky = dynamic_cast<k_Sphere*>(skyTexture->getChildren()[0]);
    ASSERT_NE(sky, nullptr);
    EXPECT_EQ(sky, scene.getSkyNode());
    EXPECT_EQ(sky->getSlices(), 72);
    EXPECT_EQ(sky->getStacks(), 72);
    EXPECT_EQ(sky->getRadius(), expected.skyRadius);
    EXPECT_VECTOR_EQ(sky->getRotation(), 90, 0, 0);
    EXPECT_EQ(sky->getInterest(), -1);
    EXPECT_TRUE(sky->getChildren().empty());

    auto* light = dynamic_cast<k_GenericSceneNode*>(camera->getChildren()[1]);
    ASSERT_NE(light, nullptr);
    EXPECT_TRUE(light->getHasLight());
    EXPECT_TRUE(light->getHasShader());
    EXPECT_NE(light->getShaderProgram(), 0u);
    EXPECT_FALSE(light->getHasMaterial());
    ASSERT_EQ(light->getChildren().size(), 1u);
    auto* normalMap = dynamic_cast<k_JpegTexture*>(light->getChildren()[0]);
    ASSERT_NE(normalMap, nullptr);
    EXPECT_EQ(normalMap->getTextureUnit(), 1);
    EXPECT_NE(normalMap->getTextureName(), 0u);
    ASSERT_EQ(normalMap->getChildren().size(), 1u);
    auto* colour = dynamic_cast<k_JpegTexture*>(normalMap->getChildren()[0]);
    ASSERT_NE(colour, nullptr);
    EXPECT_EQ(colour->getTextureUnit(), 0);
    EXPECT_NE(colour->getTextureName(), 0u);

    // Bodies first, the obstacle group last; the sky dome is never registered.
    const auto& children = colour->getChildren();
    ASSERT_GE(children.size(), 2u);
    EXPECT_STREQ(children.back()->getTypeName(), "GenericSceneNode");
    for (std::size_t i = 0; i + 1 < children.size(); ++i) {
        EXPECT_STREQ(children[i]->getTypeName(), "Sphere");
    }
    for (k_Artifact* artifact : artifactRegistry) {
        EXPECT_NE(artifact, sky);
    }

    // Light direction and materials as drawn: probes read the GL state at their place.
    k_SceneNode* ball = children.front();
    k_SceneNode* group = children.back();
    auto* atColourMap = new k_StateProbe();
    auto* inBall = new k_StateProbe();
    auto* inGroup = new k_StateProbe();
    colour->addChild(atColourMap);
    ball->addChild(inBall);
    group->addChild(inGroup);
    root.render();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    // The light was set in the camera's view: back to world axes with the view's rotation.
    const auto& m = atColourMap->modelView;
    const auto& eye = atColourMap->lightPosition;
    EXPECT_EQ(eye[3], 0.0f);
    const float worldX = m[0] * eye[0] + m[1] * eye[1] + m[2] * eye[2];
    const float worldY = m[4] * eye[0] + m[5] * eye[1] + m[6] * eye[2];
    const float worldZ = m[8] * eye[0] + m[9] * eye[1] + m[10] * eye[2];
    EXPECT_NEAR(worldX, expected.lightDirection.x, 1e-5);
    EXPECT_NEAR(worldY, expected.lightDirection.y, 1e-5);
    EXPECT_NEAR(worldZ, expected.lightDirection.z, 1e-5);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(inBall->ambient[i], expected.ballAmbient[i]) << i;
        EXPECT_EQ(inGroup->ambient[i], expected.groupAmbient[i]) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(AllScenes, SceneFrameTest, testing::ValuesIn(frames),
                         [](const testing::TestParamInfo<FrameValues>& info) {
                             return "Scene" + std::to_string(info.param.scene);
                         });

TEST_F(SceneTest, UpdateBeforeAnyLoadChangesNothing) {
    const unsigned int seedProbe = 4242;
    randomSeed(seedProbe);
    const int expectedDraw = randomNext();
    randomSeed(seedProbe);
    scene.update(0.5);
    scene.update(0.0);
    EXPECT_TRUE(root.getChildren().empty());
    EXPECT_TRUE(artifactRegistry.empty());
    EXPECT_TRUE(animations().empty());
    EXPECT_EQ(scene.getCamera(), nullptr);
    EXPECT_EQ(scene.getSkyNode(), nullptr);
    EXPECT_EQ(scene.getHeightArtifact(), nullptr);
    EXPECT_EQ(scene.getPlanner()->getLastStepStats().targetIndex, -1);
    EXPECT_EQ(randomNext(), expectedDraw) << "an empty frame draws nothing";
}

TEST_F(SceneTest, SkyDomeIsCentredOnTheCameraAfterEveryUpdate) {
    load(1);
    const k_Vector3 start = scene.getCamera()->getPosition();
    for (int frame = 0; frame < 60; ++frame) {
        scene.update(0.02);
        const k_Vector3 eye = scene.getCamera()->getPosition();
        EXPECT_VECTOR_EQ(scene.getSkyNode()->getTranslation(), eye.x, eye.y, eye.z);
    }
    const k_Vector3 moved = scene.getCamera()->getPosition() - start;
    EXPECT_GT(moved.length(), 0.1f) << "the camera should have started moving";
}

// Everything reachable from the colour map, depth first.
void collect(k_SceneNode* node, std::vector<k_SceneNode*>& nodes) {
    nodes.push_back(node);
    for (k_SceneNode* child : node->getChildren()) {
        collect(child, nodes);
    }
}

TEST_F(SceneTest, ALoadReplacesEverythingOfThePreviousScene) {
    EXPECT_EQ(scene.getSceneName(), "");
    load(4);
    scene.update(0.05);
    scene.update(0.25);
    EXPECT_EQ(scene.getSceneName(), "Scene 4");
    EXPECT_DOUBLE_EQ(scene.getSceneTime(), 0.3);
    load(3);
    // Named for the screen, its clock started again.
    EXPECT_EQ(scene.getSceneName(), "Scene 3");
    EXPECT_EQ(scene.getSceneTime(), 0.0);
    ASSERT_EQ(root.getChildren().size(), 1u);
    EXPECT_EQ(root.getChildren()[0], scene.getCamera());
    std::vector<k_SceneNode*> nodes;
    collect(&root, nodes);
    // root, camera, sky texture, dome, light, normal map, colour map, two balls, group, obstacle
    EXPECT_EQ(nodes.size(), 11u);
    ASSERT_EQ(artifactRegistry.size(), 3u);
    for (k_Artifact* artifact : artifactRegistry) {
        EXPECT_NE(std::find(nodes.begin(), nodes.end(), artifact), nodes.end());
    }
    ASSERT_EQ(animations().size(), 2u);
    for (k_Animation* animation : animations()) {
        EXPECT_NE(std::find(nodes.begin(), nodes.end(), animation->getTarget()), nodes.end());
    }
    EXPECT_EQ(scene.getPlanner()->getCamera(), scene.getCamera());
    // Scene 3 leaves a height artifact; the next scene must not keep it.
    load(2);
    EXPECT_EQ(scene.getHeightArtifact(), nullptr);
    EXPECT_EQ(artifactRegistry.size(), 421u);
    EXPECT_EQ(animations().size(), 421u);
    scene.update(0.05); // no stale pointer is touched
    scene.loadSwarmScene(150);
    EXPECT_EQ(scene.getSceneName(), "Scene 4, 150 bodies");
}

TEST_F(SceneTest, TheSameSceneCanBeLoadedAgainAndAgain) {
    for (int round = 0; round < 3; ++round) {
        load(1);
        scene.update(0.05);
    }
    EXPECT_EQ(root.getChildren().size(), 1u);
    EXPECT_EQ(artifactRegistry.size(), 101u);
    EXPECT_EQ(animations().size(), 202u);
}

TEST_F(SceneTest, PlannersChangeHandsInALoadedSceneWithoutLosingItsBodies) {
    load(2);
    scene.update(0.05);
    // Each change after the first deletes the planner before it: a visibility planner, whose
    // stand-in camera is a node, then the rollout planner built on it.
    k_PlannerKind rollout = k_PlannerKind::standard;
    ASSERT_TRUE(valueOfWord("rollout", rollout));
    for (k_PlannerKind kind : {k_PlannerKind::visibility, k_PlannerKind::visibility, rollout,
                               k_PlannerKind::visibility}) {
        scene.setPlannerKind(kind);
        EXPECT_EQ(artifactRegistry.size(), 421u);
        EXPECT_EQ(scene.getPlanner()->getCamera(), scene.getCamera());
        const k_Vector3 before = scene.getCamera()->getPosition();
        for (int frame = 0; frame < 20; ++frame) {
            scene.update(0.05);
        }
        EXPECT_GE(scene.getPlanner()->getLastStepStats().targetIndex, 0);
        EXPECT_FALSE(scene.getCamera()->getPosition().isWithinDistance(before, 0.01f));
    }
    scene.setPlannerKind(k_PlannerKind::standard);
    EXPECT_EQ(scene.getPlannerKind(), k_PlannerKind::standard);
    EXPECT_EQ(artifactRegistry.size(), 421u);
    load(1); // the new planner steers the next scene too
    EXPECT_EQ(scene.getPlanner()->getCamera(), scene.getCamera());
}

// One frame as the program draws it (the root's own steps but the swap), read back as RGB.
std::vector<unsigned char> drawFrame(k_MainSceneNode& root) {
    glViewport(0, 0, 800, 600);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 800.0 / 600.0, 0.1, 1000.0);
    root.renderWithoutSwap();
    std::vector<unsigned char> rgb(800 * 600 * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 800, 600, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}

bool hasColour(const std::vector<unsigned char>& rgb, std::size_t pixel,
               const k_PlanOverlay::Colour& colour) {
    return rgb[3 * pixel] == colour.r && rgb[3 * pixel + 1] == colour.g &&
           rgb[3 * pixel + 2] == colour.b;
}

TEST_F(SceneTest, ThePlanIsDrawnOverTheFrameAndLeavesTheNextFrameAsWithoutIt) {
    const k_PlanOverlay overlay(scene.watchPlan());
    randomSeed(1);
    load(1);
    // Scene 1 at 0.016 s: by frame 586 the camera goes around a body, with an intermediate
    // goal in view.
    for (int frame = 0; frame < 586; ++frame) {
        scene.update(0.016);
    }
    const std::vector<unsigned char> before = drawFrame(root);
    root.setOverlay([&overlay] { overlay.draw(); });
    const std::vector<unsigned char> planned = drawFrame(root);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    root.setOverlay(nullptr);
    EXPECT_TRUE(drawFrame(root) == before) << "the overlay changed how the scene is drawn";
    ASSERT_FALSE(planned == before);

    // Each route point in view, outside the top view, shows in the route's colour.
    const k_Camera* camera = scene.getCamera();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    const k_Vector3 eye = camera->getPosition();
    const k_Vector3 lookAt = camera->getLookAt();
    const k_Vector3 up = camera->getUp();
    gluLookAt(eye.x, eye.y, eye.z, lookAt.x, lookAt.y, lookAt.z, up.x, up.y, up.z);
    GLdouble modelView[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    glPopMatrix();
    const std::vector<k_Vector3> route = scene.getPlanSnapshot().route;
    ASSERT_GE(route.size(), 3u);
    int pointsSeen = 0;
    for (std::size_t i = 1; i + 1 < route.size(); ++i) {
        GLdouble x, y, z;
        gluProject(route[i].x, route[i].y, route[i].z, modelView, projection, viewport, &x, &y, &z);
        const int column = static_cast<int>(std::floor(x));
        const int row = static_cast<int>(std::floor(y));
        const int topViewEnd = k_PlanOverlay::topViewMargin + k_PlanOverlay::topViewSize;
        if (z <= 0.0 || z >= 1.0 || column < 0 || column >= 800 || row < 0 || row >= 600 ||
            (column < topViewEnd && row < topViewEnd)) {
            continue;
        }
        ++pointsSeen;
        EXPECT_TRUE(hasColour(planned, static_cast<std::size_t>(row) * 800 + column,
                              k_PlanOverlay::routeColour))
            << "route point " << i << " at " << column << ", " << row;
    }
    EXPECT_GT(pointsSeen, 0);
    // The target's and the blocking bodies' spheres are drawn too.
    for (const k_PlanOverlay::Colour& colour :
         {k_PlanOverlay::targetColour, k_PlanOverlay::blockingColour, k_PlanOverlay::curveColour}) {
        std::size_t count = 0;
        for (std::size_t pixel = 0; pixel < 800 * 600; ++pixel) {
            count += hasColour(planned, pixel, colour) && !hasColour(before, pixel, colour) ? 1 : 0;
        }
        EXPECT_GT(count, 100u) << int(colour.r) << ' ' << int(colour.g) << ' ' << int(colour.b);
    }
}

} // namespace

namespace {

TEST_F(SceneTest, ThePlanIsFilledUntilItsLastWatcherLeavesWhicheverPlannerSteers) {
    load(1);
    const k_PlanSnapshot& snapshot = scene.getPlanSnapshot();
    auto followsTheCamera = [&] {
        scene.update(0.016);
        const k_Vector3 eye = scene.getCamera()->getPosition();
        return snapshot.planned && snapshot.eye.x == eye.x && snapshot.eye.y == eye.y &&
               snapshot.eye.z == eye.z;
    };
    EXPECT_FALSE(followsTheCamera());
    {
        scene.watchPlan();
        scene.watchPlan();
        EXPECT_TRUE(followsTheCamera());
        scene.unwatchPlan();
        EXPECT_TRUE(followsTheCamera()) << "one watcher left, the other still watches";
        scene.setPlannerKind(k_PlannerKind::visibility);
        EXPECT_TRUE(followsTheCamera()) << "the new planner fills it too";
        // A new scene: its camera, without a route until its first step.
        load(2);
        EXPECT_TRUE(snapshot.planned);
        EXPECT_FALSE(snapshot.hasTarget);
        EXPECT_TRUE(snapshot.route.empty());
        EXPECT_TRUE(followsTheCamera());
        scene.unwatchPlan();
    }
    EXPECT_FALSE(snapshot.planned);
    EXPECT_FALSE(followsTheCamera());
}

TEST_F(SceneTest, TheControllerAddsTheRunAndTheTopViewWheneverThePlanIsFilled) {
    const k_PlanSnapshot& snapshot = scene.watchPlan();
    EXPECT_FALSE(snapshot.planned) << "no scene, no camera";
    // Where a frame started on this step's plan would look.
    auto framedAfresh = [&] {
        k_TopViewFrame fresh;
        fresh.frame(k_TopViewFrame::extentOf(snapshot), scene.getSceneTime());
        return snapshot.topView.centerX == fresh.getCenterX() &&
               snapshot.topView.centerZ == fresh.getCenterZ() &&
               snapshot.topView.halfWidth == fresh.getHalfWidth();
    };
    for (int number : {1, 2}) {
        load(number);
        // Framed at once on the load's plan, the camera alone.
        const k_Vector3 eye = scene.getCamera()->getPosition();
        EXPECT_EQ(snapshot.sceneName, "Scene " + std::to_string(number));
        EXPECT_EQ(snapshot.sceneTime, 0.0);
        EXPECT_EQ(snapshot.topView.centerX, eye.x) << number;
        EXPECT_EQ(snapshot.topView.centerZ, eye.z) << number;
        EXPECT_EQ(snapshot.topView.halfWidth, k_TopViewFrame::leastHalfWidth) << number;
        // The first step frames its route afresh: not held back by the load's plan, nor (at
        // the same scene time as Scene 1's first step) by the scene before.
        scene.update(0.016);
        ASSERT_TRUE(snapshot.hasTarget);
        EXPECT_TRUE(framedAfresh()) << number;
    }
    for (int frame = 0; frame < 100; ++frame) {
        scene.update(0.016);
    }
    EXPECT_EQ(snapshot.sceneTime, scene.getSceneTime());
    EXPECT_EQ(snapshot.planner, k_PlannerKind::standard);
    EXPECT_GE(snapshot.topView.halfWidth, k_TopViewFrame::leastHalfWidth);
    // A new planner is named before its first step.
    scene.setPlannerKind(k_PlannerKind::visibility);
    EXPECT_EQ(snapshot.planner, k_PlannerKind::visibility);
    scene.unwatchPlan();
}

} // namespace
