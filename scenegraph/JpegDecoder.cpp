// libjpeg reports errors by calling back; the callback here jumps back to the recovery point
// with longjmp, so everything the decoder touches lives in one heap block outside the frame
// that calls setjmp, and no C++ object with a destructor lives in that frame.
#include "scenegraph/JpegDecoder.h"

#include <csetjmp>
#include <new>

#include <jpeglib.h>

namespace {

struct Decoding {
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    std::jmp_buf recovery;
    const char* fileName;
    bool showWarnings;
    char message[JMSG_LENGTH_MAX + 64];
    unsigned char* pixels;
    unsigned int width;
    unsigned int height;
};

const char* nameOf(const char* fileName) {
    return fileName != nullptr ? fileName : "(unnamed)";
}

[[noreturn]] void onDecodingError(j_common_ptr info) {
    Decoding* decoding = static_cast<Decoding*>(info->client_data);
    char text[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, text);
    std::snprintf(decoding->message, sizeof decoding->message, "can't decode %s: %s",
                  nameOf(decoding->fileName), text);
    std::longjmp(decoding->recovery, 1);
}

// Like the library's own: the first warning (level -1) of a file is printed, later ones of
// the same damaged file only counted; trace messages never.
void onMessage(j_common_ptr info, int level) {
    if (level >= 0) {
        return;
    }
    Decoding* decoding = static_cast<Decoding*>(info->client_data);
    if (info->err->num_warnings == 0 && decoding->showWarnings) {
        (*info->err->output_message)(info);
    }
    info->err->num_warnings++;
}

// Our own reasons to give up on a file, reported like the library's errors.
[[noreturn]] void reject(Decoding* decoding, const char* reason) {
    std::snprintf(decoding->message, sizeof decoding->message, "can't use %s: %s",
                  nameOf(decoding->fileName), reason);
    std::longjmp(decoding->recovery, 1);
}

// What the library keeps for the whole image while it decodes a file of several scans
// (progressive ones): every coefficient block of every component.
size_t coefficientBytes(const jpeg_decompress_struct* info) {
    if (!jpeg_has_multiple_scans(const_cast<jpeg_decompress_struct*>(info))) {
        return 0;
    }
    size_t total = 0;
    for (int c = 0; c < info->num_components; ++c) {
        const jpeg_component_info& component = info->comp_info[c];
        total += static_cast<size_t>(component.width_in_blocks) * component.height_in_blocks *
                 sizeof(JBLOCK);
    }
    return total;
}

bool run(Decoding* decoding, std::FILE* file, unsigned int maxSide, size_t maxBytes) {
    if (setjmp(decoding->recovery) != 0) {
        return false;
    }
    jpeg_decompress_struct* info = &decoding->info;
    // Set before creation, which keeps it and may already report running out of memory.
    info->client_data = decoding;
    jpeg_create_decompress(info);
    // A backstop for the library's own buffers; the estimate below refuses with a clearer word.
    info->mem->max_memory_to_use = static_cast<long>(maxBytes);
    jpeg_stdio_src(info, file);
    jpeg_read_header(info, TRUE);

    // Colour and greyscale files are asked for RGB; anything else (CMYK, YCCK, odd component
    // counts) would give rows wider than width * 3 bytes and is refused below.
    if (info->jpeg_color_space == JCS_GRAYSCALE || info->jpeg_color_space == JCS_YCbCr) {
        info->out_color_space = JCS_RGB;
    }
    // Refused from the header alone, before anything of the image's size is allocated.
    if (info->image_width > maxSide || info->image_height > maxSide) {
        reject(decoding, "the image is larger than the largest texture this OpenGL allows");
    }
    const size_t pixelBytes = static_cast<size_t>(info->image_width) * info->image_height * 3;
    if (pixelBytes + coefficientBytes(info) > maxBytes) {
        reject(decoding, "the image needs more memory to decode than a texture may take");
    }
    jpeg_start_decompress(info);
    if (info->output_components != 3) {
        reject(decoding, "not a colour image (the decoder gives no RGB output for it)");
    }

    const size_t stride = static_cast<size_t>(info->output_width) * 3;
    decoding->pixels = new (std::nothrow) unsigned char[stride * info->output_height];
    if (decoding->pixels == nullptr) {
        reject(decoding, "not enough memory for the pixels");
    }
    decoding->width = info->output_width;
    decoding->height = info->output_height;
    while (info->output_scanline < info->output_height) {
        JSAMPROW row = decoding->pixels + stride * info->output_scanline;
        jpeg_read_scanlines(info, &row, 1);
    }
    jpeg_finish_decompress(info);
    return true;
}

} // namespace

k_JpegDecoder::k_JpegDecoder(unsigned int maxSideValue, size_t maxBytesValue)
    : maxSide(maxSideValue), maxBytes(maxBytesValue), showWarnings(true) {}

bool k_JpegDecoder::decode(std::FILE* file, const char* fileName, k_JpegImage* image,
                           std::string* error) const {
    image->width = 0;
    image->height = 0;
    image->pixels.reset();
    Decoding* decoding = new Decoding();
    decoding->fileName = fileName;
    decoding->showWarnings = showWarnings;
    decoding->info.err = jpeg_std_error(&decoding->errors);
    decoding->errors.error_exit = onDecodingError;
    decoding->errors.emit_message = onMessage;

    const bool decoded = run(decoding, file, maxSide, maxBytes);
    jpeg_destroy_decompress(&decoding->info);
    if (decoded) {
        image->width = decoding->width;
        image->height = decoding->height;
        image->pixels.reset(decoding->pixels);
    } else {
        delete[] decoding->pixels;
        if (error != nullptr) {
            *error = decoding->message;
        }
    }
    delete decoding;
    return decoded;
}
