#include "scenegraph/FlatDrawingState.h"

#include <initializer_list>

k_FlatDrawingState::k_FlatDrawingState(Matrices matricesToSave) : matrices(matricesToSave) {
    program = glGetHandleARB(GL_PROGRAM_OBJECT_ARB);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &activeUnit);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    if (matrices == Matrices::save) {
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
    }

    glUseProgramObjectARB(0);
    for (GLenum capability : {GL_LIGHTING, GL_DEPTH_TEST, GL_STENCIL_TEST, GL_ALPHA_TEST, GL_BLEND,
                              GL_FOG, GL_CULL_FACE, GL_COLOR_LOGIC_OP, GL_LINE_SMOOTH,
                              GL_POINT_SMOOTH, GL_LINE_STIPPLE, GL_SCISSOR_TEST}) {
        glDisable(capability);
    }
    GLint textureUnits = 1;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &textureUnits);
    for (GLint unit = 0; unit < textureUnits; ++unit) {
        glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + unit));
        for (GLenum target : {GL_TEXTURE_1D, GL_TEXTURE_2D, GL_TEXTURE_3D, GL_TEXTURE_CUBE_MAP}) {
            glDisable(target);
        }
    }
    glActiveTexture(GL_TEXTURE0);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

k_FlatDrawingState::~k_FlatDrawingState() {
    if (matrices == Matrices::save) {
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
        glPopMatrix();
    }
    glPopAttrib();
    glActiveTexture(static_cast<GLenum>(activeUnit));
    glUseProgramObjectARB(program);
}
