// Text from our own bitmap font: the glyph table, the pixels drawn, and the state left behind.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "scenegraph/ScreenText.h"
#include "support/GlState.h"

namespace {

constexpr int frameWidth = 800;
constexpr int frameHeight = 600;
constexpr int cellRows = k_ScreenText::ascent + k_ScreenText::descent;

std::string glyphPixels(char character) {
    std::string pixels;
    for (int row = 0; row < cellRows; ++row) {
        for (int column = 0; column < k_ScreenText::glyphWidth; ++column) {
            pixels += k_ScreenText::isInked(character, column, row) ? '#' : '.';
        }
    }
    return pixels;
}

TEST(ScreenTextFont, EveryPrintableCharacterHasItsOwnGlyphAndOthersDrawAsQuestionMarks) {
    std::set<std::string> seen;
    for (char character = '!'; character <= '~'; ++character) {
        const std::string pixels = glyphPixels(character);
        EXPECT_NE(pixels.find('#'), std::string::npos) << "no ink in '" << character << "'";
        EXPECT_TRUE(seen.insert(pixels).second) << "'" << character << "' repeats a glyph";
    }
    EXPECT_EQ(glyphPixels(' ').find('#'), std::string::npos);
    // No bit of the table lies outside the glyph's five columns.
    for (char character = ' '; character <= '~'; ++character) {
        for (int row = 0; row < cellRows; ++row) {
            EXPECT_FALSE(k_ScreenText::isInked(character, -1, row));
            EXPECT_FALSE(k_ScreenText::isInked(character, k_ScreenText::glyphWidth, row));
        }
    }
    for (char outside : {'\t', '\x7f', '\xb5', '\0'}) {
        EXPECT_EQ(glyphPixels(outside), glyphPixels('?')) << int(outside);
    }
    // Descenders reach below the baseline; capitals do not.
    EXPECT_TRUE(k_ScreenText::isInked('g', 1, cellRows - 1));
    EXPECT_FALSE(k_ScreenText::isInked('G', 1, k_ScreenText::ascent));
}

TEST(ScreenTextFont, SizeOfLinesCountsTheWidestLineAndEveryLine) {
    EXPECT_EQ(k_ScreenText::width(""), 0);
    EXPECT_EQ(k_ScreenText::width("A"), k_ScreenText::glyphWidth);
    EXPECT_EQ(k_ScreenText::width("ab\nabcd\nc"), 3 * k_ScreenText::advance + 5);
    EXPECT_EQ(k_ScreenText::width("abcd", 3), 3 * (3 * k_ScreenText::advance + 5));
    EXPECT_EQ(k_ScreenText::height("x"), cellRows);
    EXPECT_EQ(k_ScreenText::width("ab", 0), k_ScreenText::width("ab"));
    EXPECT_EQ(k_ScreenText::height("x\ny\n", 2), 2 * (2 * k_ScreenText::lineHeight + cellRows));
}

class ScreenTextGl : public ::testing::Test {
protected:
    void SetUp() override {
        glViewport(0, 0, frameWidth, frameHeight);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClearDepth(0.0); // every fragment fails a GL_LESS depth test
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glClearDepth(1.0);
        program = makeSolidColourProgram(vertexShader, fragmentShader);
        ASSERT_TRUE(isProgramLinked(program));
    }
    void TearDown() override {
        resetAwkwardGlState();
        deleteProgramAndShaders(program, vertexShader, fragmentShader);
    }

    std::vector<unsigned char> readFrame() const {
        std::vector<unsigned char> rgb(frameWidth * frameHeight * 3);
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, frameWidth, frameHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        return rgb;
    }

    GLhandleARB program = 0, vertexShader = 0, fragmentShader = 0;
};

// What a line of text should look like: glyph pixels of `scale` squares, `advance` apart,
// from the top-left corner (left, top); checks every pixel of the frame against it.
void expectTextPixels(const std::vector<unsigned char>& rgb, const std::string& text, int left,
                      int top, int scale, k_ScreenText::Colour colour) {
    int wrong = 0;
    for (int row = 0; row < frameHeight; ++row) {
        for (int column = 0; column < frameWidth; ++column) {
            bool inked = false;
            const int fromTop = top - 1 - row;
            const int fromLeft = column - left;
            if (fromTop >= 0 && fromLeft >= 0) {
                const std::size_t glyph =
                    static_cast<std::size_t>(fromLeft / (k_ScreenText::advance * scale));
                const int within = fromLeft % (k_ScreenText::advance * scale);
                inked = glyph < text.size() &&
                        k_ScreenText::isInked(text[glyph], within / scale, fromTop / scale);
            }
            const unsigned char* pixel = &rgb[3 * (static_cast<std::size_t>(row) * frameWidth +
                                                   static_cast<std::size_t>(column))];
            const bool shown = pixel[0] == colour.r && pixel[1] == colour.g && pixel[2] == colour.b;
            const bool black = pixel[0] == 0 && pixel[1] == 0 && pixel[2] == 0;
            if ((inked && !shown) || (!inked && !black)) {
                if (++wrong <= 5) {
                    ADD_FAILURE() << "pixel " << column << ", " << row << " is " << int(pixel[0])
                                  << ' ' << int(pixel[1]) << ' ' << int(pixel[2]) << ", expected "
                                  << (inked ? "ink" : "black");
                }
            }
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST_F(ScreenTextGl, GlyphsLandOnTheirPixelsWhateverStateTheFrameLeft) {
    setAwkwardGlState(program);
    const k_ScreenText::Colour yellow{255, 220, 0};
    k_ScreenText::draw("Ag|9", 100, 300, yellow);
    expectTextPixels(readFrame(), "Ag|9", 100, 300, 1, yellow);

    glClearDepth(0.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearDepth(1.0);
    k_ScreenText::draw("q%", 7, 40, yellow, 3);
    expectTextPixels(readFrame(), "q%", 7, 40, 3, yellow);
}

TEST_F(ScreenTextGl, LinesStepDownAndTextOffTheEdgeIsOnlyCut) {
    glClear(GL_COLOR_BUFFER_BIT);
    const k_ScreenText::Colour white{255, 255, 255};
    k_ScreenText::draw("T\nT", 50, 200, white);
    const std::vector<unsigned char> rgb = readFrame();
    // The T's bar: the first line's top row, and the second's a line height lower.
    for (int top : {200, 200 - k_ScreenText::lineHeight}) {
        for (int column = 50; column < 55; ++column) {
            EXPECT_EQ(rgb[3 * (static_cast<std::size_t>(top - 1) * frameWidth + column)], 255)
                << column << ", " << top - 1;
        }
    }
    // Starting left of and below the window, the part inside is still drawn.
    glClear(GL_COLOR_BUFFER_BIT);
    k_ScreenText::draw("HH", -3, 4, white);
    const std::vector<unsigned char> cut = readFrame();
    // The second H's left stem is at column 3, its cross bar's row is 3 below the top.
    EXPECT_EQ(cut[3 * (static_cast<std::size_t>(4 - 1 - 3) * frameWidth + 3)], 255);
}

TEST_F(ScreenTextGl, DrawingRestoresEveryStateItTouches) {
    setAwkwardGlState(program);
    GLuint unpackBuffer = 0;
    glGenBuffers(1, &unpackBuffer);
    glBindBuffer(GL_PIXEL_UNPACK_BUFFER, unpackBuffer);
    glBufferData(GL_PIXEL_UNPACK_BUFFER, 64, nullptr, GL_STATIC_DRAW);
    glActiveTexture(GL_TEXTURE1);
    glWindowPos2i(12, 34);
    const std::vector<GlStateEntry> before = readGlState();
    k_ScreenText::drawShadowed("Kept\nstate", 20, 100, {255, 255, 255}, {0, 0, 0}, 2);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    const std::vector<GlStateEntry> after = readGlState();
    EXPECT_EQ(glStateDifferences(before, after), "");
    glActiveTexture(GL_TEXTURE0);
    glBindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
    glDeleteBuffers(1, &unpackBuffer);
    // With an unpack buffer bound, the glyphs came from our own bytes, not from the buffer.
    const std::vector<unsigned char> rgb = readFrame();
    EXPECT_EQ(rgb[3 * (static_cast<std::size_t>(99) * frameWidth + 20)], 255);
}

} // namespace
