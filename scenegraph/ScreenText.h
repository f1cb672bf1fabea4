#pragma once

#include <string>

// Text in window pixels from a small font of our own (5x7 capitals, lower case with
// descenders, printable ASCII), drawn with glBitmap. GLUT's bitmap fonts would need GLUT
// initialised, which an off-screen EGL context never is; this font works in any context and
// gives the same pixels in the demo's window and in headless pictures.
// GL state: draw() sets what it needs (no program, no texturing, depth or stencil test,
// blending, fog or alpha test; its own pixel-unpack settings, no unpack buffer) and restores
// all of it, the current colour and the raster position included.
class k_ScreenText {
public:
    struct Colour {
        unsigned char r, g, b;
    };
    /// One glyph's ink and cell, in pixels at scale 1: capitals and digits are `ascent` high,
    /// descenders reach `descent` below the baseline, glyphs sit `advance` apart and lines
    /// `lineHeight` apart.
    static constexpr int glyphWidth = 5;
    static constexpr int ascent = 7;
    static constexpr int descent = 2;
    static constexpr int advance = 6;
    static constexpr int lineHeight = 11;

    /// Width of the widest line of `text` (lines end at '\n'), from the first glyph's left
    /// edge to the last one's right edge. A scale below 1 counts as 1, here and below.
    static int width(const std::string& text, int scale = 1);
    /// Height from the first line's top to the last line's lowest descender.
    static int height(const std::string& text, int scale = 1);

    /// Draws `text` with the top-left corner of its first line at window pixel (left, top),
    /// counted from the window's lower-left corner like glViewport; each glyph pixel becomes a
    /// square of `scale` pixels. Bytes outside printable ASCII draw as '?'.
    static void draw(const std::string& text, int left, int top, const Colour& colour,
                     int scale = 1);
    /// The same over a copy in `shadow` one scaled pixel lower right, so that it reads on light
    /// and dark ground alike.
    static void drawShadowed(const std::string& text, int left, int top, const Colour& colour,
                             const Colour& shadow, int scale = 1);

    /// Whether pixel (column, row) of the glyph for `character` is inked, row 0 at its top
    /// and row ascent + descent - 1 the lowest descender row; false outside the cell.
    static bool isInked(char character, int column, int row);
};
