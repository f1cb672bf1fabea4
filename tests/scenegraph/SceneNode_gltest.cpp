// The root node against real Mesa: one render() is one frame that starts from cleared
// buffers and an identity model-view matrix and leaves the matrix stacks as it found them.
#include <GL/glew.h>

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <array>

#include "scenegraph/MainSceneNode.h"
#include "scenegraph/SceneNode.h"
#include "support/GlState.h"

namespace {

// Reads what the frame looks like when the tree below the root starts to draw. The back
// buffer is read before the root swaps it.
class FrameProbe : public k_SceneNode {
public:
    const char* getTypeName() const override { return "FrameProbe"; }

    int renders = 0;
    GLint matrixMode = 0;
    std::array<float, 16> modelView{};
    std::array<GLubyte, 4> pixel{};
    float depth = 0.0f;

protected:
    void beginRender() override {
        ++renders;
        matrixMode = currentInteger(GL_MATRIX_MODE);
        modelView = currentMatrix(GL_MODELVIEW_MATRIX);
        glReadBuffer(GL_BACK);
        glReadPixels(10, 10, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel.data());
        glReadPixels(10, 10, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
        // Leaves some state behind for the check of the stack depths.
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glTranslatef(5, 6, 7);
    }
    void endRender() override { glPopMatrix(); }
};

TEST(MainSceneNode, rendersOneFrameFromClearedBuffersAndIdentityModelView) {
    k_MainSceneNode root;
    EXPECT_STREQ(root.getTypeName(), "MainSceneNode");
    auto* probe = new FrameProbe();
    root.addChild(probe);

    // Dirty buffers and matrices from an earlier frame.
    glViewport(0, 0, 800, 600);
    glClearColor(1, 0, 0, 1);
    glClearDepth(0.25);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(0, 0.4f, 0, 1);
    glClearDepth(1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(30, 0, 1, 0);
    glMatrixMode(GL_PROJECTION);

    const GLint modelViewDepth = currentInteger(GL_MODELVIEW_STACK_DEPTH);
    const GLint projectionDepth = currentInteger(GL_PROJECTION_STACK_DEPTH);
    root.render();

    EXPECT_EQ(probe->renders, 1);
    EXPECT_EQ(probe->matrixMode, GL_MODELVIEW);
    EXPECT_EQ(probe->modelView,
              (std::array<float, 16>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));
    EXPECT_EQ(probe->pixel[0], 0);
    EXPECT_EQ(probe->pixel[1], 102); // 0.4 of 255
    EXPECT_EQ(probe->pixel[2], 0);
    EXPECT_EQ(probe->depth, 1.0f);
    EXPECT_EQ(currentInteger(GL_MODELVIEW_STACK_DEPTH), modelViewDepth);
    EXPECT_EQ(currentInteger(GL_PROJECTION_STACK_DEPTH), projectionDepth);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glClearColor(0, 0, 0, 0);
}

TEST(MainSceneNode, anEmptiedRootStillClearsAndPresents) {
    k_MainSceneNode root;
    root.addChild(new FrameProbe());
    root.removeAllChildren();
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1, 1, 1);
    root.render();
    EXPECT_EQ(currentMatrix(GL_MODELVIEW_MATRIX),
              (std::array<float, 16>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

} // namespace
