#include "plandrawing/PlanInfoPanel.h"

// GLEW must come before any other GL header.
#include <GL/glew.h>

#include <algorithm>
#include <cstdio>

std::string k_PlanInfoPanel::caption(const std::string& sceneName, const std::string& plannerWord,
                                     double sceneTime, bool hasTarget, double visibleShare) {
    char when[96];
    if (hasTarget) {
        std::snprintf(when, sizeof when, "t %.2f s, target seen %.0f %%", sceneTime,
                      100.0 * visibleShare);
    } else {
        std::snprintf(when, sizeof when, "t %.2f s, no target", sceneTime);
    }
    const std::string what = sceneName.empty() ? std::string("No scene") : sceneName;
    return what + ", planner " + plannerWord + "\n" + when;
}

int k_PlanInfoPanel::width(const std::string& caption, const std::vector<LegendEntry>& legend) {
    int widest = k_ScreenText::width(caption);
    for (const LegendEntry& entry : legend) {
        widest = std::max(widest, swatchWidth + swatchGap + k_ScreenText::width(entry.label));
    }
    return widest + 2 * padding;
}

int k_PlanInfoPanel::height(const std::string& caption, const std::vector<LegendEntry>& legend) {
    return 2 * padding + k_ScreenText::height(caption) +
           static_cast<int>(legend.size()) * legendLineHeight + (legend.empty() ? 0 : padding);
}

void k_PlanInfoPanel::draw(const std::string& caption, const std::vector<LegendEntry>& legend,
                           int left, int top, const int viewport[4]) {
    const int panelWidth = width(caption, legend);
    const int panelHeight = height(caption, legend);
    // Window pixels, whatever the viewport and scissor box were.
    glDisable(GL_SCISSOR_TEST);
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(viewport[0], viewport[0] + viewport[2], viewport[1], viewport[1] + viewport[3], -1.0,
            1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(0.0f, 0.0f, 0.0f, panelOpacity);
    glRecti(left, top - panelHeight, left + panelWidth, top);
    glDisable(GL_BLEND);

    const int textLeft = left + padding;
    k_ScreenText::draw(caption, textLeft, top - padding, textColour);
    int lineTop = top - padding - k_ScreenText::height(caption) - padding;
    for (const LegendEntry& entry : legend) {
        // The swatch sits on the middle of the label's capitals.
        const int swatchTop = lineTop - (k_ScreenText::ascent - swatchHeight) / 2;
        glColor3ub(entry.colour.r, entry.colour.g, entry.colour.b);
        glRecti(textLeft, swatchTop - swatchHeight, textLeft + swatchWidth, swatchTop);
        k_ScreenText::draw(entry.label, textLeft + swatchWidth + swatchGap, lineTop, textColour);
        lineTop -= legendLineHeight;
    }
}
