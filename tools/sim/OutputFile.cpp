#include "tools/sim/OutputFile.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

k_OutputFile::~k_OutputFile() {
    if (file != nullptr) {
        std::fclose(file);
    }
}

bool k_OutputFile::open(const std::string& pathValue, std::string& error) {
    path = pathValue;
    struct stat status;
    if (::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
        error = "cannot write " + path + ": it is a directory";
        return false;
    }
    file = std::fopen(path.c_str(), "w");
    if (file == nullptr) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool k_OutputFile::close(std::string& error) {
    if (file == nullptr) {
        return true;
    }
    const bool streamFailed = std::ferror(file) != 0;
    errno = 0;
    const bool closeFailed = std::fclose(file) != 0;
    file = nullptr;
    if (streamFailed || closeFailed) {
        error = "writing " + path + " failed" +
                (errno != 0 ? std::string(": ") + std::strerror(errno) : std::string());
        return false;
    }
    return true;
}
