// The application against real Mesa: window and GL state after start-up, the reshape
// projection, the menu actions and the exit handler.
#include <GL/glew.h>

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "app/FrameClock.h"
#include "app/GlutApplication.h"
#include "app/GlutCallbacks.h"
#include "scenegraph/ArtifactRegistry.h"
#include "scenegraph/MainSceneNode.h"
#include "scenegraph/SceneNode.h"
#include "support/GlState.h"

namespace {

std::vector<std::string> events;

class ProbeNode : public k_SceneNode {
public:
    explicit ProbeNode(std::string nodeName) : name(std::move(nodeName)) {}
    ~ProbeNode() override { events.push_back("delete " + name); }
    const char* getTypeName() const override { return "ProbeNode"; }

    std::array<float, 16> modelView{};

protected:
    void beginRender() override {
        events.push_back("render " + name);
        modelView = currentMatrix(GL_MODELVIEW_MATRIX);
    }
    void endRender() override {}

private:
    std::string name;
};

std::array<float, 16> perspectiveMatrix(double aspect) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPerspective(45.0, aspect, 0.1, 1000.0);
    const std::array<float, 16> values = currentMatrix(GL_PROJECTION_MATRIX);
    glPopMatrix();
    return values;
}

const std::array<float, 16> identity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// Each test starts its own application (GLUT is already initialised by the test main, so
// initApplication skips glutInit) and closes its window afterwards.
class GlutApplicationTest : public testing::Test {
protected:
    void SetUp() override {
        events.clear();
        testWindow = glutGetWindow();
        char name[] = "gl_app";
        char* argv[] = {name, nullptr};
        int argc = 1;
        testing::internal::CaptureStdout();
        initApplication(&argc, argv, 800, 600, "Veltrava Corrento");
        banner = testing::internal::GetCapturedStdout();
        appWindow = glutGetWindow();
        ASSERT_NE(getApplication(), nullptr);
    }
    void TearDown() override {
        destroyApplication();
        glutDestroyWindow(appWindow);
        glutSetWindow(testWindow);
    }

    int testWindow = 0;
    int appWindow = 0;
    std::string banner;
};

TEST_F(GlutApplicationTest, startsWithOneBlackDepthBufferedWindowAndAFiveEntryMenu) {
    k_GlutApplication* application = getApplication();
    EXPECT_EQ(application->getWidth(), 800);
    EXPECT_EQ(application->getHeight(), 600);
    ASSERT_NE(application->getRoot(), nullptr);
    EXPECT_TRUE(application->getRoot()->getChildren().empty());
    EXPECT_NE(application->getScene(), nullptr);
    EXPECT_NE(appWindow, testWindow);

    EXPECT_EQ(glutGet(GLUT_WINDOW_WIDTH), 800);
    EXPECT_EQ(glutGet(GLUT_WINDOW_HEIGHT), 600);
    EXPECT_EQ(glutGet(GLUT_WINDOW_DOUBLEBUFFER), 1);
    EXPECT_GT(glutGet(GLUT_WINDOW_DEPTH_SIZE), 0);
    EXPECT_EQ(glutGet(GLUT_MENU_NUM_ITEMS), 5);

    std::array<float, 4> clear{};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear.data());
    EXPECT_EQ(clear, (std::array<float, 4>{0, 0, 0, 0}));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_NORMALIZE));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));

    // The clock starts at the end of construction; the banner comes after it.
    const int now = glutGet(GLUT_ELAPSED_TIME);
    EXPECT_LE(lastTime, now);
    EXPECT_GE(lastTime, now - 1000);
    EXPECT_EQ(banner.substr(0, 12), "Quennel - De");
    EXPECT_EQ(std::count(banner.begin(), banner.end(), '\n'), 8);
}

TEST_F(GlutApplicationTest, reshapeSetsViewportAndPerspectiveOfLargerOverSmallerSide) {
    struct Case {
        int width, height;
        double aspect;
    };
    for (const Case& c : {Case{800, 600, 800.0 / 600.0}, Case{600, 800, 800.0 / 600.0},
                          Case{300, 600, 2.0}, Case{500, 500, 1.0}, Case{800, 0, 800.0}}) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        const std::array<float, 16> expected = perspectiveMatrix(c.aspect);
        glMatrixMode(GL_MODELVIEW);
        onReshape(c.width, c.height);
        EXPECT_EQ(currentInteger(GL_MATRIX_MODE), GL_PROJECTION);
        EXPECT_EQ(currentMatrix(GL_PROJECTION_MATRIX), expected);
        std::array<GLint, 4> viewport{};
        glGetIntegerv(GL_VIEWPORT, viewport.data());
        EXPECT_EQ(viewport, (std::array<GLint, 4>{0, 0, c.width, c.height}));
        EXPECT_EQ(getApplication()->getWidth(), c.width);
        EXPECT_EQ(getApplication()->getHeight(), c.height);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    // Without an application the GL part still happens.
    destroyApplication();
    onReshape(300, 600);
    EXPECT_EQ(currentMatrix(GL_PROJECTION_MATRIX), perspectiveMatrix(2.0));
}

TEST_F(GlutApplicationTest, displayDrawsTheTreeFromAnIdentityModelView) {
    auto* probe = new ProbeNode("probe");
    getApplication()->getRoot()->addChild(probe);
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(1, 2, 3);
    onDisplay();
    EXPECT_EQ(events, (std::vector<std::string>{"render probe"}));
    EXPECT_EQ(probe->modelView, identity);
}

TEST_F(GlutApplicationTest, sceneEntriesReplaceTheSceneAndRestartTheClock) {
    k_MainSceneNode* root = getApplication()->getRoot();
    for (int value : {menuScene1, menuScene2, menuScene3, menuScene4}) {
        SCOPED_TRACE(value);
        events.clear();
        root->addChild(new ProbeNode("old"));
        lastTime = -100000;
        onMenu(value);
        // The whole previous tree goes, the probe with it, once.
        EXPECT_EQ(events, (std::vector<std::string>{"delete old"}));
        EXPECT_GE(lastTime, glutGet(GLUT_ELAPSED_TIME) - 1000);
    }
    // Other values are ignored.
    events.clear();
    const size_t childrenBefore = root->getChildren().size();
    const std::vector<k_Artifact*> registryBefore = artifactRegistry;
    root->addChild(new ProbeNode("kept"));
    lastTime = 5;
    for (int value : {0, 5, 999, 1001}) {
        onMenu(value);
    }
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(root->getChildren().size(), childrenBefore + 1);
    EXPECT_EQ(artifactRegistry, registryBefore);
    EXPECT_EQ(lastTime, 5);
}

TEST_F(GlutApplicationTest, exitHandlerDeletesTheTreeOnce) {
    getApplication()->getRoot()->addChild(new ProbeNode("node"));
    destroyApplication();
    EXPECT_EQ(getApplication(), nullptr);
    EXPECT_EQ(events, (std::vector<std::string>{"delete node"}));
    destroyApplication();
    EXPECT_EQ(events.size(), 1u);
}

} // namespace
