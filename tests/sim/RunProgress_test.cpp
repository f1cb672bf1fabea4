#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tools/sim/RunProgress.h"

namespace {

// A progress line drawn on a file with a clock the test sets.
struct ProgressOnFile {
    std::FILE* file = std::tmpfile();
    double now = 0.0;

    ~ProgressOnFile() { std::fclose(file); }
    k_RunProgress::Clock clock() {
        return [this] { return now; };
    }
    std::string written() {
        std::fflush(file);
        std::rewind(file);
        std::string text(4096, '\0');
        text.resize(std::fread(&text[0], 1, text.size(), file));
        return text;
    }
};

TEST(RunProgress, ShowsLongRunsOnlyAndWipesItsLine) {
    ProgressOnFile out;
    {
        k_RunProgress progress(out.file, true, out.clock());
        progress.begin(10, 1);
        // Steps that binary fractions hold exactly.
        out.now += 0.75;
        progress.frameDone(1, 4);
        EXPECT_EQ(out.written(), "") << "a run under a second shows nothing";
        out.now += 0.25;
        progress.frameDone(1, 5);
        const std::string first = out.written();
        EXPECT_EQ(first, "\r\033[K 50 % (frame 5 of 10), 1 s, about 1 s left");
        // Not redrawn more often than a few times a second.
        out.now += 0.125;
        progress.frameDone(1, 6);
        EXPECT_EQ(out.written(), first);
        out.now += 0.125;
        progress.frameDone(1, 7);
        EXPECT_NE(out.written().find(" 70 % (frame 7 of 10)", first.size()), std::string::npos);
    }
    // Gone with the progress: the summary that follows starts on a clean line.
    const std::string text = out.written();
    EXPECT_EQ(text.substr(text.size() - 4), "\r\033[K");
}

TEST(RunProgress, CountsEveryPassAndStaysSilentWhenDisabled) {
    ProgressOnFile out;
    k_RunProgress progress(out.file, true, out.clock());
    progress.begin(100, 4);
    out.now += 3.0;
    progress.frameDone(2, 50);
    // 150 of 400 frames in 3 s: 5 s to go.
    EXPECT_EQ(out.written(), "\r\033[K 37 % (pass 2 of 4, frame 50 of 100), 3 s, about 5 s left");
    progress.finish();
    const std::size_t size = out.written().size();
    progress.finish();
    EXPECT_EQ(out.written().size(), size) << "wiped once only";

    ProgressOnFile quiet;
    {
        k_RunProgress silent(quiet.file, false, quiet.clock());
        silent.begin(10, 1);
        quiet.now += 60.0;
        silent.frameDone(1, 5);
    }
    EXPECT_EQ(quiet.written(), "");
}

} // namespace
