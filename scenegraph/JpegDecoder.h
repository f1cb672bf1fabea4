#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

/// A decoded image: tightly packed 8-bit RGB rows, top row first.
struct k_JpegImage {
    unsigned int width = 0;
    unsigned int height = 0;
    std::unique_ptr<unsigned char[]> pixels;
};

// Decodes JPEG files into RGB pixels through libjpeg, needing no OpenGL: the texture node
// uses it, and so can a test or a fuzzer. Colour and greyscale files give RGB; anything else
// (CMYK, YCCK), an image larger than the limits and any error of the library are refused with
// one line that names the file. Library warnings (e.g. premature end of data) go to standard
// error as the library words them, and decoding goes on with what it has.
class k_JpegDecoder {
public:
    /// `maxSide` bounds width and height (the largest texture OpenGL takes); `maxBytes` bounds
    /// what one decode may allocate: the pixels plus the library's whole-image buffers.
    k_JpegDecoder(unsigned int maxSide, size_t maxBytes);

    /// Decodes the open file, which stays open. On failure returns false, leaves `image`
    /// empty and puts the reason, "can't decode <file>: ..." or "can't use <file>: ...", in
    /// `error` (one line, no line feed).
    bool decode(std::FILE* file, const char* fileName, k_JpegImage* image,
                std::string* error) const;

    /// Whether the library's warnings are written to standard error (the default).
    void setShowWarnings(bool show) { showWarnings = show; }

    /// Working memory every decode may use by default: 1 GiB, far above any picture a scene
    /// could want and far below what a forged header could demand.
    static constexpr size_t defaultMaxBytes = size_t{1} << 30;

private:
    unsigned int maxSide;
    size_t maxBytes;
    bool showWarnings;
};
