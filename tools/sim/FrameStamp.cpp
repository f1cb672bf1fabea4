#include "tools/sim/FrameStamp.h"

// GLEW must come before any other GL header.
#include <GL/glew.h>

#include <cstdio>
#include <vector>

#include "plandrawing/PlanInfoPanel.h"
#include "scenegraph/FlatDrawingState.h"

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
    // The panel's flat quad must not take on what the scene's last node left switched on.
    const k_FlatDrawingState flat(k_FlatDrawingState::Matrices::save);
    const int viewport[4] = {0, 0, pictureWidth, pictureHeight};
    k_PlanInfoPanel::draw(text, noLegend, pictureWidth - margin - width(text),
                          pictureHeight - margin, viewport);
}
