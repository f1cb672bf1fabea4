// Data files are opened without ever blocking, and what is handed back reads like any file.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/RegularFile.h"

namespace {

struct TemporaryFolder {
    std::string path;
    TemporaryFolder() {
        char name[] = "/tmp/regular_file_test_XXXXXX";
        path = mkdtemp(name);
    }
    ~TemporaryFolder() {
        std::remove((path + "/data").c_str());
        std::remove((path + "/fifo").c_str());
        rmdir(path.c_str());
    }
};

TEST(RegularFile, ARegularFileComesBackReadableAndWithoutONonblock) {
    TemporaryFolder folder;
    const std::string name = folder.path + "/data";
    std::FILE* written = std::fopen(name.c_str(), "wb");
    ASSERT_NE(written, nullptr);
    std::fputs("abc", written);
    std::fclose(written);

    std::string error;
    std::FILE* file = openRegularFile(name.c_str(), error);
    ASSERT_NE(file, nullptr) << error;
    EXPECT_TRUE(error.empty());
    // The non-blocking open is only for the check: a stream left with O_NONBLOCK would pass
    // the flag on to whatever reads the descriptor.
    const int flags = fcntl(fileno(file), F_GETFL);
    ASSERT_GE(flags, 0);
    EXPECT_EQ(flags & O_NONBLOCK, 0);
    char text[4] = {};
    EXPECT_EQ(std::fread(text, 1, 3, file), 3u);
    EXPECT_EQ(std::string(text), "abc");
    std::fclose(file);
}

TEST(RegularFile, OtherKindsAreRefusedAtOnceAndNamed) {
    TemporaryFolder folder;
    const std::string fifo = folder.path + "/fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string error;
    // Without a writer, a blocking open of the FIFO would wait here for ever.
    EXPECT_EQ(openRegularFile(fifo.c_str(), error), nullptr);
    EXPECT_EQ(error, "not a regular file (a FIFO)");
    EXPECT_EQ(openRegularFile(folder.path.c_str(), error), nullptr);
    EXPECT_EQ(error, "not a regular file (a directory)");
    EXPECT_EQ(openRegularFile((folder.path + "/missing").c_str(), error), nullptr);
    EXPECT_TRUE(error.empty());
}

} // namespace
