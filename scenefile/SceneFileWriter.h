#pragma once

#include <string>

#include "scenefile/SceneDescription.h"

// Writes a description as a scene file that the reader turns back into the same description,
// bit for bit: every number is written with the fewest digits that read back to the same
// float (or double). One body per line, so that a file of many bodies stays readable. Never
// throws: text that is not valid UTF-8, which the reader never gives, is written with U+FFFD
// in place of each sequence that is not.
class k_SceneFileWriter {
public:
    static std::string write(const k_SceneDescription& description);
};
