// Display lists of spheres and polyhedra in a real context.
#include <gtest/gtest.h>

#include <vector>

#include "scenegraph/Icosahedron.h"
#include "scenegraph/Sphere.h"
#include "support/GlState.h"

namespace {

class k_MatrixProbe : public k_SceneNode {
public:
    explicit k_MatrixProbe(std::array<float, 16>* out) : matrix(out) {}
    const char* getTypeName() const override { return "MatrixProbe"; }

protected:
    void beginRender() override { *matrix = currentMatrix(GL_MODELVIEW_MATRIX); }
    void endRender() override {}

private:
    std::array<float, 16>* matrix;
};

unsigned int listOf(int slices, int stacks) {
    const auto found = sphereDisplayLists.find(std::make_pair(slices, stacks));
    return found == sphereDisplayLists.end() ? 0u : found->second;
}

// Triangles that reach the rasteriser while `draw` runs, counted in feedback mode.
template <typename Draw> int countPolygons(Draw draw) {
    std::vector<GLfloat> buffer(200000);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint used = glRenderMode(GL_RENDER);
    int polygons = 0;
    for (GLint i = 0; i < used;) {
        const GLint token = static_cast<GLint>(buffer[i]);
        if (token == GL_POLYGON_TOKEN) {
            const GLint vertices = static_cast<GLint>(buffer[i + 1]);
            ++polygons;
            i += 2 + vertices * 3;
        } else {
            ADD_FAILURE() << "unexpected feedback token " << token;
            break;
        }
    }
    return polygons;
}

class ShapesGl : public ::testing::Test {
protected:
    void SetUp() override {
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_CULL_FACE);
    }
    void TearDown() override {
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
    }
};

} // namespace

TEST_F(ShapesGl, SpheresOfOneTessellationShareOneList) {
    const size_t before = sphereDisplayLists.size();
    k_Sphere* small = new k_Sphere(23, 17);
    const unsigned int list = listOf(23, 17);
    k_Sphere* large = new k_Sphere(23, 17);
    EXPECT_EQ(sphereDisplayLists.size(), before + 1);
    EXPECT_NE(list, 0u);
    EXPECT_TRUE(glIsList(list));
    EXPECT_EQ(listOf(23, 17), list);

    small->setRadius(2.0f);
    large->setRadius(5.0f);
    EXPECT_EQ(small->getRadius(), 2.0f);
    EXPECT_EQ(large->getRadius(), 5.0f);
    std::array<float, 16> inSmall{};
    std::array<float, 16> inLarge{};
    small->addChild(new k_MatrixProbe(&inSmall));
    large->addChild(new k_MatrixProbe(&inLarge));
    EXPECT_EQ(countPolygons([&] { small->render(); }), countPolygons([&] { large->render(); }));
    EXPECT_FLOAT_EQ(inSmall[0], 2.0f);
    EXPECT_FLOAT_EQ(inSmall[10], 2.0f);
    EXPECT_FLOAT_EQ(inLarge[5], 5.0f);

    // Deleting the spheres leaves the list; a later sphere compiles nothing new.
    delete small;
    delete large;
    EXPECT_TRUE(glIsList(list));
    k_Sphere again(23, 17);
    EXPECT_EQ(listOf(23, 17), list);
    EXPECT_EQ(sphereDisplayLists.size(), before + 1);
}

TEST_F(ShapesGl, SlicesAndStacksAreDistinctKeys) {
    k_Sphere a(5, 3);
    k_Sphere b(3, 5);
    EXPECT_NE(listOf(5, 3), 0u);
    EXPECT_NE(listOf(3, 5), 0u);
    EXPECT_NE(listOf(5, 3), listOf(3, 5));
}

TEST_F(ShapesGl, UnsizedSphereIsTheUnitListAsIs) {
    k_Sphere sphere(6, 4);
    EXPECT_EQ(sphere.getRadius(), 1.0f);
    EXPECT_FALSE(sphere.getHasScale());
    std::array<float, 16> inside{};
    sphere.addChild(new k_MatrixProbe(&inside));
    // 6 slices x 4 stacks: two fans of 6 triangles and two rings of 6 quads.
    EXPECT_GT(countPolygons([&] { sphere.render(); }), 0);
    EXPECT_EQ(inside[0], 1.0f);
    EXPECT_EQ(inside[12], 0.0f);
}

TEST_F(ShapesGl, PolyhedronIsCompiledOnceOnTheFirstDraw) {
    k_Icosahedron body(0);
    body.setScale(k_Vector3(0.5f, 0.5f, 0.5f)); // well inside the clip volume
    EXPECT_EQ(body.getDisplayList(), -1);
    EXPECT_EQ(countPolygons([&] { body.render(); }), 20);
    const int list = body.getDisplayList();
    ASSERT_NE(list, -1);
    EXPECT_TRUE(glIsList(static_cast<GLuint>(list)));

    // Later changes to the mesh are not drawn: the second draw only calls the list.
    body.subdivide();
    EXPECT_EQ(countPolygons([&] { body.render(); }), 20);
    EXPECT_EQ(body.getDisplayList(), list);
}

TEST_F(ShapesGl, FlatNormalsPointOutOfTheBareIcosahedron) {
    // Lit from the viewer's side with no ambient: front faces (normal toward +z) are bright
    // and the colour comes out of lighting, which only an outward normal gives.
    k_Icosahedron body(0);
    body.setScale(k_Vector3(0.5f, 0.5f, 0.5f));
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_NORMALIZE);
    const GLfloat towardViewer[4] = {0.0f, 0.0f, 1.0f, 0.0f};
    const GLfloat none[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, towardViewer);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, none);
    glLightModelf(GL_LIGHT_MODEL_TWO_SIDE, 0.0f);
    std::vector<GLfloat> buffer(20000);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR, buffer.data());
    glRenderMode(GL_FEEDBACK);
    body.render();
    const GLint used = glRenderMode(GL_RENDER);
    glDisable(GL_LIGHTING);
    glDisable(GL_LIGHT0);

    int litFacingViewer = 0;
    int facingViewer = 0;
    for (GLint i = 0; i + 1 < used;) {
        const GLint count = static_cast<GLint>(buffer[i + 1]);
        const GLfloat* v = &buffer[i + 2];
        // Window-space signed area: counter-clockwise on screen faces the viewer.
        const double area = (v[7] - v[0]) * (v[15] - v[1]) - (v[14] - v[0]) * (v[8] - v[1]);
        if (area > 0.0) {
            ++facingViewer;
            litFacingViewer += v[3] > 0.05f ? 1 : 0;
        }
        i += 2 + count * 7;
    }
    EXPECT_GT(facingViewer, 5);
    EXPECT_EQ(litFacingViewer, facingViewer);
}
