// Writes the fuzzer's seed corpus into the folder given as the only argument: tiny JPEG
// files of every kind the decoder meets (colour, greyscale, CMYK, progressive, 1x1, odd
// sizes, low quality), all made here, so the corpus needs nothing from outside.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/JpegWriter.h"

namespace {

std::vector<unsigned char> pattern(int width, int height, int components) {
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * components);
    for (size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = static_cast<unsigned char>((i * 37u + (i / 7u) * 11u) % 256u);
    }
    return pixels;
}

bool write(const std::string& folder, const char* name, int width, int height, int components,
           J_COLOR_SPACE space, int quality, bool progressive) {
    const std::vector<unsigned char> pixels = pattern(width, height, components);
    const std::string path = folder + "/" + name;
    return writeJpeg(path.c_str(), width, height, components, space, pixels.data(), quality,
                     progressive);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds <folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    bool ok = true;
    ok &= write(folder, "colour-16x8.jpg", 16, 8, 3, JCS_RGB, 90, false);
    ok &= write(folder, "colour-17x9-q10.jpg", 17, 9, 3, JCS_RGB, 10, false);
    ok &= write(folder, "grey-8x8.jpg", 8, 8, 1, JCS_GRAYSCALE, 75, false);
    ok &= write(folder, "cmyk-8x8.jpg", 8, 8, 4, JCS_CMYK, 75, false);
    ok &= write(folder, "progressive-24x16.jpg", 24, 16, 3, JCS_RGB, 80, true);
    ok &= write(folder, "progressive-grey-16x16.jpg", 16, 16, 1, JCS_GRAYSCALE, 80, true);
    ok &= write(folder, "one-pixel.jpg", 1, 1, 3, JCS_RGB, 90, false);
    return ok ? 0 : 1;
}
