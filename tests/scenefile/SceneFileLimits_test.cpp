// Every limit the scene format checks, at the limit and one step past it, every object's
// unknown keys, and the limit on a world's bodies. A step past a limit is the next number a
// file can hold: the next whole number, or the next double for a real number.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "scenefile/SceneFileReader.h"

namespace {

const std::string sourceDir = VELTRAVA_SOURCE_DIR;

nlohmann::json baseWorld() {
    std::ifstream in(sourceDir + "/tests/scenefile/scene-files/broken.json");
    nlohmann::json table;
    in >> table;
    nlohmann::json base = table.at("base");
    // Every kind of object the format has, so that each one's rules can be reached.
    base["sky"] = {{"image", "sky.jpg"}, {"radius", 500}};
    base["light"] = {{"direction", {1, 1, 0}}};
    base["bodies"][0]["animations"].push_back(
        {{"swing", {{"amplitude", {0, 1, 0}}, {"period", 5}}}});
    base["generatorAfterLoad"] = {{"seed", 1}, {"draws", 10}};
    return base;
}

bool parse(const nlohmann::json& world, std::string& error) {
    const std::string text = world.dump();
    k_SceneDescription description;
    return k_SceneFileReader::parse(text.data(), text.size(), "scene.json", description, error);
}

struct Limit {
    /// The case's name in the test's name.
    const char* name;
    /// Where the value goes (an object's member is added or replaced, an array's element
    /// replaced), and the values at the limit and one step past it, as JSON text.
    const char* path;
    std::string atLimit;
    std::string pastLimit;
    /// The place the refusal names.
    const char* refusedAt;
};

void PrintTo(const Limit& limit, std::ostream* out) {
    *out << limit.name << " (" << limit.path << ": " << limit.atLimit << " / " << limit.pastLimit
         << ")";
}

std::string copies(const std::string& item, int count) {
    std::string list = "[";
    for (int i = 0; i < count; ++i) {
        list += (i > 0 ? "," : "") + item;
    }
    return list + "]";
}

const std::string gold =
    "{\"ambient\":[0,0,0],\"diffuse\":[0,0,0],\"specular\":[0,0,0],\"shininess\":1}";

/// `count` named materials, gold (which a body of the base world uses) among them.
std::string namedMaterials(int count, const std::string& lastName = "") {
    std::string object = "{\"gold\":" + gold;
    for (int i = 1; i < count; ++i) {
        const std::string name =
            i + 1 == count && !lastName.empty() ? lastName : "m" + std::to_string(i);
        object += ",\"" + name + "\":" + gold;
    }
    return object + "}";
}

const Limit limits[] = {
    {"acceleration_high", "/camera/acceleration", "1e6", "1000000.0000000001",
     "/camera/acceleration"},
    {"acceleration_low", "/camera/acceleration", "5e-324", "0", "/camera/acceleration"},
    {"look_acceleration_high", "/camera/lookAcceleration", "1e6", "1000000.0000000001",
     "/camera/lookAcceleration"},
    {"max_speed_high", "/camera/maxSpeed", "1e6", "1000000.0000000001", "/camera/maxSpeed"},
    {"max_speed_low", "/camera/maxSpeed", "5e-324", "0", "/camera/maxSpeed"},
    {"stop_distance_high", "/camera/stopDistance", "1e6", "1000000.0000000001",
     "/camera/stopDistance"},
    {"stop_distance_low", "/camera/stopDistance", "0", "-5e-324", "/camera/stopDistance"},
    {"camera_position_low", "/camera/position/0", "-1e6", "-1000000.0000000001",
     "/camera/position/0"},
    {"look_at_high", "/camera/lookAt/2", "1e6", "1000000.0000000001", "/camera/lookAt/2"},
    {"sky_radius_high", "/sky/radius", "1e6", "1000000.0000000001", "/sky/radius"},
    {"sky_radius_low", "/sky/radius", "1e-30", "0", "/sky/radius"},
    {"sky_image_length", "/sky/image", "\"" + std::string(255, 'a') + "\"",
     "\"" + std::string(256, 'a') + "\"", "/sky/image"},
    {"sky_image_empty", "/sky/image", "\"a\"", "\"\"", "/sky/image"},
    {"light_direction_high", "/light/direction/0", "1e6", "1000000.0000000001",
     "/light/direction/0"},
    {"shininess_high", "/materials/gold/shininess", "128", "128.00000000000003",
     "/materials/gold/shininess"},
    {"shininess_low", "/materials/gold/shininess", "0", "-5e-324", "/materials/gold/shininess"},
    {"colour_high", "/materials/gold/ambient/0", "1", "1.0000000000000002",
     "/materials/gold/ambient/0"},
    {"colour_low", "/materials/gold/diffuse/2", "0", "-5e-324", "/materials/gold/diffuse/2"},
    {"alpha_high", "/materials/gold/specular", "[1,1,1,1]", "[1,1,1,1.0000000000000002]",
     "/materials/gold/specular/3"},
    {"material_name_length", "/materials", namedMaterials(2, std::string(64, 'g')),
     namedMaterials(2, std::string(65, 'g')), "/materials/gggg"},
    {"materials_count", "/materials", namedMaterials(1000), namedMaterials(1001), "/materials"},
    {"body_slices_high", "/bodies/0/slices", "128", "129", "/bodies/0/slices"},
    {"body_slices_low", "/bodies/0/slices", "3", "2", "/bodies/0/slices"},
    {"body_stacks_high", "/bodies/1/stacks", "128", "129", "/bodies/1/stacks"},
    {"body_stacks_low", "/bodies/1/stacks", "2", "1", "/bodies/1/stacks"},
    {"body_radius_high", "/bodies/3/radius", "1e5", "100000.00000000001", "/bodies/3/radius"},
    {"body_radius_low", "/bodies/3/radius", "1e-30", "0", "/bodies/3/radius"},
    // A radius is kept as a float: the smallest one is accepted, one that would become 0
    // refused.
    {"body_radius_smallest", "/bodies/3/radius", "1e-45", "1e-46", "/bodies/3/radius"},
    {"sky_radius_smallest", "/sky/radius", "1e-45", "1e-46", "/sky/radius"},
    {"body_interest_high", "/bodies/1/interest", "1000", "1001", "/bodies/1/interest"},
    {"body_interest_low", "/bodies/1/interest", "0", "-1", "/bodies/1/interest"},
    {"body_position_high", "/bodies/1/position/1", "1e6", "1000000.0000000001",
     "/bodies/1/position/1"},
    {"body_rotation_low", "/bodies/1/rotation", "[-1e6,0,0]", "[-1000000.0000000001,0,0]",
     "/bodies/1/rotation/0"},
    {"animations_count", "/bodies/2/animations", copies("{\"rotate\":[0,1,0]}", 16),
     copies("{\"rotate\":[0,1,0]}", 17), "/bodies/2/animations"},
    {"swing_period_low", "/bodies/0/animations/1/swing/period", "0.001", "0.0009999999999999998",
     "/bodies/0/animations/1/swing/period"},
    {"swing_period_high", "/bodies/0/animations/1/swing/period", "1e6", "1000000.0000000001",
     "/bodies/0/animations/1/swing/period"},
    {"rotate_rate_high", "/bodies/0/animations/0/rotate/1", "1e6", "1000000.0000000001",
     "/bodies/0/animations/0/rotate/1"},
    {"groups_count", "/groups", copies("{}", 1000), copies("{}", 1001), "/groups"},
    {"generator_seed_high", "/groups/0/generate/seed", "4294967295", "4294967296",
     "/groups/0/generate/seed"},
    {"generator_seed_low", "/groups/0/generate/seed", "0", "-1", "/groups/0/generate/seed"},
    {"generator_slices_high", "/groups/0/generate/slices", "128", "129",
     "/groups/0/generate/slices"},
    {"generator_slices_low", "/groups/0/generate/slices", "3", "2", "/groups/0/generate/slices"},
    {"generator_stacks_high", "/groups/0/generate/stacks", "128", "129",
     "/groups/0/generate/stacks"},
    {"generator_stacks_low", "/groups/0/generate/stacks", "2", "1", "/groups/0/generate/stacks"},
    {"generator_interest_high", "/groups/0/generate/interest", "1000", "1001",
     "/groups/0/generate/interest"},
    {"generator_swings_high", "/groups/0/generate/swings", "16", "17", "/groups/0/generate/swings"},
    {"generator_radius_high", "/groups/0/generate/radius", "[0.5,1e5]", "[0.5,100000.00000000001]",
     "/groups/0/generate/radius/1"},
    {"generator_radius_low", "/groups/0/generate/radius", "1e-30", "0",
     "/groups/0/generate/radius"},
    {"generator_period_low", "/groups/0/generate/period", "[0.001,10]",
     "[0.0009999999999999998,10]", "/groups/0/generate/period/0"},
    {"generator_period_high", "/groups/0/generate/period", "1e6", "1000000.0000000001",
     "/groups/0/generate/period"},
    {"generator_position_low", "/groups/0/generate/position", "[-1e6,[0,1],0]",
     "[-1000000.0000000001,[0,1],0]", "/groups/0/generate/position/0"},
    {"generator_amplitude_high", "/groups/0/generate/amplitude", "[0,1e6]",
     "[0,1000000.0000000001]", "/groups/0/generate/amplitude/1"},
    {"after_load_seed_high", "/generatorAfterLoad/seed", "4294967295", "4294967296",
     "/generatorAfterLoad/seed"},
    {"after_load_draws_high", "/generatorAfterLoad/draws", "100000000", "100000001",
     "/generatorAfterLoad/draws"},
};

class SceneFileLimit : public testing::TestWithParam<Limit> {};

nlohmann::json with(const Limit& limit, const std::string& value) {
    const nlohmann::json::json_pointer pointer(limit.path);
    nlohmann::json world = baseWorld();
    world[pointer] = nlohmann::json::parse(value);
    return world;
}

TEST_P(SceneFileLimit, IsAcceptedAtTheLimitAndRefusedOneStepPast) {
    const Limit& limit = GetParam();
    std::string error;
    EXPECT_TRUE(parse(with(limit, limit.atLimit), error)) << error;
    EXPECT_FALSE(parse(with(limit, limit.pastLimit), error));
    EXPECT_EQ(error.rfind(std::string("scene.json: ") + limit.refusedAt, 0), 0u) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(EveryRange, SceneFileLimit, testing::ValuesIn(limits),
                         [](const testing::TestParamInfo<Limit>& info) {
                             return std::string(info.param.name);
                         });

TEST(SceneFileLimits, EveryObjectRefusesAKeyItDoesNotKnow) {
    const char* objects[] = {"",
                             "/camera",
                             "/sky",
                             "/light",
                             "/materials/gold",
                             "/bodies/1",
                             "/bodies/2/material",
                             "/bodies/0/animations/0",
                             "/bodies/0/animations/1/swing",
                             "/groups/0",
                             "/groups/0/generate",
                             "/generatorAfterLoad"};
    std::string error;
    ASSERT_TRUE(parse(baseWorld(), error)) << error;
    for (const std::string object : objects) {
        nlohmann::json world = baseWorld();
        world[nlohmann::json::json_pointer(object + "/bogus")] = 1;
        EXPECT_FALSE(parse(world, error)) << object;
        EXPECT_EQ(
            error.rfind("scene.json: " + object + "/bogus: unknown key; the keys here are ", 0), 0u)
            << error;
    }
}

// Counted without building anything: a generated group of 999,999 and one body of its own
// make exactly the limit.
TEST(SceneFileLimits, AWorldOfExactlyTheBodyLimitIsAcceptedAndOneMoreRefused) {
    const long limit = k_SceneFileReader::maxBodies;
    nlohmann::json world = baseWorld();
    world.erase("groups");
    world["bodies"] = nlohmann::json::array({nlohmann::json::object()});
    world["groups"] = {{{"generate", {{"count", limit - 1}}}}};
    std::string error;
    EXPECT_TRUE(parse(world, error)) << error;
    world["bodies"].push_back(nlohmann::json::object());
    EXPECT_FALSE(parse(world, error));
    EXPECT_EQ(error, "scene.json: /groups/0/generate/count: makes the world hold more than "
                     "1000000 bodies, the limit");
    // A generated group alone: the count's own range ends at the same limit.
    world["bodies"] = nlohmann::json::array();
    world["groups"][0]["generate"]["count"] = limit;
    EXPECT_TRUE(parse(world, error)) << error;
    world["groups"][0]["generate"]["count"] = limit + 1;
    EXPECT_FALSE(parse(world, error));
    EXPECT_EQ(error.rfind("scene.json: /groups/0/generate/count: must be a whole number from 0 "
                          "to 1000000",
                          0),
              0u)
        << error;
}

TEST(SceneFileLimits, NestingIsRefusedOnlyPastItsDepth) {
    const auto nested = [](int depth) {
        // The top object is the first level, the bodies array the second.
        return "{\"format\": \"veltrava-scene\", \"bodies\": " + std::string(depth - 1, '[') +
               std::string(depth - 1, ']') + "}";
    };
    const auto refusal = [](const std::string& text) {
        k_SceneDescription description;
        std::string error;
        EXPECT_FALSE(
            k_SceneFileReader::parse(text.data(), text.size(), "scene.json", description, error));
        return error;
    };
    EXPECT_EQ(refusal(nested(k_SceneFileReader::maxDepth)).find("nests deeper"), std::string::npos);
    EXPECT_NE(refusal(nested(k_SceneFileReader::maxDepth + 1)).find("nests deeper than 64"),
              std::string::npos);
}

} // namespace
