// The generic node's OpenGL state as the nodes below it see it, read back from real GL.
#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "math/Constants.h"
#include "scenegraph/Artifact.h"
#include "scenegraph/GenericSceneNode.h"
#include "scenegraph/ShaderUtils.h"
#include "support/GlState.h"

namespace {

// What a node sees when its turn to draw comes.
struct Sample {
    std::array<float, 16> modelView;
    GLint stackDepth;
    bool lighting;
    bool light0;
    GLhandleARB program;
};

Sample sampleState() {
    Sample s;
    s.modelView = currentMatrix(GL_MODELVIEW_MATRIX);
    s.stackDepth = currentInteger(GL_MODELVIEW_STACK_DEPTH);
    s.lighting = glIsEnabled(GL_LIGHTING) == GL_TRUE;
    s.light0 = glIsEnabled(GL_LIGHT0) == GL_TRUE;
    s.program = glGetHandleARB(GL_PROGRAM_OBJECT_ARB);
    return s;
}

class k_ProbeNode : public k_SceneNode {
public:
    explicit k_ProbeNode(std::vector<Sample>* log) : samples(log) {}
    const char* getTypeName() const override { return "ProbeNode"; }

protected:
    void beginRender() override { samples->push_back(sampleState()); }
    void endRender() override {}

private:
    std::vector<Sample>* samples;
};

// A body whose shape is a state sample, to see the frame drawShape() runs in.
class k_ProbeArtifact : public k_Artifact {
public:
    explicit k_ProbeArtifact(std::vector<Sample>* log) : samples(log) {}
    float getRadius() const override { return 0.0f; }

protected:
    void drawShape() override { samples->push_back(sampleState()); }

private:
    std::vector<Sample>* samples;
};

using Matrix = std::array<double, 16>; // column-major, as OpenGL stores it

Matrix multiply(const Matrix& a, const Matrix& b) {
    Matrix r{};
    for (int col = 0; col < 4; ++col) {
        for (int row = 0; row < 4; ++row) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) {
                sum += a[k * 4 + row] * b[col * 4 + k];
            }
            r[col * 4 + row] = sum;
        }
    }
    return r;
}

Matrix identity() {
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

Matrix translation(double x, double y, double z) {
    Matrix m = identity();
    m[12] = x;
    m[13] = y;
    m[14] = z;
    return m;
}

Matrix scaling(double x, double y, double z) {
    Matrix m = identity();
    m[0] = x;
    m[5] = y;
    m[10] = z;
    return m;
}

// Rotation by `degrees` about coordinate axis `axis` (0 = x, 1 = y, 2 = z).
Matrix rotation(double degrees, int axis) {
    const double r = degrees * pi / 180.0;
    const double c = std::cos(r);
    const double s = std::sin(r);
    const int i = (axis + 1) % 3;
    const int j = (axis + 2) % 3;
    Matrix m = identity();
    m[i * 4 + i] = c;
    m[i * 4 + j] = s;
    m[j * 4 + i] = -s;
    m[j * 4 + j] = c;
    return m;
}

void expectMatrixNear(const std::array<float, 16>& actual, const Matrix& expected) {
    for (int k = 0; k < 16; ++k) {
        // Single-precision sines and products of GL: a few ulps of values up to ~5.
        EXPECT_NEAR(actual[k], expected[k], 2e-5) << "element " << k;
    }
}

class GenericSceneNodeGl : public ::testing::Test {
protected:
    void SetUp() override {
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_LIGHTING);
        glDisable(GL_LIGHT0);
        glUseProgramObjectARB(0);
    }
    std::vector<Sample> samples;
};

} // namespace

TEST_F(GenericSceneNodeGl, TransformIsTranslationThenRotationsXYZThenScale) {
    k_GenericSceneNode node;
    node.setTranslation(k_Vector3(1.0f, -2.0f, 3.5f));
    node.setRotation(k_Vector3(30.0f, 45.0f, -60.0f));
    node.setScale(k_Vector3(2.0f, 0.5f, 4.0f));
    node.addChild(new k_ProbeNode(&samples));
    const GLint depthBefore = currentInteger(GL_MODELVIEW_STACK_DEPTH);
    node.render();

    const Matrix worldFromBody =
        multiply(multiply(multiply(multiply(translation(1.0, -2.0, 3.5), rotation(30.0, 0)),
                                   rotation(45.0, 1)),
                          rotation(-60.0, 2)),
                 scaling(2.0, 0.5, 4.0));
    ASSERT_EQ(samples.size(), 1u);
    expectMatrixNear(samples[0].modelView, worldFromBody);
    EXPECT_EQ(samples[0].stackDepth, depthBefore + 1);
    EXPECT_EQ(currentInteger(GL_MODELVIEW_STACK_DEPTH), depthBefore);
    expectMatrixNear(currentMatrix(GL_MODELVIEW_MATRIX), identity());
}

TEST_F(GenericSceneNodeGl, BodyShapeAndChildrenShareTheBodyFrame) {
    glTranslatef(0.0f, 0.0f, -10.0f); // the parent's frame, e.g. a camera's view
    k_ProbeArtifact* body = new k_ProbeArtifact(&samples);
    body->setRotation(k_Vector3(0.0f, 90.0f, 0.0f));
    body->addChild(new k_ProbeNode(&samples));
    k_GenericSceneNode group;
    group.addChild(body);
    group.render();

    const Matrix expected = multiply(translation(0.0, 0.0, -10.0), rotation(90.0, 1));
    ASSERT_EQ(samples.size(), 2u); // the shape first, then the child
    expectMatrixNear(samples[0].modelView, expected);
    expectMatrixNear(samples[1].modelView, expected);
}

TEST_F(GenericSceneNodeGl, UnsetTransformPushesNothingAndZeroScaleIsApplied) {
    const GLint depthBefore = currentInteger(GL_MODELVIEW_STACK_DEPTH);
    k_GenericSceneNode bare;
    bare.addChild(new k_ProbeNode(&samples));
    bare.render();
    k_GenericSceneNode collapsed;
    collapsed.setScale(k_Vector3(0.0f, 0.0f, 0.0f));
    collapsed.addChild(new k_ProbeNode(&samples));
    collapsed.render();

    ASSERT_EQ(samples.size(), 2u);
    EXPECT_EQ(samples[0].stackDepth, depthBefore);
    expectMatrixNear(samples[0].modelView, identity());
    EXPECT_EQ(samples[1].stackDepth, depthBefore + 1);
    expectMatrixNear(samples[1].modelView, scaling(0.0, 0.0, 0.0));
}

TEST_F(GenericSceneNodeGl, InnerLightSwitchesLightingOffForLaterSiblings) {
    const k_Vector4 grey(0.5f, 0.5f, 0.5f, 1.0f);
    k_GenericSceneNode outer;
    outer.setLight(grey, grey, grey, k_Vector4(0.0f, 0.0f, 1.0f, 0.0f));
    // The node's own rotation must not turn its light: the position is taken in the parent's
    // frame, before the transform.
    outer.setRotation(k_Vector3(0.0f, 90.0f, 0.0f));
    k_GenericSceneNode* inner = new k_GenericSceneNode();
    inner->setLight(grey, grey, grey, k_Vector4(0.0f, 1.0f, 0.0f, 0.0f));
    inner->addChild(new k_ProbeNode(&samples));
    outer.addChild(new k_ProbeNode(&samples));
    outer.addChild(inner);
    outer.addChild(new k_ProbeNode(&samples));
    outer.render();

    ASSERT_EQ(samples.size(), 3u);
    EXPECT_TRUE(samples[0].lighting && samples[0].light0);
    EXPECT_TRUE(samples[1].lighting && samples[1].light0);
    EXPECT_FALSE(samples[2].lighting || samples[2].light0);
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_EQ(currentInteger(GL_LIGHT_MODEL_TWO_SIDE), 1);

    k_GenericSceneNode single;
    single.setLight(grey, grey, grey, k_Vector4(0.0f, 0.0f, 1.0f, 0.0f));
    single.setRotation(k_Vector3(0.0f, 90.0f, 0.0f));
    single.render();
    GLfloat position[4];
    glGetLightfv(GL_LIGHT0, GL_POSITION, position);
    EXPECT_NEAR(position[0], 0.0f, 1e-6);
    EXPECT_NEAR(position[2], 1.0f, 1e-6);
}

TEST_F(GenericSceneNodeGl, MaterialStaysAfterTheNode) {
    k_GenericSceneNode node;
    node.setMaterial(k_Vector4(0.1f, 0.2f, 0.3f, 1.0f), k_Vector4(0.4f, 0.5f, 0.6f, 1.0f),
                     k_Vector4(0.7f, 0.8f, 0.9f, 1.0f), 5.0f);
    node.render();
    GLfloat diffuse[4];
    glGetMaterialfv(GL_BACK, GL_DIFFUSE, diffuse);
    EXPECT_FLOAT_EQ(diffuse[1], 0.5f);
    GLfloat shininess = 0.0f;
    glGetMaterialfv(GL_FRONT, GL_SHININESS, &shininess);
    EXPECT_FLOAT_EQ(shininess, 5.0f);
}

TEST_F(GenericSceneNodeGl, InnerShaderSelectsFixedFunctionForLaterSiblings) {
    // Nodes given the same files share one program; a copy of the fragment stage with one more
    // line gives the inner node a program of its own, to tell the two apart.
    char* text = readTextFile("phong.frag");
    ASSERT_NE(text, nullptr);
    const std::string copy = "/tmp/veltrava-inner-" + std::to_string(getpid()) + ".frag";
    std::FILE* file = std::fopen(copy.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fprintf(file, "%s\n// inner\n", text);
    std::fclose(file);
    delete[] text;

    k_GenericSceneNode outer;
    outer.setShader("phong.vert", "phong.frag");
    k_GenericSceneNode* inner = new k_GenericSceneNode();
    inner->setShader("phong.vert", copy.c_str());
    std::remove(copy.c_str());
    inner->addChild(new k_ProbeNode(&samples));
    outer.addChild(new k_ProbeNode(&samples));
    outer.addChild(inner);
    outer.addChild(new k_ProbeNode(&samples));
    outer.render();

    ASSERT_NE(outer.getShaderProgram(), 0u);
    ASSERT_NE(inner->getShaderProgram(), outer.getShaderProgram());
    ASSERT_EQ(samples.size(), 3u);
    EXPECT_EQ(samples[0].program, outer.getShaderProgram());
    EXPECT_EQ(samples[1].program, inner->getShaderProgram());
    EXPECT_EQ(samples[2].program, 0u);
    EXPECT_EQ(glGetHandleARB(GL_PROGRAM_OBJECT_ARB), 0u);
}
