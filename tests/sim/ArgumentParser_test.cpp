#include <gtest/gtest.h>

#include <ostream>

#include <string>
#include <vector>

#include "plandrawing/PlanLegend.h"
#include "tools/sim/ArgumentParser.h"

namespace {

k_ArgumentParser::Result parse(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "veltrava-sim");
    return k_ArgumentParser::parse(static_cast<int>(arguments.size()), arguments.data());
}

TEST(ArgumentParser, DefaultsGiveSixtySecondsOfSixteenMillisecondFrames) {
    const auto result = parse({"--scene", "3"});
    ASSERT_EQ(result.outcome, k_ArgumentParser::Outcome::run) << result.message;
    EXPECT_EQ(result.options.scene, 3);
    EXPECT_EQ(result.options.frames, 3750);
    EXPECT_EQ(result.options.captureEvery, 0);
    EXPECT_TRUE(result.options.tracePath.empty());
    EXPECT_EQ(result.options.searchBudget, k_InformationProvider::defaultSearchBudget);
    EXPECT_EQ(result.options.budgetFallback, k_BudgetFallback::partialRoute);
}

TEST(ArgumentParser, SearchBudgetZeroMeansUnbounded) {
    const auto result = parse({"--scene", "4", "--search-budget", "0", "--budget-fallback=keep"});
    ASSERT_EQ(result.outcome, k_ArgumentParser::Outcome::run) << result.message;
    EXPECT_EQ(result.options.searchBudget, 0u);
    EXPECT_EQ(result.options.budgetFallback, k_BudgetFallback::keepPath);
    EXPECT_EQ(parse({"--scene", "1", "--search-budget=1000000000"}).options.searchBudget,
              1000000000u);
}

TEST(ArgumentParser, ReadsEveryOptionInBothForms) {
    const auto result =
        parse({"--scene=2", "--seconds", "1", "--dt=0.3", "--trace", "t.csv", "--json=s.json",
               "--plot", "p.svg", "--frames", "out", "--every", "5"});
    ASSERT_EQ(result.outcome, k_ArgumentParser::Outcome::run) << result.message;
    EXPECT_EQ(result.options.scene, 2);
    // round(1 / 0.3) = 3: the last partial step is rounded, not dropped or added.
    EXPECT_EQ(result.options.frames, 3);
    EXPECT_EQ(result.options.tracePath, "t.csv");
    EXPECT_EQ(result.options.jsonPath, "s.json");
    EXPECT_EQ(result.options.plotPath, "p.svg");
    EXPECT_EQ(result.options.framesDirectory, "out");
    EXPECT_EQ(result.options.captureEvery, 5);
    EXPECT_EQ(result.options.planner, k_PlannerKind::standard);
    EXPECT_EQ(parse({"--scene=2", "--planner", "visibility"}).options.planner,
              k_PlannerKind::visibility);
    EXPECT_EQ(parse({"--scene=2", "--planner=default"}).options.planner, k_PlannerKind::standard);
    EXPECT_STREQ(wordOf(parse({"--scene=2", "--planner=rollout"}).options.planner), "rollout");
}

TEST(ArgumentParser, FramesWithoutEveryCaptureEveryFrame) {
    const auto result = parse({"--scene", "1", "--frames", "out"});
    ASSERT_EQ(result.outcome, k_ArgumentParser::Outcome::run);
    EXPECT_EQ(result.options.captureEvery, 1);
    EXPECT_FALSE(result.options.showPlan);
    EXPECT_TRUE(parse({"--scene", "1", "--frames", "out", "--show-plan"}).options.showPlan);
}

TEST(ArgumentParser, NumbersArePlainDecimalsReadToTheSameBitsAsTheirText) {
    const auto result = parse(
        {"--scene", "+1", "--dt", "0.033", "--seconds", "1e1", "--frames", "d", "--every", "010"});
    ASSERT_EQ(result.outcome, k_ArgumentParser::Outcome::run) << result.message;
    EXPECT_EQ(result.options.scene, 1);
    EXPECT_EQ(result.options.dt, 0.033); // not through long double
    EXPECT_EQ(result.options.seconds, 10.0);
    EXPECT_EQ(result.options.captureEvery, 10); // ten, not octal eight
}

TEST(ArgumentParser, VersionIsOneLineWithTheProgramsName) {
    const auto result = parse({"--bogus", "--version"});
    EXPECT_EQ(result.outcome, k_ArgumentParser::Outcome::version);
    EXPECT_EQ(result.answer, k_CommandLine::versionLine("veltrava-sim") + "\n");
    EXPECT_EQ(result.answer.rfind("veltrava-sim ", 0), 0u) << result.answer;
}

TEST(ArgumentParser, HelpWinsOverEverythingElse) {
    EXPECT_EQ(parse({"--scene", "9", "--help"}).outcome, k_ArgumentParser::Outcome::help);
    const std::string usage = parse({"--help"}).answer;
    EXPECT_NE(usage.find("nearest-rank"), std::string::npos);
    EXPECT_NE(usage.find(planLegendText(2)), std::string::npos) << usage;
    // Choices by their words only.
    EXPECT_NE(usage.find("--budget-fallback partial|straight|keep"), std::string::npos) << usage;
    EXPECT_EQ(usage.find("->"), std::string::npos) << usage;
}

struct BadCase {
    std::vector<const char*> arguments;
    const char* messagePart;
};

// A failure names the command line, not the case's bytes.
void PrintTo(const BadCase& line, std::ostream* out) {
    for (const char* argument : line.arguments) {
        *out << (argument == line.arguments.front() ? "" : " ") << argument;
    }
    *out << " (refused naming " << line.messagePart << ")";
}

class ArgumentParserRefuses : public testing::TestWithParam<BadCase> {};

TEST_P(ArgumentParserRefuses, WithAMessageNamingTheProblem) {
    const auto result = parse(GetParam().arguments);
    EXPECT_EQ(result.outcome, k_ArgumentParser::Outcome::error);
    EXPECT_NE(result.message.find(GetParam().messagePart), std::string::npos) << result.message;
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, ArgumentParserRefuses,
    testing::Values(BadCase{{}, "--scene N or --scene-file FILE is required"},
                    BadCase{{"--scene", "5"}, "--scene"}, BadCase{{"--scene", "0"}, "--scene"},
                    BadCase{{"--scene", "1x"}, "'1x'"},
                    BadCase{{"--scene", "1", "--seconds", "-2"}, "--seconds"},
                    BadCase{{"--scene", "1", "--seconds", "0"}, "--seconds"},
                    BadCase{{"--scene", "1", "--dt", "0"}, "--dt"},
                    BadCase{{"--scene", "1", "--dt", "-0.016"}, "--dt"},
                    BadCase{{"--scene", "1", "--dt", "nan"}, "--dt"},
                    BadCase{{"--scene", "1", "--dt", "inf"}, "--dt"},
                    BadCase{{"--scene", "1", "--dt", "fast"}, "'fast'"},
                    BadCase{{"--scene", "1", "--dt", "1e999"}, "--dt"},
                    BadCase{{"--scene", "1", "--every", "2"}, "--every needs --frames"},
                    BadCase{{"--scene", "1", "--show-plan"},
                            "--show-plan draws the plan into the pictures: it needs --frames"},
                    BadCase{{"--scene", "1", "--frames", "d", "--every", "0"}, "--every"},
                    BadCase{{"--scene", "1", "--trace"}, "--trace: 1 required FILE missing"},
                    BadCase{{"--scene", "1", "--trace="}, "--trace: 1 required FILE missing"},
                    BadCase{{"--scene", "1", "--speed", "2"}, "--speed"},
                    BadCase{{"--scene", "1", "--planner", "best"}, "default, visibility, orbit or rollout"},
                    BadCase{{"--scene", "1", "extra"}, "not expected: extra"},
                    BadCase{{"--scene", "1", "--scene", "2"}, "--scene: At Most 1"},
                    BadCase{{"--scene", "1", "--headless", "--headless"}, "--headless: At Most 1"},
                    BadCase{{"--scene", "1", "--planner", "1"}, "default, visibility, orbit or rollout, not '1'"},
                    BadCase{{"--scene", "0x2"}, "'0x2'"},
                    BadCase{{"--scene", "1", "--dt", "0x1p-4"}, "'0x1p-4'"},
                    BadCase{{"--scene", "1", "--every", "1.0", "--frames", "d"}, "'1.0'"},
                    BadCase{{"--scene", "1", "--seconds", "0.001"}, "no frame"},
                    BadCase{{"--scene", "1", "--seconds", "1e9"}, "frames"},
                    BadCase{{"--scene", "1", "--search-budget", "-1"}, "--search-budget"},
                    BadCase{{"--scene", "1", "--search-budget", "1e3"}, "'1e3'"},
                    BadCase{{"--scene", "1", "--search-budget", "1000000001"}, "--search-budget"},
                    BadCase{{"--scene", "1", "--budget-fallback", "stop"}, "'stop'"}));

} // namespace

TEST(ArgumentParser, APlannerCommandIsThePlannerAndItsTimeoutNeedsIt) {
    const auto result =
        parse({"--scene", "1", "--planner-command", "python3 p.py", "--planner-timeout", "0.25"});
    ASSERT_EQ(result.outcome, k_ArgumentParser::Outcome::run) << result.message;
    EXPECT_EQ(result.options.plannerCommand, "python3 p.py");
    EXPECT_EQ(result.options.plannerTimeout, 0.25);
    EXPECT_EQ(parse({"--scene", "1"}).options.plannerTimeout, 1.0);
    for (const std::vector<const char*>& refused :
         {std::vector<const char*>{"--scene", "1", "--planner-command", "x", "--planner",
                                   "visibility"},
          {"--scene", "1", "--planner-command", "x", "--camera-path", "p.csv"},
          {"--scene", "1", "--planner-command", "x", "--compare-reference"},
          {"--scene", "1", "--planner-timeout", "2"},
          {"--scene", "1", "--planner-command", "x", "--planner-timeout", "0"}}) {
        const auto outcome = parse(refused);
        EXPECT_EQ(outcome.outcome, k_ArgumentParser::Outcome::error) << refused.back();
        EXPECT_NE(outcome.message.find("--planner-"), std::string::npos) << outcome.message;
    }
}
