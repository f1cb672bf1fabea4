// libFuzzer target for the scene file reader: any bytes must give either a checked
// description or a one-line message, never a crash, hang or leak. A description that is
// accepted must also survive writing and reading back unchanged, the promise the exported
// built-in scenes rely on.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "scenefile/SceneFileReader.h"
#include "scenefile/SceneFileWriter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    k_SceneDescription description;
    std::string error;
    const char* text = reinterpret_cast<const char*>(data);
    if (!k_SceneFileReader::parse(text, size, "input", description, error)) {
        if (error.empty() || error.find('\n') != std::string::npos) {
            std::abort(); // a refusal must be exactly one line
        }
        return 0;
    }
    const std::string written = k_SceneFileWriter::write(description);
    k_SceneDescription again;
    if (!k_SceneFileReader::parse(written.data(), written.size(), "written", again, error) ||
        k_SceneFileWriter::write(again) != written) {
        std::abort();
    }
    return 0;
}
