#include "platform/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string notRegular(mode_t mode) {
    const char* kind = S_ISFIFO(mode)   ? "a FIFO"
                       : S_ISSOCK(mode) ? "a socket"
                       : S_ISDIR(mode)  ? "a directory"
                       : S_ISCHR(mode)  ? "a character device"
                       : S_ISBLK(mode)  ? "a block device"
                                        : "of an unknown kind";
    return std::string("not a regular file (") + kind + ")";
}

} // namespace

std::FILE* openRegularFile(const char* fileName, std::string& error) {
    error.clear();
    if (fileName == nullptr) {
        return nullptr;
    }
    // O_NONBLOCK: a FIFO opens at once instead of waiting for a writer; O_NOCTTY: a terminal
    // named like a data file does not become the controlling one.
    const int descriptor = open(fileName, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) {
        // A socket cannot be opened at all; saying what it is beats "no such device".
        struct stat status;
        if (stat(fileName, &status) == 0 && !S_ISREG(status.st_mode)) {
            error = notRegular(status.st_mode);
        }
        return nullptr;
    }
    struct stat status;
    std::FILE* file = nullptr;
    if (fstat(descriptor, &status) != 0) {
        error = "its kind cannot be read";
    } else if (!S_ISREG(status.st_mode)) {
        error = notRegular(status.st_mode);
    } else {
        // Reads of a regular file never block; the stream gets an ordinary descriptor anyway.
        const int flags = fcntl(descriptor, F_GETFL);
        if (flags >= 0 && fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) == 0) {
            file = fdopen(descriptor, "rb");
        }
    }
    if (file == nullptr) {
        close(descriptor);
    }
    return file;
}
