// The decoder alone, without OpenGL: what it makes of good, odd and damaged files, and that
// the inputs the fuzzer once tripped over stay harmless.
#include <dirent.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "reliability/BadFiles.h"
#include "scenegraph/JpegDecoder.h"
#include "support/CaptureOutput.h"

namespace {

using reliability::jpegBytes;
using reliability::withClaimedSize;

struct Outcome {
    bool decoded;
    k_JpegImage image;
    std::string error;
    std::string warnings;
};

Outcome decodeBytes(const std::string& bytes, unsigned maxSide = 16384,
                    size_t maxBytes = k_JpegDecoder::defaultMaxBytes) {
    Outcome outcome;
    std::FILE* file = bytes.empty() ? std::fopen("/dev/null", "rb")
                                    : fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "rb");
    const k_JpegDecoder decoder(maxSide, maxBytes);
    outcome.warnings = captureStderr(
        [&] { outcome.decoded = decoder.decode(file, "pic.jpg", &outcome.image, &outcome.error); });
    std::fclose(file);
    return outcome;
}

} // namespace

TEST(JpegDecoder, ColourGreyProgressiveAndOnePixelImagesGiveRgbRows) {
    struct Case {
        const char* what;
        std::string bytes;
        unsigned width, height;
    };
    const Case cases[] = {
        {"colour", jpegBytes(20, 10, 3, JCS_RGB), 20, 10},
        {"greyscale", jpegBytes(9, 7, 1, JCS_GRAYSCALE), 9, 7},
        {"progressive", jpegBytes(33, 17, 3, JCS_RGB, true), 33, 17},
        {"1x1", jpegBytes(1, 1, 3, JCS_RGB), 1, 1},
    };
    for (const Case& c : cases) {
        Outcome out = decodeBytes(c.bytes);
        ASSERT_TRUE(out.decoded) << c.what << ": " << out.error;
        EXPECT_EQ(out.image.width, c.width) << c.what;
        EXPECT_EQ(out.image.height, c.height) << c.what;
        ASSERT_NE(out.image.pixels, nullptr);
        EXPECT_EQ(out.warnings, "") << c.what;
    }
    // Greyscale is widened to three equal channels.
    Outcome grey = decodeBytes(jpegBytes(9, 7, 1, JCS_GRAYSCALE));
    for (size_t p = 0; p < 9 * 7; ++p) {
        EXPECT_EQ(grey.image.pixels[3 * p], grey.image.pixels[3 * p + 1]);
        EXPECT_EQ(grey.image.pixels[3 * p + 1], grey.image.pixels[3 * p + 2]);
    }
}

TEST(JpegDecoder, DamagedAndForeignFilesAreRefusedWithOneLineNamingTheFile) {
    const std::string good = jpegBytes(16, 16, 3, JCS_RGB);
    const std::string cases[][2] = {
        {"", "can't decode pic.jpg: Empty input file"},
        {"plain text, renamed\n", "can't decode pic.jpg: Not a JPEG file"},
        {reliability::pngBytes(), "can't decode pic.jpg: Not a JPEG file: starts with 0x89 0x50"},
        {reliability::garbageBytes(4000), "can't decode pic.jpg: Not a JPEG file"},
        {good.substr(0, 2), "can't decode pic.jpg: "},
        {good.substr(0, 40), "can't decode pic.jpg: "},
        {withClaimedSize(good, 16, 0), "can't decode pic.jpg: "},
        {jpegBytes(8, 8, 4, JCS_CMYK), "can't use pic.jpg: not a colour image"},
    };
    for (const auto& c : cases) {
        Outcome out = decodeBytes(c[0]);
        EXPECT_FALSE(out.decoded) << c[1];
        EXPECT_EQ(out.image.pixels, nullptr);
        EXPECT_EQ(out.image.width, 0u);
        EXPECT_EQ(out.error.rfind(c[1], 0), 0u) << out.error;
        EXPECT_EQ(out.error.find('\n'), std::string::npos) << out.error;
    }
}

TEST(JpegDecoder, TruncatedScanWarnsOnceAndKeepsTheImage) {
    const std::string whole = jpegBytes(128, 128, 3, JCS_RGB);
    Outcome out = decodeBytes(whole.substr(0, whole.size() / 2));
    ASSERT_TRUE(out.decoded) << out.error;
    EXPECT_EQ(out.image.width, 128u);
    EXPECT_EQ(out.warnings, "Premature end of JPEG file\n");
}

TEST(JpegDecoder, ForgedHugeHeadersAreRefusedBeforeAnythingOfTheirSizeIsAllocated) {
    const std::string small = jpegBytes(16, 16, 3, JCS_RGB);
    const std::string smallProgressive = jpegBytes(16, 16, 3, JCS_RGB, true);
    struct Case {
        std::string bytes;
        unsigned maxSide;
        const char* reason;
    };
    const Case cases[] = {
        // 60000 x 60000 would be 10.8 GB of pixels: over the side limit of any texture ...
        {withClaimedSize(small, 60000, 60000), 16384, "the image is larger than the largest"},
        // ... and over the memory budget even where the side would be allowed.
        {withClaimedSize(small, 60000, 60000), 65535, "the image needs more memory"},
        // A progressive file keeps every coefficient of the image besides the pixels.
        {withClaimedSize(smallProgressive, 16384, 16384), 16384, "the image needs more memory"},
    };
    for (const Case& c : cases) {
        const long before = reliability::residentKilobytes();
        const auto start = std::chrono::steady_clock::now();
        Outcome out = decodeBytes(c.bytes, c.maxSide);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_FALSE(out.decoded);
        EXPECT_EQ(out.error.rfind(std::string("can't use pic.jpg: ") + c.reason, 0), 0u)
            << out.error;
        // Refused from the header: no time or memory of the claimed size was spent.
        EXPECT_LT(seconds, 1.0);
        EXPECT_LT(reliability::residentKilobytes() - before, 10 * 1024);
    }
}

TEST(JpegDecoder, InputsTheFuzzerFoundDecodeOrAreRefusedCleanly) {
    const std::string file = __FILE__;
    const std::string folder = file.substr(0, file.rfind('/')) + "/jpeg-regressions";
    DIR* directory = opendir(folder.c_str());
    ASSERT_NE(directory, nullptr) << folder;
    std::vector<std::string> inputs;
    while (dirent* entry = readdir(directory)) {
        if (entry->d_name[0] != '.') {
            inputs.push_back(folder + "/" + entry->d_name);
        }
    }
    closedir(directory);
    for (const std::string& input : inputs) {
        Outcome out = decodeBytes(reliability::readBytes(input));
        // Either outcome is fine; a refusal must say why, a success must hold its pixels.
        if (out.decoded) {
            EXPECT_NE(out.image.pixels, nullptr) << input;
        } else {
            EXPECT_NE(out.error, "") << input;
        }
    }
}
