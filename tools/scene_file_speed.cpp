// The scene file reader's speed, for scripts/measure-scaling.
//   scene_file_speed parse FILE    CPU seconds to parse FILE's text (already in memory) with
//                                  RapidJSON's and nlohmann-json's SAX parsers and a handler
//                                  that keeps nothing, into nlohmann-json's DOM, and to read
//                                  and check it as the programs do (RapidJSON into our compact
//                                  tree, then the checks). CPU time, since the machine is
//                                  shared: the wall time also holds what others took.
//   scene_file_speed expand IN OUT writes IN with every generated group written out body by
//                                  body, the same world as a file of many bodies
#include <nlohmann/json.hpp>
#include <rapidjson/memorystream.h>
#include <rapidjson/reader.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/Random.h"
#include "scenefile/GeneratedBody.h"
#include "scenefile/SceneFileReader.h"
#include "scenefile/SceneFileWriter.h"

namespace {

using Json = nlohmann::json;

// Accepts every event and keeps nothing: the cost of the parse alone.
struct NothingKept : nlohmann::json_sax<Json> {
    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_unsigned(number_unsigned_t) override { return true; }
    bool number_float(number_float_t, const string_t&) override { return true; }
    bool string(string_t&) override { return true; }
    bool binary(binary_t&) override { return true; }
    bool start_object(std::size_t) override { return true; }
    bool key(string_t&) override { return true; }
    bool end_object() override { return true; }
    bool start_array(std::size_t) override { return true; }
    bool end_array() override { return true; }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
        return false;
    }
};

struct NothingKeptFast : rapidjson::BaseReaderHandler<rapidjson::UTF8<>, NothingKeptFast> {
    bool Default() { return true; }
};

template <typename Work> double timed(Work work) {
    const std::clock_t start = std::clock();
    work();
    return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
}

std::string readText(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

int parse(const char* path) {
    const std::string text = readText(path);
    bool parsed = false;
    const double fastSax = timed([&] {
        NothingKeptFast handler;
        rapidjson::Reader reader;
        rapidjson::MemoryStream stream(text.data(), text.size());
        parsed = !reader
                      .Parse<rapidjson::kParseFullPrecisionFlag | rapidjson::kParseIterativeFlag |
                             rapidjson::kParseValidateEncodingFlag>(stream, handler)
                      .IsError();
    });
    const double sax = timed([&] {
        NothingKept handler;
        parsed = parsed && Json::sax_parse(text, &handler);
    });
    std::size_t entries = 0;
    const double dom = timed([&] { entries = Json::parse(text).size(); });
    k_SceneDescription description;
    std::string error;
    bool accepted = false;
    const double read = timed([&] {
        accepted = k_SceneFileReader::parse(text.data(), text.size(), path, description, error);
    });
    if (!parsed || entries == 0 || !accepted) {
        std::fprintf(stderr, "scene_file_speed: %s\n", accepted ? "parse failed" : error.c_str());
        return 1;
    }
    std::printf("bytes %zu rapidjson_sax %.4f nlohmann_sax %.4f nlohmann_dom %.4f read %.4f "
                "bodies %ld\n",
                text.size(), fastSax, sax, dom, read, description.bodyCount());
    return 0;
}

int expand(const char* in, const char* out) {
    k_SceneDescription description;
    std::string error;
    if (!k_SceneFileReader::read(in, description, error)) {
        std::fprintf(stderr, "scene_file_speed: %s\n", error.c_str());
        return 1;
    }
    for (k_GroupDescription& group : description.groups) {
        if (!group.hasGenerator) {
            continue;
        }
        if (group.generator.hasSeed) {
            randomSeed(group.generator.seed);
        }
        for (long i = 0; i < group.generator.count; ++i) {
            group.bodies.push_back(drawGeneratedBody(group.generator));
        }
        group.hasGenerator = false;
    }
    std::FILE* file = std::fopen(out, "w");
    const std::string text = k_SceneFileWriter::write(description);
    if (file == nullptr || std::fputs(text.c_str(), file) < 0 || std::fclose(file) != 0) {
        std::fprintf(stderr, "scene_file_speed: cannot write %s\n", out);
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "parse") == 0) {
        return parse(argv[2]);
    }
    if (argc == 4 && std::strcmp(argv[1], "expand") == 0) {
        return expand(argv[2], argv[3]);
    }
    std::fprintf(stderr, "usage: scene_file_speed parse FILE | expand IN OUT\n");
    return 2;
}
