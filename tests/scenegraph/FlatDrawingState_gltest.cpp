// Drawing over a finished frame: inside the guard the scene's features are off, after it
// every piece of state is as before, whether the matrices were saved or left to the caller.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "scenegraph/FlatDrawingState.h"
#include "support/GlState.h"

namespace {

// The matrices saved or not, and the matrix the caller left selected: the guard must give back
// whichever it was, not the model-view matrix its own last call selects.
struct Guarded {
    k_FlatDrawingState::Matrices matrices;
    GLenum selected;
    const char* name;
};

void PrintTo(const Guarded& guarded, std::ostream* out) {
    *out << guarded.name;
}

class FlatDrawingStateGl : public ::testing::TestWithParam<Guarded> {
protected:
    void SetUp() override {
        program = makeSolidColourProgram(vertexShader, fragmentShader);
        ASSERT_TRUE(isProgramLinked(program));
        glActiveTexture(GL_TEXTURE1);
        glEnable(GL_TEXTURE_2D);
        glActiveTexture(GL_TEXTURE0);
        setAwkwardGlState(program);
        glMatrixMode(GetParam().selected);
    }
    void TearDown() override {
        glActiveTexture(GL_TEXTURE1);
        glDisable(GL_TEXTURE_2D);
        glActiveTexture(GL_TEXTURE0);
        resetAwkwardGlState();
        deleteProgramAndShaders(program, vertexShader, fragmentShader);
    }
    GLhandleARB program = 0;
    GLhandleARB vertexShader = 0;
    GLhandleARB fragmentShader = 0;
};

TEST_P(FlatDrawingStateGl, SwitchesTheScenesFeaturesOffAndPutsEverythingBack) {
    const std::vector<GlStateEntry> before = readGlState();
    const GLint projectionDepth = currentInteger(GL_PROJECTION_STACK_DEPTH);
    {
        const k_FlatDrawingState flat(GetParam().matrices);
        EXPECT_EQ(glGetHandleARB(GL_PROGRAM_OBJECT_ARB), 0u);
        for (GLenum capability : {GL_DEPTH_TEST, GL_BLEND, GL_LIGHTING, GL_FOG, GL_CULL_FACE}) {
            EXPECT_FALSE(glIsEnabled(capability)) << capability;
        }
        // Every unit's texture is off, not only the active one's.
        glActiveTexture(GL_TEXTURE1);
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
        glActiveTexture(GL_TEXTURE0);
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
        const bool saved = GetParam().matrices == k_FlatDrawingState::Matrices::save;
        EXPECT_EQ(currentInteger(GL_PROJECTION_STACK_DEPTH), projectionDepth + (saved ? 1 : 0));
        if (saved) {
            // What the drawing does to the matrices goes with the guard.
            glMatrixMode(GL_PROJECTION);
            glLoadIdentity();
            glOrtho(0.0, 800.0, 0.0, 600.0, -1.0, 1.0);
            glMatrixMode(GL_MODELVIEW);
            glLoadIdentity();
        }
        glEnable(GL_BLEND);
        glActiveTexture(GL_TEXTURE2);
    }
    EXPECT_EQ(glStateDifferences(before, readGlState()), "");
    EXPECT_EQ(glGetHandleARB(GL_PROGRAM_OBJECT_ARB), program);
    EXPECT_EQ(currentInteger(GL_ACTIVE_TEXTURE), GL_TEXTURE0);
}

using Matrices = k_FlatDrawingState::Matrices;
INSTANTIATE_TEST_SUITE_P(
    Matrices, FlatDrawingStateGl,
    ::testing::Values(Guarded{Matrices::save, GL_MODELVIEW, "save_modelview_selected"},
                      Guarded{Matrices::save, GL_PROJECTION, "save_projection_selected"},
                      Guarded{Matrices::save, GL_TEXTURE, "save_texture_selected"},
                      Guarded{Matrices::keep, GL_MODELVIEW, "keep_modelview_selected"},
                      Guarded{Matrices::keep, GL_PROJECTION, "keep_projection_selected"}),
    [](const ::testing::TestParamInfo<Guarded>& info) { return std::string(info.param.name); });

} // namespace
