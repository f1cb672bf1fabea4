#pragma once

#include <cstdio>
#include <string>

/// Opens `fileName` for reading in binary mode, or refuses it without blocking when it is not
/// a regular file: opening a FIFO waits for a writer, and a device or socket is no data file.
/// The kind is checked on the descriptor that was opened, so the file cannot be swapped
/// between the check and the read. Returns null on failure; `error` then holds the reason
/// for the message, empty when the file cannot be opened at all (missing, no permission), or
/// e.g. "not a regular file (a FIFO)".
std::FILE* openRegularFile(const char* fileName, std::string& error);
