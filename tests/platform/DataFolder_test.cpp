// Which folder a scene load reads its data from, in folders made for each case.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/DataFolder.h"

namespace {

class DataFolder : public ::testing::Test {
protected:
    void SetUp() override {
        char here[4096];
        ASSERT_NE(getcwd(here, sizeof here), nullptr);
        before = here;
        char pattern[] = "/tmp/veltrava-datafolder-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        for (const char* folder : {"/work", "/installed", "/empty"}) {
            ASSERT_EQ(mkdir((root + folder).c_str(), 0700), 0);
        }
        touch(root + "/installed/normal.jpg");
        ASSERT_EQ(chdir((root + "/work").c_str()), 0);
    }
    void TearDown() override {
        ASSERT_EQ(chdir(before.c_str()), 0);
        EXPECT_EQ(std::system(("rm -rf '" + root + "'").c_str()), 0);
    }
    static void touch(const std::string& path) {
        std::FILE* file = std::fopen(path.c_str(), "w");
        ASSERT_NE(file, nullptr) << path;
        std::fclose(file);
    }
    std::string before;
    std::string root;
};

TEST_F(DataFolder, AWorkingDirectoryWithAnyDataFileKeepsItsMeaning) {
    // Only a shader of its own, and the installed folder holds an image: still the working
    // directory, so that its missing images are named as before.
    touch("phong.frag");
    const k_DataFolder data = k_DataFolder::find({root + "/installed"});
    EXPECT_TRUE(data.isWorkingDirectory());
    EXPECT_TRUE(data.holdsAny());
    EXPECT_EQ(data.path("skydome.jpg"), "skydome.jpg");
}

TEST_F(DataFolder, ElseTheFirstFallbackHoldingAFileThenNothing) {
    const k_DataFolder installed =
        k_DataFolder::find({root + "/missing", root + "/empty", root + "/installed"});
    EXPECT_FALSE(installed.isWorkingDirectory());
    EXPECT_TRUE(installed.holdsAny());
    EXPECT_EQ(installed.path("phong.vert"), root + "/installed/phong.vert");
    EXPECT_EQ(installed.path("/elsewhere/sky.jpg"), "/elsewhere/sky.jpg");

    const k_DataFolder none = k_DataFolder::find({root + "/empty"});
    EXPECT_TRUE(none.isWorkingDirectory());
    EXPECT_FALSE(none.holdsAny());
    const std::string hint = none.missingFilesHint();
    EXPECT_EQ(hint.find('\n'), std::string::npos) << hint;
    EXPECT_NE(hint.find("the working directory " + root + "/work or " + root + "/empty;"),
              std::string::npos)
        << hint;
}

} // namespace
