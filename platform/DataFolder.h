#pragma once

#include <string>
#include <vector>

// Where a scene load reads the images and shaders from. The working directory comes first
// whenever it holds any of the data files, so that files placed there (or a damaged one) are
// what the programs use, named as before. Only when it holds none do the program's own
// folders count: the installed data folder beside the program's bin/ folder, and data/ beside
// the program in a build tree. Decided anew at every load, as the files are read then.
class k_DataFolder {
public:
    /// Every file a scene load may read, by the name the scenes give it.
    static const std::vector<std::string>& fileNames();
    /// Where the files are looked for, in words for the programs' help (lines of at most 90
    /// columns, ending in a line feed).
    static const char* searchOrderText();
    /// The folders tried after the working directory, worked out from /proc/self/exe; none
    /// when the program's own path cannot be read.
    static std::vector<std::string> programFolders();

    /// The working directory when it holds a data file, else the first of `fallbacks` that
    /// does, else the working directory again (and each file's own message says it is missing).
    static k_DataFolder find(const std::vector<std::string>& fallbacks = programFolders());

    /// The path to open `name` by: unchanged in the working directory or when absolute, else
    /// inside the folder.
    std::string path(const std::string& name) const;
    bool isWorkingDirectory() const { return folder.empty(); }
    /// False when no folder tried holds any data file.
    bool holdsAny() const { return found; }
    /// One line (without a line feed) for when no data file was found: the folders tried and
    /// how to run the program so that it finds its data.
    std::string missingFilesHint() const;

private:
    /// Empty for the working directory.
    std::string folder;
    std::string workingDirectory;
    std::vector<std::string> fallbacks;
    bool found = false;
};
