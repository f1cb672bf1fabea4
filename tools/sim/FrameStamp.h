#pragma once

#include <string>

// The frame number and scene time in the top-right corner of a saved picture, on the plan
// panel's dark ground so that it reads over any sky; the plan overlay keeps the other corners.
// GL state: draw() sets what it needs (no program, lighting, texturing, depth test or fog; its
// own matrices and viewport) and restores all of it, the program included.
class k_FrameStamp {
public:
    /// Pixels between the panel and the picture's edges.
    static constexpr int margin = 8;

    /// "frame 120, t 1.920 s": time to the millisecond, as the trace's t column.
    static std::string text(long frame, double sceneTime);
    /// The panel's size in pixels.
    static int width(const std::string& text);
    static int height(const std::string& text);
    /// Draws `text` in the top-right corner of a picture of the given size, over what the
    /// frame drew.
    static void draw(const std::string& text, int pictureWidth, int pictureHeight);
};
