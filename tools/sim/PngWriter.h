#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes 8-bit RGB pictures as PNG files through libpng.
class k_PngWriter {
public:
    /// `rgb` holds height rows of width * 3 bytes, bottom row first (as glReadPixels gives
    /// them); the file gets them top row first. False, with `error` set, on any failure;
    /// a partly written file is removed.
    static bool write(const std::string& path, int width, int height,
                      const std::vector<std::uint8_t>& rgb, std::string& error);
};
