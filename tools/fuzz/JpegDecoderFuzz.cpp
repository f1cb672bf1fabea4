// libFuzzer target for the JPEG loading path: the bytes are handed to k_JpegDecoder as an
// open file, exactly as the texture node hands it a file from the working directory, with
// the largest texture side Mesa's software renderer allows.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "scenegraph/JpegDecoder.h"

namespace {

constexpr unsigned int mesaMaxTextureSide = 16384;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // fmemopen refuses a buffer of no bytes; an empty file is what it stands for.
    std::FILE* file =
        size > 0 ? fmemopen(const_cast<uint8_t*>(data), size, "rb") : std::fopen("/dev/null", "rb");
    if (file == nullptr) {
        return 0;
    }
    k_JpegDecoder decoder(mesaMaxTextureSide, k_JpegDecoder::defaultMaxBytes);
    decoder.setShowWarnings(false);
    k_JpegImage image;
    std::string error;
    if (decoder.decode(file, "input", &image, &error)) {
        // Touch the first and last pixel: the buffer must hold every row it claims.
        const size_t bytes = static_cast<size_t>(image.width) * image.height * 3;
        volatile unsigned char sink = image.pixels[0];
        sink = image.pixels[bytes - 1];
        (void)sink;
    } else if (error.empty()) {
        __builtin_trap(); // a refusal must always say why
    }
    std::fclose(file);
    return 0;
}
