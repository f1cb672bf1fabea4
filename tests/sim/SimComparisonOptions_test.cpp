// The simulator's options for comparing the path searches and growing Scene 4's swarm, and
// the figures they add to the summary and the trace.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <ostream>

#include <cstdio>
#include <string>
#include <vector>

#include "tools/sim/ArgumentParser.h"
#include "tools/sim/RunSummary.h"
#include "tools/sim/ShortestTimes.h"
#include "tools/sim/TraceWriter.h"

namespace {

k_ArgumentParser::Result parse(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "veltrava-sim");
    return k_ArgumentParser::parse(static_cast<int>(arguments.size()), arguments.data());
}

std::string written(void (k_RunSummary::*write)(std::FILE*) const, const k_RunSummary& summary) {
    std::FILE* file = std::tmpfile();
    (summary.*write)(file);
    std::rewind(file);
    std::string text(16384, '\0');
    text.resize(std::fread(&text[0], 1, text.size(), file));
    std::fclose(file);
    return text;
}

TEST(SimComparisonOptions, DefaultsAndEveryNewOption) {
    const auto plain = parse({"--scene", "1"});
    ASSERT_EQ(plain.outcome, k_ArgumentParser::Outcome::run);
    EXPECT_EQ(plain.options.strategy, k_SearchStrategy::fast);
    EXPECT_FALSE(plain.options.compareReference);
    EXPECT_EQ(plain.options.passes, 1);
    EXPECT_EQ(plain.options.swarm, 0);

    const auto full = parse({"--scene", "4", "--compare-reference", "--repeats=5", "--passes", "3",
                             "--swarm", "10000"});
    ASSERT_EQ(full.outcome, k_ArgumentParser::Outcome::run) << full.message;
    EXPECT_TRUE(full.options.compareReference);
    EXPECT_EQ(full.options.repeats, 5);
    EXPECT_EQ(full.options.passes, 3);
    EXPECT_EQ(full.options.swarm, 10000);

    const auto reference = parse({"--scene", "2", "--strategy", "reference"});
    ASSERT_EQ(reference.outcome, k_ArgumentParser::Outcome::run);
    EXPECT_EQ(reference.options.strategy, k_SearchStrategy::reference);
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

class SimComparisonOptionsRefuse : public testing::TestWithParam<BadCase> {};

TEST_P(SimComparisonOptionsRefuse, WithAMessageNamingTheProblem) {
    const auto result = parse(GetParam().arguments);
    EXPECT_EQ(result.outcome, k_ArgumentParser::Outcome::error);
    EXPECT_NE(result.message.find(GetParam().messagePart), std::string::npos) << result.message;
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, SimComparisonOptionsRefuse,
    testing::Values(
        BadCase{{"--scene", "1", "--strategy", "quick"}, "fast or reference"},
        BadCase{{"--scene", "1", "--strategy", "reference", "--compare-reference"},
                "cannot be combined"},
        BadCase{{"--scene", "1", "--compare-reference=yes"}, "disallowed flag override"},
        BadCase{{"--scene", "1", "--compare-reference", "--compare-reference"},
                "--compare-reference: At Most 1"},
        BadCase{{"--scene", "1", "--repeats", "3"}, "--repeats needs --compare-reference"},
        BadCase{{"--scene", "1", "--compare-reference", "--repeats", "0"}, "--repeats"},
        BadCase{{"--scene", "1", "--compare-reference", "--repeats", "101"}, "--repeats"},
        BadCase{{"--scene", "1", "--passes", "0"}, "--passes"},
        BadCase{{"--scene", "1", "--passes", "21"}, "--passes"},
        BadCase{{"--scene", "3", "--swarm", "1000"}, "needs --scene 4"},
        BadCase{{"--scene", "4", "--swarm", "0"}, "--swarm"},
        BadCase{{"--scene", "4", "--swarm", "-5"}, "--swarm"},
        BadCase{{"--scene", "4", "--swarm", "1000001"}, "--swarm"},
        BadCase{{"--scene", "4", "--swarm", "1e4"}, "'1e4'"}));

TEST(SimComparisonOptions, ShortestTimesArePerFrameAndPerFigure) {
    k_ShortestTimes shortest;
    k_FrameRecord first;
    first.frame = 2;
    first.planMicroseconds = 40;
    first.searchNanoseconds = 9000;
    first.referencePlanMicroseconds = 100;
    first.referenceSearchNanoseconds = 70000;
    first.sphereTests = 17;
    shortest.take(first);
    EXPECT_EQ(first.planMicroseconds, 40);

    // A later pass of the same frame, slower in one figure and faster in the others.
    k_FrameRecord second = first;
    second.planMicroseconds = 4040;
    second.searchNanoseconds = 8000;
    second.referencePlanMicroseconds = 90;
    second.referenceSearchNanoseconds = 75000;
    shortest.take(second);
    EXPECT_EQ(second.planMicroseconds, 40);
    EXPECT_EQ(second.searchNanoseconds, 8000);
    EXPECT_EQ(second.referencePlanMicroseconds, 90);
    EXPECT_EQ(second.referenceSearchNanoseconds, 70000);
    EXPECT_EQ(second.sphereTests, 17u);

    // Another frame starts from its own times.
    k_FrameRecord other;
    other.frame = 1;
    other.planMicroseconds = 500;
    shortest.take(other);
    EXPECT_EQ(other.planMicroseconds, 500);
}

TEST(SimComparisonOptions, SummaryReportsBothSearchesAndEveryMismatch) {
    k_RunSummary summary(k_WorldChoice::builtInScene(4, 1000), 0.016);
    summary.describeRun(k_SearchStrategy::fast, 3, 2);
    for (long frame = 1; frame <= 4; ++frame) {
        k_FrameRecord record;
        record.frame = frame;
        record.target = 0;
        record.planMicroseconds = 10 * frame;
        record.searchNanoseconds = 8000 * frame;
        record.segmentTests = 4;
        record.sphereTests = 40;
        record.referencePlanMicroseconds = 100 * frame;
        record.referenceSearchNanoseconds = 98000 * frame;
        record.referenceSphereTests = 400;
        record.mismatches = frame == 3 ? 1 : 0;
        summary.addFrame(record);
    }
    EXPECT_EQ(summary.getMismatches(), 1u);
    EXPECT_EQ(summary.referencePlanTime().max, 400);
    EXPECT_EQ(summary.searchTime().p99, 32000);
    // (8000 + 16000 + 24000 + 32000) ns over 16 segment tests.
    EXPECT_DOUBLE_EQ(summary.searchNanosecondsPerSegmentTest(false), 5000.0);
    EXPECT_DOUBLE_EQ(summary.sphereTestsPerSegmentTest(true), 100.0);

    const std::string text = written(&k_RunSummary::writeText, summary);
    EXPECT_NE(text.find("swarm              1000 obstacles"), std::string::npos) << text;
    EXPECT_NE(text.find("shortest of 2 passes"), std::string::npos) << text;
    EXPECT_NE(text.find("shortest of 3 runs per search"), std::string::npos) << text;
    EXPECT_NE(text.find("plan p99 10.0  max 10.0"), std::string::npos) << text;
    EXPECT_NE(text.find("\nmismatches         1\n"), std::string::npos) << text;

    const nlohmann::json json = nlohmann::json::parse(written(&k_RunSummary::writeJson, summary));
    EXPECT_EQ(json["swarm"], 1000);
    EXPECT_EQ(json["comparison"]["repeats"], 3);
    EXPECT_EQ(json["comparison"]["mismatches"], 1);
    EXPECT_EQ(json["comparison"]["reference_plan_us"],
              nlohmann::json::parse(R"({"p50": 200, "p99": 400, "max": 400, "max_frame": 4})"));
    EXPECT_DOUBLE_EQ(json["search_us"]["p50"].get<double>(), 16.0);
    EXPECT_DOUBLE_EQ(json["search_us"]["p99"].get<double>(), 32.0);
}

TEST(SimComparisonOptions, WithoutComparisonTheSummaryHasNoReferenceFigures) {
    k_RunSummary summary(k_WorldChoice::builtInScene(1), 0.016);
    k_FrameRecord record;
    record.frame = 1;
    record.referenceSearchNanoseconds = 5;
    summary.addFrame(record);
    EXPECT_EQ(summary.referenceSearchTime().max, 0);
    EXPECT_EQ(written(&k_RunSummary::writeText, summary).find("reference"), std::string::npos);
    EXPECT_EQ(written(&k_RunSummary::writeJson, summary).find("comparison"), std::string::npos);
}

TEST(SimComparisonOptions, ComparisonColumnsFollowPlanTime) {
    k_FrameRecord record;
    record.searchNanoseconds = 1234;
    record.referencePlanMicroseconds = 56;
    record.referenceSearchNanoseconds = 78901;
    record.referenceSphereTests = 2345;
    record.mismatches = 0;
    EXPECT_EQ(k_TraceWriter::formatComparison(record), ",1234,56,78901,2345,0");
    EXPECT_EQ(std::string(k_TraceWriter::comparisonHeader()),
              ",search_ns,ref_plan_us,ref_search_ns,ref_sphere_tests,mismatches");
}

} // namespace
