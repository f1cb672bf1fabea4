#pragma once

// Captures what is written to a standard stream (by printf, fprintf or a library) while a
// piece of test code runs: the descriptor is pointed at a temporary file and restored after.
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

template <typename Action> std::string captureDescriptor(std::FILE* stream, Action action) {
    std::fflush(stream);
    char path[] = "/tmp/veltrava-capture-XXXXXX";
    const int file = mkstemp(path);
    const int descriptor = fileno(stream);
    const int saved = dup(descriptor);
    dup2(file, descriptor);
    action();
    std::fflush(stream);
    dup2(saved, descriptor);
    close(saved);
    close(file);
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    unlink(path);
    return text.str();
}

template <typename Action> std::string captureStdout(Action action) {
    return captureDescriptor(stdout, action);
}

template <typename Action> std::string captureStderr(Action action) {
    return captureDescriptor(stderr, action);
}
