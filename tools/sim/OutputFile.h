#pragma once

#include <cstdio>
#include <string>

// An output file opened when the run starts, so that an unwritable path is reported before
// any work is done, and closed with its errors checked, so that a full disk is not taken
// for success.
class k_OutputFile {
public:
    k_OutputFile() = default;
    ~k_OutputFile();

    /// Creates or truncates `path`; false with `error` set when it cannot be written.
    bool open(const std::string& path, std::string& error);
    bool isOpen() const { return file != nullptr; }
    std::FILE* get() const { return file; }
    /// Flushes and closes; false with `error` set when anything written was lost.
    bool close(std::string& error);

    k_OutputFile(const k_OutputFile&) = delete;
    k_OutputFile& operator=(const k_OutputFile&) = delete;

private:
    std::FILE* file = nullptr;
    std::string path;
};
