#pragma once

// Makers of damaged and unusual data files for the reliability tests, and a reader of the
// process's resident memory.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include <malloc.h>
#include <sstream>
#include <string>
#include <vector>

#include "tools/JpegWriter.h"

namespace reliability {

inline std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

inline bool writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

/// A JPEG file's bytes: a busy pattern of `components` channels, optionally progressive.
inline std::string jpegBytes(int width, int height, int components, J_COLOR_SPACE space,
                             bool progressive = false, int quality = 85) {
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * components);
    for (size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = static_cast<unsigned char>((i * 7919u) % 251u);
    }
    char path[] = "/tmp/veltrava-jpeg-XXXXXX";
    const int descriptor = mkstemp(path);
    close(descriptor);
    std::string bytes;
    if (writeJpeg(path, width, height, components, space, pixels.data(), quality, progressive)) {
        bytes = readBytes(path);
    }
    std::remove(path);
    return bytes;
}

/// The same file with the start-of-frame header claiming another size (baseline or
/// progressive frame), or the bytes unchanged when there is no such header.
inline std::string withClaimedSize(std::string bytes, unsigned width, unsigned height) {
    for (size_t i = 2; i + 9 < bytes.size(); ++i) {
        const unsigned char marker = static_cast<unsigned char>(bytes[i + 1]);
        if (static_cast<unsigned char>(bytes[i]) == 0xFF && (marker == 0xC0 || marker == 0xC2)) {
            bytes[i + 5] = static_cast<char>(height >> 8);
            bytes[i + 6] = static_cast<char>(height & 0xFF);
            bytes[i + 7] = static_cast<char>(width >> 8);
            bytes[i + 8] = static_cast<char>(width & 0xFF);
            break;
        }
    }
    return bytes;
}

/// A complete 1x1 PNG image, to be renamed .jpg.
inline std::string pngBytes() {
    static const unsigned char png[] = {
        0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48,
        0x44, 0x52, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x02, 0x00, 0x00,
        0x00, 0x90, 0x77, 0x53, 0xde, 0x00, 0x00, 0x00, 0x0c, 0x49, 0x44, 0x41, 0x54, 0x78,
        0x9c, 0x63, 0xf8, 0xcf, 0xc0, 0x00, 0x00, 0x03, 0x01, 0x01, 0x00, 0xc9, 0xfe, 0x92,
        0xef, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};
    return std::string(reinterpret_cast<const char*>(png), sizeof png);
}

/// Bytes that are neither text nor any image: a fixed pseudo-random sequence with zeros.
inline std::string garbageBytes(size_t count) {
    std::string bytes(count, '\0');
    unsigned state = 12345u;
    for (size_t i = 0; i < count; ++i) {
        state = state * 1103515245u + 12345u;
        bytes[i] = static_cast<char>((state >> 16) & 0xFF);
    }
    return bytes;
}

/// VmRSS of this process in kilobytes, from /proc/self/status; 0 if it cannot be read.
inline long residentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::atol(line.c_str() + 6);
        }
    }
    return 0;
}

/// Bytes this process holds from malloc (in use in the heap and in mapped blocks), in
/// kilobytes: what a leak raises, unlike resident memory, which also moves with what the
/// allocator keeps cached after a free.
inline long heapInUseKilobytes() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<long>((info.uordblks + info.hblkhd) / 1024);
}

} // namespace reliability
