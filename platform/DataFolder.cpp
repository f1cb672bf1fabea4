#include "platform/DataFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <filesystem>

// The installed data folder as seen from the installed programs' folder; the build sets it from
// its install layout, so that a different prefix or layout needs no change here.
#ifndef VELTRAVA_DATA_FROM_PROGRAM
#define VELTRAVA_DATA_FROM_PROGRAM "../share/veltrava"
#endif

namespace {

bool holdsDataFile(const std::string& folder) {
    for (const std::string& name : k_DataFolder::fileNames()) {
        // Any kind of entry counts: a FIFO or folder under a data file's name is the user's
        // and gets its own message when the load refuses it.
        struct stat status;
        const std::string path = folder.empty() ? name : folder + "/" + name;
        if (::lstat(path.c_str(), &status) == 0) {
            return true;
        }
    }
    return false;
}

std::string joined(const std::vector<std::string>& words, const char* separator,
                   const char* lastSeparator) {
    std::string text;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i > 0) {
            text += i + 1 == words.size() ? lastSeparator : separator;
        }
        text += words[i];
    }
    return text;
}

} // namespace

const std::vector<std::string>& k_DataFolder::fileNames() {
    static const std::vector<std::string> names = {"skydome.jpg", "skydome1.jpg", "texture.jpg",
                                                   "normal.jpg",  "phong.vert",   "phong.frag"};
    return names;
}

const char* k_DataFolder::searchOrderText() {
    return "Images and shaders are read from the working directory when it holds any of them,\n"
           "else from share/veltrava beside the installed program's bin/ folder, or from data/\n"
           "beside the program in a build tree.\n";
}

std::vector<std::string> k_DataFolder::programFolders() {
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
        return {};
    }
    path[length] = '\0';
    const std::filesystem::path programFolder = std::filesystem::path(path).parent_path();
    return {(programFolder / VELTRAVA_DATA_FROM_PROGRAM).lexically_normal().string(),
            (programFolder / "data").lexically_normal().string()};
}

k_DataFolder k_DataFolder::find(const std::vector<std::string>& fallbackFolders) {
    k_DataFolder data;
    data.fallbacks = fallbackFolders;
    char here[PATH_MAX];
    if (::getcwd(here, sizeof here) != nullptr) {
        data.workingDirectory = here;
    }
    if (holdsDataFile("")) {
        data.found = true;
        return data;
    }
    for (const std::string& folder : fallbackFolders) {
        if (!folder.empty() && holdsDataFile(folder)) {
            data.folder = folder;
            data.found = true;
            return data;
        }
    }
    return data;
}

std::string k_DataFolder::path(const std::string& name) const {
    // A name with its own folder already says where it is.
    return folder.empty() || name.empty() || name.front() == '/' ? name : folder + "/" + name;
}

std::string k_DataFolder::missingFilesHint() const {
    std::vector<std::string> tried = {"the working directory" +
                                      (workingDirectory.empty() ? "" : " " + workingDirectory)};
    tried.insert(tried.end(), fallbacks.begin(), fallbacks.end());
    return std::string(program_invocation_short_name) + ": found none of the data files (" +
           joined(fileNames(), ", ", " and ") + ") in " + joined(tried, ", ", " or ") +
           "; run the program in the folder that holds them (build/data in a build tree), or "
           "install it with 'cmake --install' and run it from anywhere";
}
