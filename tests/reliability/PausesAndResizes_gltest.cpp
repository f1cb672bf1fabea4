// A machine that pauses (frame times of 0, 2 and 10 seconds, an hour) and a window squeezed
// to one pixel or to no height must leave every scene finite and drawing.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "reliability/SceneHarness.h"
#include "scenegraph/Artifact.h"
#include "support/CaptureOutput.h"
#include "support/GlState.h"

namespace {

void expectFiniteScene(const reliability::SceneHarness& harness, int scene, double dt) {
    const k_Camera* camera = harness.scene->getCamera();
    ASSERT_NE(camera, nullptr);
    EXPECT_TRUE(reliability::isFinite(camera->getPosition())) << scene << " dt " << dt;
    EXPECT_TRUE(reliability::isFinite(camera->getLookAt())) << scene << " dt " << dt;
    EXPECT_TRUE(reliability::isFinite(camera->getUp())) << scene << " dt " << dt;
    EXPECT_TRUE(reliability::isFinite(camera->getVelocity())) << scene << " dt " << dt;
    EXPECT_TRUE(std::isfinite(camera->getLookSpeed())) << scene << " dt " << dt;
    EXPECT_TRUE(reliability::isFinite(harness.scene->getSkyNode()->getTranslation()));
    for (const k_Artifact* body : artifactRegistry) {
        EXPECT_TRUE(reliability::isFinite(body->getTranslation())) << scene << " dt " << dt;
    }
}

bool finiteMatrix(GLenum which) {
    for (float value : currentMatrix(which)) {
        if (!std::isfinite(value)) {
            return false;
        }
    }
    return true;
}

} // namespace

TEST(PausesAndResizes, LongAndZeroFrameTimesKeepEveryCameraFinite) {
    reliability::SceneHarness harness;
    const double frameTimes[] = {0.0, 2.0, 10.0, 0.0, 1.0 / 60.0, 10.0, 3600.0, 0.0, 0.001};
    for (int scene = 1; scene <= 4; ++scene) {
        harness.load(scene);
        for (double dt : frameTimes) {
            harness.scene->update(dt);
            expectFiniteScene(harness, scene, dt);
        }
        // And it goes on drawing and moving normally afterwards.
        harness.frames(30, 1.0 / 60.0);
        expectFiniteScene(harness, scene, 1.0 / 60.0);
        EXPECT_GT(harness.litShare(800, 600), 0.5) << scene;
    }
    EXPECT_TRUE(reliability::takeGlErrors().empty());
}

TEST(PausesAndResizes, OnePixelAndZeroHeightWindowsKeepDrawing) {
    reliability::SceneHarness harness;
    harness.load(1);
    harness.frames(3, 1.0 / 60.0);
    ASSERT_GT(harness.litShare(800, 600), 0.5);

    struct Size {
        int width, height;
    };
    for (const Size size : {Size{1, 1}, Size{800, 0}, Size{0, 600}, Size{0, 0}, Size{1, 600}}) {
        onReshape(size.width, size.height);
        EXPECT_TRUE(finiteMatrix(GL_PROJECTION_MATRIX)) << size.width << "x" << size.height;
        harness.frames(3, 1.0 / 60.0);
        expectFiniteScene(harness, 1, 1.0 / 60.0);
        if (size.width > 0 && size.height > 0) {
            EXPECT_GT(harness.litShare(size.width, size.height), 0.5)
                << size.width << "x" << size.height;
        }
        EXPECT_TRUE(reliability::takeGlErrors().empty()) << size.width << "x" << size.height;
    }
    // Back to the full window: the whole picture is drawn again.
    onReshape(800, 600);
    harness.frames(3, 1.0 / 60.0);
    EXPECT_GT(harness.litShare(800, 600), 0.5);
    EXPECT_EQ(currentInteger(GL_MATRIX_MODE), GL_MODELVIEW);
}
