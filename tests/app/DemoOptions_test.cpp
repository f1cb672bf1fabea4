// The demo's command line, read before any display is opened.
#include <gtest/gtest.h>

#include <ostream>

#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/DemoOptions.h"
#include "plandrawing/PlanLegend.h"
#include "support/CaptureOutput.h"

namespace {

TEST(DemoOptions, noArgumentRunsAsAlwaysAndTheGivenOptionsAreRead) {
    const char* bare[] = {"veltrava"};
    k_DemoOptions options;
    EXPECT_EQ(parseDemoOptions(1, bare, options), demoOptionsRun);
    EXPECT_FALSE(options.showPlan);
    const char* planned[] = {"veltrava", "--show-plan"};
    EXPECT_EQ(parseDemoOptions(2, planned, options), demoOptionsRun);
    EXPECT_TRUE(options.showPlan);
    const char* help[] = {"veltrava", "--help", "--bogus"};
    const std::string text =
        captureStdout([&] { EXPECT_EQ(parseDemoOptions(3, help, options), 0); });
    EXPECT_NE(text.find("--show-plan"), std::string::npos) << text;
    EXPECT_NE(text.find(planLegendText(2)), std::string::npos) << text;
}

TEST(DemoOptions, xOptionsGoToGlutInTheirOrderAndTheRestIsOurs) {
    const char* line[] = {"veltrava",  "-display", ":7",
                          "--scene",   "3",        "-iconic",
                          "-geometry", "1x1+0+0",  "--planner=visibility"};
    k_DemoOptions options;
    ASSERT_EQ(parseDemoOptions(9, line, options), demoOptionsRun);
    EXPECT_EQ(options.scene, 3);
    EXPECT_EQ(options.planner, k_PlannerKind::visibility);
    EXPECT_FALSE(options.showPlan);
    const std::vector<std::string> glut{"veltrava", "-display",  ":7",
                                        "-iconic",  "-geometry", "1x1+0+0"};
    EXPECT_EQ(options.glutArguments, glut);
    const char* bare[] = {"veltrava"};
    k_DemoOptions plain;
    ASSERT_EQ(parseDemoOptions(1, bare, plain), demoOptionsRun);
    EXPECT_EQ(plain.scene, 0); // the menu chooses, as always
    EXPECT_EQ(plain.sceneFile, "");
    const char* world[] = {"veltrava", "--scene-file", "examples/orbits.json"};
    ASSERT_EQ(parseDemoOptions(3, world, plain), demoOptionsRun);
    EXPECT_EQ(plain.sceneFile, "examples/orbits.json");
    EXPECT_EQ(plain.glutArguments, std::vector<std::string>{"veltrava"});
}

struct BadDemoLine {
    std::vector<const char*> arguments;
    const char* messagePart;
};

// A failure names the command line, not the case's bytes.
void PrintTo(const BadDemoLine& line, std::ostream* out) {
    for (const char* argument : line.arguments) {
        *out << (argument == line.arguments.front() ? "" : " ") << argument;
    }
    *out << " (refused naming " << line.messagePart << ")";
}

class DemoOptionsRefuse : public testing::TestWithParam<BadDemoLine> {};

TEST_P(DemoOptionsRefuse, WithOneLineOnStandardErrorAndExitCodeTwo) {
    std::vector<const char*> line = GetParam().arguments;
    line.insert(line.begin(), "veltrava");
    k_DemoOptions options;
    int status = 0;
    const std::string out = captureStdout([&] {
        const std::string err = captureStderr([&] {
            status = parseDemoOptions(static_cast<int>(line.size()), line.data(), options);
        });
        EXPECT_EQ(err.rfind("veltrava: ", 0), 0u) << err;
        EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
        EXPECT_NE(err.find(GetParam().messagePart), std::string::npos) << err;
    });
    EXPECT_EQ(status, k_CommandLine::usageExitCode);
    EXPECT_TRUE(out.empty()) << out;
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, DemoOptionsRefuse,
    testing::Values(BadDemoLine{{"--bogus"}, "--bogus"}, BadDemoLine{{"--scene", "5"}, "'5'"},
                    BadDemoLine{{"--scene", "2", "--scene", "3"}, "--scene"},
                    BadDemoLine{{"--planner", "1"}, "default, visibility, orbit or rollout, not '1'"},
                    BadDemoLine{{"--show-plan", "--show-plan"}, "--show-plan"},
                    BadDemoLine{{"-geometry"}, "-geometry needs a value"},
                    BadDemoLine{{"--scene", "2", "--scene-file", "w.json"},
                                "--scene excludes --scene-file"},
                    BadDemoLine{{"--scene-file"}, "--scene-file"}));

TEST(DemoOptions, versionIsOneLineOnStandardOutput) {
    const char* line[] = {"veltrava", "--version"};
    k_DemoOptions options;
    const std::string text =
        captureStdout([&] { EXPECT_EQ(parseDemoOptions(2, line, options), 0); });
    EXPECT_EQ(text, k_CommandLine::versionLine("veltrava") + "\n");
}

} // namespace
