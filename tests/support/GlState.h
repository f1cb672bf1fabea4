#pragma once

// Small readers of OpenGL state for the GL tests.
#include <GL/glew.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "scenegraph/ShaderUtils.h"

inline std::array<float, 16> currentMatrix(GLenum which) {
    std::array<float, 16> values{};
    glGetFloatv(which, values.data());
    return values;
}

inline GLint currentInteger(GLenum which) {
    GLint value = 0;
    glGetIntegerv(which, &value);
    return value;
}

/// One named piece of GL state and its values, as glGet* reads them.
struct GlStateEntry {
    std::string name;
    std::vector<double> values;
};

/// The state that drawings over a finished frame (text, the plan) are likely to touch: enables,
/// the bound program and buffers, blending and depth settings, sizes, colours, matrices, the
/// raster position and the pixel-store settings.
inline std::vector<GlStateEntry> readGlState() {
    std::vector<GlStateEntry> state;
    auto enabled = [&state](const char* name, GLenum which) {
        state.push_back({name, {glIsEnabled(which) ? 1.0 : 0.0}});
    };
    auto numbers = [&state](const char* name, GLenum which, int count) {
        std::vector<GLdouble> values(16, 0.0);
        glGetDoublev(which, values.data());
        values.resize(static_cast<std::size_t>(count));
        state.push_back({name, std::vector<double>(values.begin(), values.end())});
    };
    enabled("depth test", GL_DEPTH_TEST);
    enabled("blend", GL_BLEND);
    enabled("lighting", GL_LIGHTING);
    enabled("fog", GL_FOG);
    enabled("alpha test", GL_ALPHA_TEST);
    enabled("stencil test", GL_STENCIL_TEST);
    enabled("scissor test", GL_SCISSOR_TEST);
    enabled("cull face", GL_CULL_FACE);
    enabled("line smooth", GL_LINE_SMOOTH);
    enabled("line stipple", GL_LINE_STIPPLE);
    enabled("colour material", GL_COLOR_MATERIAL);
    enabled("normalize", GL_NORMALIZE);
    enabled("rescale normal", GL_RESCALE_NORMAL);
    enabled("light 0", GL_LIGHT0);
    GLint units = 1;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &units);
    GLint active = GL_TEXTURE0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    for (GLint unit = 0; unit < units; ++unit) {
        glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + unit));
        const std::string prefix = "unit " + std::to_string(unit) + ' ';
        state.push_back({prefix + "texture 2D", {glIsEnabled(GL_TEXTURE_2D) ? 1.0 : 0.0}});
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        state.push_back({prefix + "bound 2D texture", {static_cast<double>(bound)}});
    }
    glActiveTexture(static_cast<GLenum>(active));
    state.push_back({"active texture", {static_cast<double>(active)}});
    state.push_back({"program", {static_cast<double>(glGetHandleARB(GL_PROGRAM_OBJECT_ARB))}});
    numbers("unpack buffer", GL_PIXEL_UNPACK_BUFFER_BINDING, 1);
    numbers("array buffer", GL_ARRAY_BUFFER_BINDING, 1);
    numbers("blend source", GL_BLEND_SRC, 1);
    numbers("blend destination", GL_BLEND_DST, 1);
    numbers("depth function", GL_DEPTH_FUNC, 1);
    numbers("depth write mask", GL_DEPTH_WRITEMASK, 1);
    numbers("colour write mask", GL_COLOR_WRITEMASK, 4);
    numbers("line width", GL_LINE_WIDTH, 1);
    numbers("point size", GL_POINT_SIZE, 1);
    numbers("current colour", GL_CURRENT_COLOR, 4);
    numbers("clear colour", GL_COLOR_CLEAR_VALUE, 4);
    numbers("viewport", GL_VIEWPORT, 4);
    numbers("scissor box", GL_SCISSOR_BOX, 4);
    numbers("matrix mode", GL_MATRIX_MODE, 1);
    numbers("model-view matrix", GL_MODELVIEW_MATRIX, 16);
    numbers("projection matrix", GL_PROJECTION_MATRIX, 16);
    numbers("texture matrix", GL_TEXTURE_MATRIX, 16);
    numbers("model-view depth", GL_MODELVIEW_STACK_DEPTH, 1);
    numbers("projection depth", GL_PROJECTION_STACK_DEPTH, 1);
    numbers("attribute depth", GL_ATTRIB_STACK_DEPTH, 1);
    numbers("raster position", GL_CURRENT_RASTER_POSITION, 4);
    numbers("raster colour", GL_CURRENT_RASTER_COLOR, 4);
    numbers("unpack alignment", GL_UNPACK_ALIGNMENT, 1);
    numbers("unpack row length", GL_UNPACK_ROW_LENGTH, 1);
    numbers("unpack LSB first", GL_UNPACK_LSB_FIRST, 1);
    numbers("pack alignment", GL_PACK_ALIGNMENT, 1);
    numbers("shade model", GL_SHADE_MODEL, 1);
    numbers("polygon mode", GL_POLYGON_MODE, 2);
    return state;
}

/// The names and values of the entries that differ, one per line; empty when none does.
inline std::string glStateDifferences(const std::vector<GlStateEntry>& before,
                                      const std::vector<GlStateEntry>& after) {
    std::string report;
    for (std::size_t i = 0; i < before.size() && i < after.size(); ++i) {
        if (before[i].values == after[i].values) {
            continue;
        }
        report += before[i].name + ':';
        for (std::size_t j = 0; j < before[i].values.size(); ++j) {
            char text[64];
            std::snprintf(text, sizeof text, " %g->%g", before[i].values[j],
                          j < after[i].values.size() ? after[i].values[j] : 0.0);
            report += text;
        }
        report += '\n';
    }
    return report;
}

/// A linked program that paints every fragment one colour (0.2, 0.4, 0.6): bound before a
/// drawing that must not use it, it shows up in the picture if the drawing does.
inline GLhandleARB makeSolidColourProgram(GLhandleARB& vertexShader, GLhandleARB& fragmentShader) {
    vertexShader =
        compileVertexShaderText("void main() { gl_Position = ftransform(); }", "solid.vert");
    fragmentShader = compileFragmentShaderText(
        "void main() { gl_FragColor = vec4(0.2, 0.4, 0.6, 1.0); }", "solid.frag");
    return linkProgram(vertexShader, fragmentShader);
}

/// State a frame's tree may leave on, and that an overlay must neither rely on nor disturb:
/// the program bound, depth test on against a depth buffer, blending that would hide what is
/// drawn, lighting, a texture, a thick line and odd pixel-store settings.
inline void setAwkwardGlState(GLhandleARB program) {
    useProgram(program);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ZERO, GL_ONE);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_FOG);
    glEnable(GL_CULL_FACE);
    glLineWidth(5.0f);
    glPointSize(3.0f);
    glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_TRUE);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glTranslatef(0.5f, 0.0f, 0.0f);
    glMatrixMode(GL_MODELVIEW);
}

/// Undoes setAwkwardGlState, back to the defaults the tests start from.
inline void resetAwkwardGlState() {
    useProgram(0);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ZERO);
    glDisable(GL_LIGHTING);
    glDisable(GL_LIGHT0);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_FOG);
    glDisable(GL_CULL_FACE);
    glLineWidth(1.0f);
    glPointSize(1.0f);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
}
