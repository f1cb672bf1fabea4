#include "tools/sim/PngWriter.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

namespace {

// libpng reports errors by longjmp; this keeps the jump inside one plain function with no
// objects that need destructors between setjmp and the calls that may jump.
bool encode(std::FILE* file, int width, int height, const std::uint8_t* rgb, char* message) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) {
        std::snprintf(message, 128, "libpng could not start");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::snprintf(message, 128, "libpng failed to encode the picture");
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const std::size_t stride = static_cast<std::size_t>(width) * 3;
    for (int row = height - 1; row >= 0; --row) {
        png_write_row(png, const_cast<png_bytep>(rgb + static_cast<std::size_t>(row) * stride));
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

bool k_PngWriter::write(const std::string& path, int width, int height,
                        const std::vector<std::uint8_t>& rgb, std::string& error) {
    if (width <= 0 || height <= 0 ||
        rgb.size() < static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3) {
        error = "no picture to write to " + path;
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    char message[128] = "";
    bool written = encode(file, width, height, rgb.data(), message);
    if (!written) {
        error = std::string(message) + " for " + path;
    }
    // A full disk may show only when the buffered rest is flushed.
    const bool streamFailed = std::ferror(file) != 0;
    const bool closeFailed = std::fclose(file) != 0;
    if (streamFailed || closeFailed) {
        if (written) {
            error = "cannot write " + path + ": " + std::strerror(errno);
        }
        written = false;
    }
    if (!written) {
        std::remove(path.c_str());
    }
    return written;
}
