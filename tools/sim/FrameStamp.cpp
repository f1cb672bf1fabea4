#include "tools/sim/FrameStamp.h"

// GLEW must come before any other GL header.
#include <GL/glew.h>

#include <cstdio>
#include <vector>

#include "scenes/PlanInfoPanel.h"

namespace {

const std::vector<k_PlanInfoPanel::LegendEntry> noLegend;

} // namespace

std::string k_FrameStamp::text(long frame, double sceneTime) {
    char text[64];
    std::snprintf(text, sizeof text, "frame %ld, t %.3f s", frame, sceneTime);
    return text;
}

int k_FrameStamp::width(const std::string& text) {
    return k_PlanInfoPanel::width(text, noLegend);
}

int k_FrameStamp::height(const std::string& text) {
    return k_PlanInfoPanel::height(text, noLegend);
}

void k_FrameStamp::draw(const std::string& text, int pictureWidth, int pictureHeight) {
    // The program is not part of the attribute groups.
    const GLhandleARB program = glGetHandleARB(GL_PROGRAM_OBJECT_ARB);
    GLint activeUnit = GL_TEXTURE0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &activeUnit);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();

    // What the last node of a frame may leave on and the panel's flat quad must not take.
    glUseProgramObjectARB(0);
    for (GLenum capability : {GL_LIGHTING, GL_DEPTH_TEST, GL_FOG, GL_CULL_FACE, GL_ALPHA_TEST,
                              GL_STENCIL_TEST, GL_COLOR_LOGIC_OP}) {
        glDisable(capability);
    }
    GLint textureUnits = 1;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &textureUnits);
    for (GLint unit = 0; unit < textureUnits; ++unit) {
        glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + unit));
        glDisable(GL_TEXTURE_2D);
    }
    glActiveTexture(GL_TEXTURE0);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);

    const int viewport[4] = {0, 0, pictureWidth, pictureHeight};
    k_PlanInfoPanel::draw(text, noLegend, pictureWidth - margin - width(text),
                          pictureHeight - margin, viewport);

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
    glActiveTexture(static_cast<GLenum>(activeUnit));
    glUseProgramObjectARB(program);
}
