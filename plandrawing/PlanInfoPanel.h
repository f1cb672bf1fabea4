#pragma once

#include <string>
#include <vector>

#include "scenegraph/ScreenText.h"

// The plan overlay's corner of words: what runs (scene, planner), when (scene time), how well
// the target is seen, and what each colour of the drawing means, on a dark translucent panel
// so that it reads over a bright sky and a dark one alike.
// GL state: draw() changes both matrices, the viewport, the scissor test, blending and the
// current colour; the
// overlay calls it inside its own save and restore of every state.
class k_PlanInfoPanel {
public:
    struct LegendEntry {
        k_ScreenText::Colour colour;
        std::string label;
    };

    /// Pixels between the panel's edge and its text, and between lines of the legend.
    static constexpr int padding = 6;
    static constexpr int legendLineHeight = 12;
    /// The colour sample before each legend label.
    static constexpr int swatchWidth = 14;
    static constexpr int swatchHeight = 7;
    static constexpr int swatchGap = 6;
    /// The panel's opacity: dark enough for white text on a white cloud.
    static constexpr float panelOpacity = 0.6f;
    static constexpr k_ScreenText::Colour textColour{255, 255, 255};

    /// The caption above the legend: the scene and planner, then the scene time and the share
    /// of the target seen (a dash without a target).
    static std::string caption(const std::string& sceneName, const std::string& plannerWord,
                               double sceneTime, bool hasTarget, double visibleShare);

    /// The panel's size in pixels.
    static int width(const std::string& caption, const std::vector<LegendEntry>& legend);
    static int height(const std::string& caption, const std::vector<LegendEntry>& legend);

    /// Draws the panel with its top-left corner at window pixel (left, top); `viewport` is the
    /// window's (x, y, width, height), which the panel's pixels are laid out in.
    static void draw(const std::string& caption, const std::vector<LegendEntry>& legend, int left,
                     int top, const int viewport[4]);
};
