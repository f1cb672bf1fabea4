// The scene host: its scene numbers, its plan overlay and its frame left in the back buffer.
#include <GL/glew.h>

#include <GL/glu.h>

#include <gtest/gtest.h>

#include <vector>

#include "camera/Camera.h"
#include "platform/Random.h"
#include "scenegraph/MainSceneNode.h"
#include "scenes/Scene.h"
#include "scenes/SceneHost.h"

namespace {

std::vector<unsigned char> backBuffer() {
    std::vector<unsigned char> rgb(800 * 600 * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 800, 600, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}

TEST(SceneHost, LoadsOnlyTheBuiltInScenesByNumber) {
    k_SceneHost host;
    for (int number : {0, -1, k_SceneHost::sceneCount + 1}) {
        EXPECT_FALSE(host.loadScene(number)) << number;
        EXPECT_TRUE(host.getRoot()->getChildren().empty()) << number;
        EXPECT_EQ(host.getScene()->getCamera(), nullptr) << number;
    }
    for (int number = 1; number <= k_SceneHost::sceneCount; ++number) {
        ASSERT_TRUE(host.loadScene(number)) << number;
        ASSERT_EQ(host.getRoot()->getChildren().size(), 1u);
        EXPECT_EQ(host.getRoot()->getChildren()[0], host.getScene()->getCamera());
    }
    // A wrong number after a load keeps the scene that is there.
    k_Camera* camera = host.getScene()->getCamera();
    EXPECT_FALSE(host.loadScene(k_SceneHost::sceneCount + 1));
    EXPECT_EQ(host.getScene()->getCamera(), camera);
}

TEST(SceneHost, ThePlanIsDrawnIntoTheKeptFrameAndGoesWithTheHost) {
    glViewport(0, 0, 800, 600);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 800.0 / 600.0, 0.1, 1000.0);
    randomSeed(1);
    // Deleted with its overlay shown and a scene loaded: the teardown order must hold.
    auto* host = new k_SceneHost();
    ASSERT_TRUE(host->loadScene(1));
    for (int frame = 0; frame < 100; ++frame) {
        host->getScene()->update(0.016);
    }
    host->drawFrame(k_SceneHost::FrameEnd::keepInBackBuffer);
    const std::vector<unsigned char> plain = backBuffer();
    EXPECT_FALSE(host->isShowingPlan());
    host->showPlan();
    host->showPlan(); // still one overlay
    EXPECT_TRUE(host->isShowingPlan());
    host->drawFrame(k_SceneHost::FrameEnd::keepInBackBuffer);
    EXPECT_FALSE(backBuffer() == plain) << "no plan in the frame kept in the back buffer";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    delete host;
}

} // namespace
