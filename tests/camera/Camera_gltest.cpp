#include <gtest/gtest.h>

#include <GL/glew.h>
#include <GL/glu.h>

#include <array>

#include "camera/Camera.h"
#include "support/GlState.h"

namespace {

// A leaf that records the model-view matrix its subtree would be drawn with.
class k_MatrixProbe : public k_SceneNode {
public:
    const char* getTypeName() const override { return "MatrixProbe"; }
    std::array<float, 16> seen{};
    int renders = 0;

protected:
    void beginRender() override {
        seen = currentMatrix(GL_MODELVIEW_MATRIX);
        ++renders;
    }
    void endRender() override {}
};

std::array<float, 16> lookAtMatrix(const std::array<float, 16>& parent, const k_Vector3& eye,
                                   const k_Vector3& centre, const k_Vector3& up) {
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadMatrixf(parent.data());
    gluLookAt(eye.x, eye.y, eye.z, centre.x, centre.y, centre.z, up.x, up.y, up.z);
    const std::array<float, 16> result = currentMatrix(GL_MODELVIEW_MATRIX);
    glPopMatrix();
    return result;
}

void expectMatrix(const std::array<float, 16>& actual, const std::array<float, 16>& expected) {
    for (int i = 0; i < 16; ++i) {
        EXPECT_FLOAT_EQ(actual[i], expected[i]) << "element " << i;
    }
}

} // namespace

TEST(CameraGl, ChildrenAreDrawnUnderTheViewAndTheMatrixIsRestored) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1.0f, -2.0f, 3.0f); // a parent frame the view must multiply, not replace
    const std::array<float, 16> parent = currentMatrix(GL_MODELVIEW_MATRIX);
    const GLint depthBefore = currentInteger(GL_MODELVIEW_STACK_DEPTH);

    auto* camera = new k_Camera(75, 5, 300, 15);
    auto* probe = new k_MatrixProbe;
    camera->addChild(probe);

    // The default view, then a moved and tilted one.
    camera->render();
    expectMatrix(probe->seen,
                 lookAtMatrix(parent, k_Vector3(0, 0, 0), k_Vector3(0, 0, -1), k_Vector3(0, 1, 0)));

    camera->setPosition(k_Vector3(12.5f, 3, -7));
    camera->setLookAt(k_Vector3(-4, 0.25f, 20));
    camera->setUp(k_Vector3(0.3f, 1, 0.1f));
    camera->render();
    EXPECT_EQ(probe->renders, 2);
    expectMatrix(probe->seen,
                 lookAtMatrix(parent, camera->getPosition(), camera->getLookAt(), camera->getUp()));

    expectMatrix(currentMatrix(GL_MODELVIEW_MATRIX), parent);
    EXPECT_EQ(currentInteger(GL_MODELVIEW_STACK_DEPTH), depthBefore);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    delete camera; // deletes the probe with it
    glLoadIdentity();
}
