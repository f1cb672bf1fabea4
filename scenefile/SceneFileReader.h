#pragma once

#include <cstddef>
#include <string>

#include "scenefile/SceneDescription.h"

// Reads a scene file into a description, checking everything before anything is built: a file
// that is refused leaves the description untouched and gives one line naming the file and the
// place, e.g. "scene.json: /bodies/3/radius: must be a positive number up to 100000, not -2",
// or "scene.json:12:5: not valid JSON: ..." for a syntax error.
class k_SceneFileReader {
public:
    static constexpr const char* formatName = "veltrava-scene";
    static constexpr int formatVersion = 1;
    /// Limits that keep a mistyped or hostile file from taking the machine's memory or time.
    static constexpr std::size_t maxFileBytes = 64u << 20;
    static constexpr long maxBodies = 1000000;
    static constexpr int maxDepth = 64;

    /// Reads `path`, which must be a regular file (a FIFO, device or directory is refused
    /// without blocking). Returns false with `error` set when the file is refused.
    static bool read(const std::string& path, k_SceneDescription& description, std::string& error);
    /// The same for text in memory; `name` stands for the file in messages.
    static bool parse(const char* text, std::size_t size, const std::string& name,
                      k_SceneDescription& description, std::string& error);
};
