#pragma once

// Writes 8-bit images as baseline JPEG files through libjpeg. Shared by the texture
// generator and the tests that need sample files of particular kinds (colour, greyscale,
// CMYK). Header-only so that every program linking veltrava_core (which brings libjpeg) can
// use it without a library of its own.
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace jpegwriter {

struct ErrorTrap {
    jpeg_error_mgr manager;
    std::jmp_buf recovery;
};

inline void onError(j_common_ptr info) {
    char message[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, message);
    std::fprintf(stderr, "can't encode JPEG: %s\n", message);
    std::longjmp(reinterpret_cast<ErrorTrap*>(info->err)->recovery, 1);
}

inline bool encode(jpeg_compress_struct* info, ErrorTrap* trap, std::FILE* file, int width,
                   int height, int components, J_COLOR_SPACE space, const unsigned char* pixels,
                   int quality, bool progressive) {
    if (setjmp(trap->recovery) != 0) {
        return false;
    }
    jpeg_create_compress(info);
    jpeg_stdio_dest(info, file);
    info->image_width = static_cast<JDIMENSION>(width);
    info->image_height = static_cast<JDIMENSION>(height);
    info->input_components = components;
    info->in_color_space = space;
    jpeg_set_defaults(info);
    jpeg_set_quality(info, quality, TRUE);
    if (progressive) {
        jpeg_simple_progression(info);
    }
    jpeg_start_compress(info, TRUE);
    const size_t stride = static_cast<size_t>(width) * static_cast<size_t>(components);
    while (info->next_scanline < info->image_height) {
        JSAMPROW row = const_cast<unsigned char*>(pixels) + stride * info->next_scanline;
        jpeg_write_scanlines(info, &row, 1);
    }
    jpeg_finish_compress(info);
    return true;
}

} // namespace jpegwriter

/// Writes `pixels` (rows top first, `components` bytes per pixel in colour space `space`:
/// JCS_RGB with 3, JCS_GRAYSCALE with 1, JCS_CMYK with 4) to `path`. False, with a message on
/// standard error, when the file cannot be written. A progressive file is written in several
/// scans, which the decoder buffers for the whole image.
inline bool writeJpeg(const char* path, int width, int height, int components, J_COLOR_SPACE space,
                      const unsigned char* pixels, int quality = 90, bool progressive = false) {
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "can't create %s\n", path);
        return false;
    }
    // Heap-held so that it is intact after a jump back from the library.
    jpeg_compress_struct* info = new jpeg_compress_struct();
    jpegwriter::ErrorTrap* trap = new jpegwriter::ErrorTrap();
    info->err = jpeg_std_error(&trap->manager);
    trap->manager.error_exit = jpegwriter::onError;
    bool written = jpegwriter::encode(info, trap, file, width, height, components, space, pixels,
                                      quality, progressive);
    jpeg_destroy_compress(info);
    if (std::fclose(file) != 0) {
        written = false;
    }
    delete trap;
    delete info;
    return written;
}
