// Scene files without GL: the broken-file table with its exact messages, files that are not
// regular files or are too large, the committed regression inputs, and the writer's promise
// that what it writes reads back to the same description.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/Random.h"
#include "scenefile/BuiltInSceneDescriptions.h"
#include "scenefile/SceneFileReader.h"
#include "scenefile/SceneFileWriter.h"

namespace {

const std::string sourceDir = VELTRAVA_SOURCE_DIR;

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string refusal(const std::string& text) {
    k_SceneDescription description;
    std::string error;
    EXPECT_FALSE(
        k_SceneFileReader::parse(text.data(), text.size(), "scene.json", description, error));
    return error;
}

class TemporaryDirectory {
public:
    TemporaryDirectory() {
        char pattern[] = "/tmp/veltrava-scenefile-XXXXXX";
        path = mkdtemp(pattern);
    }
    ~TemporaryDirectory() { std::filesystem::remove_all(path); }
    std::string path;
};

} // namespace

TEST(SceneFileReader, EveryBrokenFileOfTheTableGivesItsOwnLine) {
    const nlohmann::json table =
        nlohmann::json::parse(readText(sourceDir + "/tests/scenefile/scene-files/broken.json"));
    const nlohmann::json& base = table.at("base");
    // The base itself must load, or every case would fail for the base's fault.
    const std::string baseText = base.dump();
    k_SceneDescription description;
    std::string error;
    ASSERT_TRUE(k_SceneFileReader::parse(baseText.data(), baseText.size(), "scene.json",
                                         description, error))
        << error;
    for (const nlohmann::json& item : table.at("cases")) {
        const std::string text = item.contains("text") ? item.at("text").get<std::string>()
                                                       : base.patch(item.at("patch")).dump();
        EXPECT_EQ(refusal(text), item.at("message").get<std::string>()) << text;
    }
}

TEST(SceneFileReader, RefusesWhatIsNotARegularFileOrIsTooLarge) {
    TemporaryDirectory directory;
    const std::string fifo = directory.path + "/fifo.json";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string large = directory.path + "/large.json";
    {
        // Sparse: one byte past the limit costs no disk.
        const int descriptor = open(large.c_str(), O_WRONLY | O_CREAT, 0600);
        ASSERT_GE(descriptor, 0);
        ASSERT_EQ(ftruncate(descriptor, static_cast<off_t>(k_SceneFileReader::maxFileBytes) + 1),
                  0);
        close(descriptor);
    }
    const std::pair<std::string, std::string> cases[] = {
        {fifo, fifo + ": cannot be read: not a regular file (a FIFO)"},
        {directory.path, directory.path + ": cannot be read: not a regular file (a directory)"},
        {"/dev/zero", "/dev/zero: cannot be read: not a regular file (a character device)"},
        {directory.path + "/missing.json",
         directory.path + "/missing.json: cannot be read: No such file or directory"},
        {large, large + ": is larger than the limit of 64 MiB for a scene file"},
    };
    for (const auto& [path, message] : cases) {
        k_SceneDescription description;
        description.skyImage = "untouched";
        std::string error;
        EXPECT_FALSE(k_SceneFileReader::read(path, description, error));
        EXPECT_EQ(error, message);
        EXPECT_EQ(description.skyImage, "untouched");
    }
}

TEST(SceneFileReader, RegressionInputsAreRefusedOnOneLineOrReadBack) {
    int inputs = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator(sourceDir + "/tests/reliability/scene-regressions")) {
        ++inputs;
        k_SceneDescription description;
        std::string error;
        if (k_SceneFileReader::read(entry.path().string(), description, error)) {
            const std::string written = k_SceneFileWriter::write(description);
            k_SceneDescription again;
            ASSERT_TRUE(
                k_SceneFileReader::parse(written.data(), written.size(), "written", again, error))
                << error;
            EXPECT_EQ(k_SceneFileWriter::write(again), written);
        } else {
            EXPECT_EQ(error.find('\n'), std::string::npos) << entry.path();
            EXPECT_EQ(error.rfind(entry.path().string() + ":", 0), 0u) << error;
        }
    }
    EXPECT_GT(inputs, 0);
}

TEST(SceneFileWriter, ExportedBuiltInScenesAreTheCommittedExamplesAndReadBackUnchanged) {
    for (int number = 1; number <= 4; ++number) {
        const std::string written = k_SceneFileWriter::write(describeBuiltInScene(number, 0));
        const std::string committed =
            sourceDir + "/examples/scene" + std::to_string(number) + ".json";
        EXPECT_EQ(written, readText(committed)) << committed << " is out of date";
        k_SceneDescription description;
        std::string error;
        ASSERT_TRUE(k_SceneFileReader::read(committed, description, error)) << error;
        EXPECT_EQ(k_SceneFileWriter::write(description), written);
    }
}

TEST(SceneFileWriter, NumbersReadBackToTheSameBits) {
    // Floats that need all nine digits, one near the coordinate limit, and a double period.
    k_SceneDescription scene = describeBuiltInScene(3, 0);
    k_BodyDescription body;
    body.hasRadius = true;
    body.radius = 0.30000001192092896f;
    body.position = k_Vector3(16777215.0f / 32.0f, -0.1f, 999999.94f);
    k_AnimationDescription swing;
    swing.kind = k_AnimationDescription::Kind::swing;
    swing.period = 0.1 + 0.2;
    swing.rate = k_Vector3(1.0f / 3.0f, 2.0f / 3.0f, 1e-7f);
    body.animations.push_back(swing);
    scene.bodies.push_back(body);
    const std::string written = k_SceneFileWriter::write(scene);
    k_SceneDescription read;
    std::string error;
    ASSERT_TRUE(k_SceneFileReader::parse(written.data(), written.size(), "s", read, error))
        << error;
    const k_BodyDescription& back = read.bodies.back();
    EXPECT_EQ(back.radius, body.radius);
    EXPECT_EQ(back.position.x, body.position.x);
    EXPECT_EQ(back.position.y, body.position.y);
    EXPECT_EQ(back.position.z, body.position.z);
    EXPECT_EQ(back.animations[0].period, swing.period);
    EXPECT_EQ(back.animations[0].rate.x, swing.rate.x);
    EXPECT_EQ(back.animations[0].rate.z, swing.rate.z);
}

// Text outside the ASCII range: what the reader accepts the writer writes and the reader
// reads back the same; what is not Unicode is refused wherever it stands, raw or escaped; and
// the writer, given bytes that are not UTF-8 by code, still writes a file the reader takes.
TEST(SceneFileWriter, TextTheReaderAcceptsReadsBackAndNoTextMakesItThrow) {
    const std::string start =
        "{\"format\": \"veltrava-scene\", \"version\": 1, \"camera\": "
        "{\"acceleration\": 5, \"lookAcceleration\": 5, \"maxSpeed\": 30, "
        "\"stopDistance\": 10, \"position\": [0, 0, 10], \"lookAt\": [0, 0, 9]}, "
        "\"sky\": {\"image\": \"";
    const std::string end = "\"}}";
    // e acute, the largest code points of three and four bytes, and a pair for U+1F600.
    const std::pair<std::string, std::string> accepted[] = {
        {"caf\xC3\xA9.jpg", "caf\xC3\xA9.jpg"},
        {"\xEF\xBF\xBF\xF4\x8F\xBF\xBF", "\xEF\xBF\xBF\xF4\x8F\xBF\xBF"},
        {"\\uD83D\\uDE00.jpg", "\xF0\x9F\x98\x80.jpg"},
    };
    for (const auto& [written, image] : accepted) {
        k_SceneDescription description;
        std::string error;
        const std::string text = start + written + end;
        ASSERT_TRUE(k_SceneFileReader::parse(text.data(), text.size(), "s", description, error))
            << error;
        EXPECT_EQ(description.skyImage, image);
        const std::string out = k_SceneFileWriter::write(description);
        k_SceneDescription again;
        ASSERT_TRUE(k_SceneFileReader::parse(out.data(), out.size(), "w", again, error)) << error;
        EXPECT_EQ(again.skyImage, image);
    }
    // Raw: a surrogate's own bytes, an overlong slash, a code point past U+10FFFF; the place
    // is the first byte that is not UTF-8.
    for (const std::string raw : {"a\xED\xB8\x80"
                                  "b",
                                  "a\xC0\xAF"
                                  "b",
                                  "a\xF4\x90\x80\x80"
                                  "b"}) {
        EXPECT_EQ(refusal(start + raw + end),
                  "scene.json:1:198: not valid JSON: invalid encoding in string");
    }
    k_SceneDescription made = describeBuiltInScene(1, 0);
    made.skyImage = "a\xED\xB8\x80"
                    "b.jpg";
    std::string out;
    ASSERT_NO_THROW(out = k_SceneFileWriter::write(made));
    k_SceneDescription back;
    std::string error;
    ASSERT_TRUE(k_SceneFileReader::parse(out.data(), out.size(), "w", back, error)) << error;
    EXPECT_EQ(back.skyImage.rfind("a\xEF\xBF\xBD", 0), 0u) << back.skyImage;
}

TEST(BuiltInSceneDescriptions, LeaveTheGeneratorWhereTheBuiltInLoadWould) {
    // Scene 1 reseeds with 1 and then draws 5 values per obstacle; the description says so,
    // and describing leaves the generator in that state too.
    const k_SceneDescription scene = describeBuiltInScene(1, 0);
    ASSERT_TRUE(scene.hasGeneratorAfterLoad);
    EXPECT_EQ(scene.generatorSeed, 1u);
    EXPECT_EQ(scene.generatorDraws, 500u);
    const int next = randomNext();
    randomSeed(1);
    for (int i = 0; i < 500; ++i) {
        randomNext();
    }
    EXPECT_EQ(randomNext(), next);
}
