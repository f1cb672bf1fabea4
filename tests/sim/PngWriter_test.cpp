#include <gtest/gtest.h>

#include <png.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

#include "tools/sim/PngWriter.h"

namespace {

TEST(PngWriter, WritesRowsTopFirstFromABottomFirstBuffer) {
    // Two rows of three pixels, bottom row first as glReadPixels gives them.
    const std::vector<std::uint8_t> bottomFirst = {
        10,  20, 30, 40, 50,  60, 70, 80, 90,  // bottom row
        200, 0,  0,  0,  200, 0,  0,  0,  200, // top row
    };
    const std::string path = testing::TempDir() + "png_writer_" + std::to_string(getpid()) + ".png";
    std::string error;
    ASSERT_TRUE(k_PngWriter::write(path, 3, 2, bottomFirst, error)) << error;

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str())) << image.message;
    EXPECT_EQ(image.width, 3u);
    EXPECT_EQ(image.height, 2u);
    image.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> read(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, read.data(), 0, nullptr));
    const std::vector<std::uint8_t> topFirst = {200, 0,  0,  0,  200, 0,  0,  0,  200,
                                                10,  20, 30, 40, 50,  60, 70, 80, 90};
    EXPECT_EQ(read, topFirst);
    std::remove(path.c_str());
}

TEST(PngWriter, ReportsWhatItCannotWrite) {
    std::string error;
    EXPECT_FALSE(k_PngWriter::write("/nonexistent-dir/frame.png", 1, 1, {1, 2, 3}, error));
    EXPECT_NE(error.find("/nonexistent-dir/frame.png"), std::string::npos) << error;
    // Too few bytes for the size claimed: refused, nothing read past the buffer.
    error.clear();
    EXPECT_FALSE(k_PngWriter::write(testing::TempDir() + "short.png", 2, 2, {1, 2, 3}, error));
    EXPECT_FALSE(error.empty());
}

} // namespace
