// The plan's corner of words: its caption, and the panel drawn over a frame.
#include <GL/glew.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plandrawing/PlanInfoPanel.h"

namespace {

TEST(PlanInfoPanelCaption, SaysWhatRunsWhenAndHowMuchOfTheTargetIsSeen) {
    EXPECT_EQ(k_PlanInfoPanel::caption("Scene 2", "visibility", 12.345, true, 0.871),
              "Scene 2, planner visibility\nt 12.35 s, target seen 87 %");
    EXPECT_EQ(k_PlanInfoPanel::caption("Scene 4", "default", 0.0, false, 0.5),
              "Scene 4, planner default\nt 0.00 s, no target");
    EXPECT_EQ(k_PlanInfoPanel::caption("", "default", 1.0, true, 1.0),
              "No scene, planner default\nt 1.00 s, target seen 100 %");
}

int inkedPixels(const std::string& text) {
    int count = 0;
    for (char character : text) {
        for (int row = 0; row < k_ScreenText::ascent + k_ScreenText::descent; ++row) {
            for (int column = 0; column < k_ScreenText::glyphWidth; ++column) {
                count += character != '\n' && k_ScreenText::isInked(character, column, row) ? 1 : 0;
            }
        }
    }
    return count;
}

TEST(PlanInfoPanelGl, DarkensWhatIsBehindItAndShowsEveryWordAndColour) {
    constexpr int width = 800, height = 600;
    const int viewport[4] = {0, 0, width, height};
    glViewport(0, 0, width, height);
    glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    const std::string caption = "Scene 1, planner default\nt 3.00 s, target seen 50 %";
    const std::vector<k_PlanInfoPanel::LegendEntry> legend{{{255, 0, 255}, "target"},
                                                           {{0, 255, 255}, "blockers"}};
    const int left = 8, top = height - 8;
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    k_PlanInfoPanel::draw(caption, legend, left, top, viewport);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();

    std::vector<unsigned char> rgb(width * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    auto pixel = [&rgb](int column, int row) { return &rgb[3 * (row * width + column)]; };

    const int panelWidth = k_PlanInfoPanel::width(caption, legend);
    const int panelHeight = k_PlanInfoPanel::height(caption, legend);
    int white = 0, shaded = 0, untouched = 0;
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            const unsigned char* at = pixel(column, row);
            const bool inside = column >= left && column < left + panelWidth &&
                                row >= top - panelHeight && row < top;
            if (at[0] == 255 && at[1] == 255 && at[2] == 255) {
                white += inside ? 1 : 1000; // text outside the panel is a fault
            } else if (inside && at[0] < 70 && at[0] > 25 && at[0] == at[1]) {
                ++shaded; // grey behind a 60 % black: 128 * 0.4, about 51
            } else if (!inside && at[0] >= 127 && at[0] <= 128) {
                ++untouched;
            }
        }
    }
    std::string words = caption;
    for (const auto& entry : legend) {
        words += entry.label;
    }
    EXPECT_EQ(white, inkedPixels(words));
    EXPECT_GT(shaded, panelWidth * panelHeight / 2);
    EXPECT_EQ(untouched, width * height - panelWidth * panelHeight);
    // Each colour's sample shows the colour itself.
    int lineTop =
        top - k_PlanInfoPanel::padding - k_ScreenText::height(caption) - k_PlanInfoPanel::padding;
    for (const auto& entry : legend) {
        const unsigned char* sample =
            pixel(left + k_PlanInfoPanel::padding + k_PlanInfoPanel::swatchWidth / 2,
                  lineTop - k_ScreenText::ascent / 2 - 1);
        EXPECT_EQ(sample[0], entry.colour.r) << entry.label;
        EXPECT_EQ(sample[1], entry.colour.g) << entry.label;
        EXPECT_EQ(sample[2], entry.colour.b) << entry.label;
        lineTop -= k_PlanInfoPanel::legendLineHeight;
    }
}

} // namespace
