// The frame number and time in a saved picture's corner: where it lands, that the frame's
// leftover state does not change it, and that it leaves that state as it found it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/GlState.h"
#include "tools/sim/FrameStamp.h"

namespace {

constexpr int frameWidth = 800;
constexpr int frameHeight = 600;

std::vector<unsigned char> readFrame() {
    std::vector<unsigned char> rgb(static_cast<std::size_t>(frameWidth) * frameHeight * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, frameWidth, frameHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}

TEST(FrameStamp, SaysFrameAndTimeAsTheTraceDoes) {
    EXPECT_EQ(k_FrameStamp::text(120, 120 * 0.016), "frame 120, t 1.920 s");
    EXPECT_EQ(k_FrameStamp::text(1, 0.25), "frame 1, t 0.250 s");
}

TEST(FrameStamp, SitsInTheTopRightCornerWhateverStateTheFrameLeft) {
    GLhandleARB vertexShader = 0, fragmentShader = 0;
    const GLhandleARB program = makeSolidColourProgram(vertexShader, fragmentShader);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    setAwkwardGlState(program);
    const std::vector<GlStateEntry> before = readGlState();
    const std::string text = k_FrameStamp::text(4321, 69.136);
    k_FrameStamp::draw(text, frameWidth, frameHeight);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(glStateDifferences(before, readGlState()), "");
    resetAwkwardGlState();
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    deleteProgramAndShaders(program, vertexShader, fragmentShader);

    const std::vector<unsigned char> rgb = readFrame();
    const int right = frameWidth - k_FrameStamp::margin;
    const int top = frameHeight - k_FrameStamp::margin;
    const int left = right - k_FrameStamp::width(text);
    const int bottom = top - k_FrameStamp::height(text);
    long dark = 0, white = 0, other = 0;
    for (int row = 0; row < frameHeight; ++row) {
        for (int column = 0; column < frameWidth; ++column) {
            const unsigned char* pixel =
                &rgb[3 * (static_cast<std::size_t>(row) * frameWidth + column)];
            const bool grey = pixel[0] == pixel[1] && pixel[1] == pixel[2];
            const bool inside = column >= left && column < right && row >= bottom && row < top;
            if (!inside) {
                // Nothing outside the panel.
                ASSERT_EQ(pixel[0] + pixel[1] + pixel[2], 3 * 255) << column << ", " << row;
            } else if (grey && pixel[0] < 128) {
                ++dark;
            } else if (grey && pixel[0] == 255) {
                ++white;
            } else {
                ++other;
            }
        }
    }
    // A dark translucent ground with white letters on it, neither lit, textured nor shaded
    // by the program left bound.
    EXPECT_GT(dark, (right - left) * (top - bottom) / 2);
    EXPECT_GT(white, 100);
    EXPECT_EQ(other, 0);
}

} // namespace
