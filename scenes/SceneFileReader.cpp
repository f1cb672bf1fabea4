// The scene file's reader. The text is parsed into a DOM (measured against a SAX parse, the DOM
// costs too little to matter next to building the world; see docs/scene-format.md), then
// every value is checked while the description is filled. A check that fails throws a
// refusal carrying the JSON pointer of the value, which becomes the one-line message.
#include "scenes/SceneFileReader.h"

#include <nlohmann/json.hpp>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <map>
#include <utility>
#include <vector>

#include "platform/RegularFile.h"
#include "scenes/MaterialPreset.h"

namespace {

using Json = nlohmann::json;

// Beyond these a value is a typo or an attack, not a world: a radius of 1e30 or a million
// slices would only make the program crawl or the GL driver fail.
constexpr double coordinateLimit = 1e6;
constexpr double radiusLimit = 1e5;
constexpr double minPeriod = 0.001;
constexpr long maxAnimations = 16;
constexpr long maxSwings = 16;
constexpr long maxGroups = 1000;
constexpr long maxMaterials = 1000;
constexpr long maxInterest = 1000;
constexpr std::size_t maxNameLength = 255;
constexpr std::size_t maxMaterialNameLength = 64;
constexpr std::uint64_t maxDraws = 100000000;

struct Refusal {
    std::string pointer;
    std::string rule;
};

// Keys and strings quoted into a message: control characters escaped so that the message
// stays on one line, long texts cut short.
std::string printable(const std::string& text, std::size_t limit = 40) {
    std::string result;
    for (std::size_t i = 0; i < text.size() && i < limit; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7f) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            result += escaped;
        } else {
            result += static_cast<char>(c);
        }
    }
    if (text.size() > limit) {
        result += "...";
    }
    return result;
}

std::string describe(const Json& value) {
    switch (value.type()) {
    case Json::value_t::object:
        return "an object";
    case Json::value_t::array:
        return "an array";
    case Json::value_t::string:
        return "\"" + printable(value.get_ref<const std::string&>()) + "\"";
    case Json::value_t::number_float:
        if (!std::isfinite(value.get<double>())) {
            return "a number beyond the range of double";
        }
        return value.dump();
    default:
        return value.dump();
    }
}

std::string pointerToken(const std::string& key) {
    std::string token;
    for (const char c : printable(key)) {
        if (c == '~') {
            token += "~0";
        } else if (c == '/') {
            token += "~1";
        } else {
            token += c;
        }
    }
    return token;
}

std::string numberText(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}

// Walks the DOM with the JSON pointer of the value at hand.
class Checker {
public:
    explicit Checker(k_SceneDescription& target) : scene(target) {}

    void readScene(const Json& top);

private:
    // Appends a token to the pointer for the lifetime of the scope.
    class Scope {
    public:
        Scope(Checker& checker, const std::string& token)
            : owner(checker), length(checker.pointer.size()) {
            owner.pointer += "/" + token;
        }
        Scope(Checker& checker, std::size_t index) : Scope(checker, std::to_string(index)) {}
        ~Scope() { owner.pointer.resize(length); }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        Checker& owner;
        std::size_t length;
    };

    [[noreturn]] void refuse(const std::string& rule) const { throw Refusal{pointer, rule}; }
    [[noreturn]] void refuseValue(const std::string& rule, const Json& value) const {
        refuse("must be " + rule + ", not " + describe(value));
    }

    void checkObject(const Json& value, std::initializer_list<const char*> keys, const char* what) {
        if (!value.is_object()) {
            refuseValue(what, value);
        }
        for (const auto& item : value.items()) {
            bool known = false;
            for (const char* key : keys) {
                known = known || item.key() == key;
            }
            if (!known) {
                std::string list;
                for (const char* key : keys) {
                    list += (list.empty() ? "" : ", ") + std::string(key);
                }
                Scope scope(*this, pointerToken(item.key()));
                refuse("unknown key; the keys here are " + list);
            }
        }
    }
    const Json* find(const Json& object, const char* key) const {
        const auto found = object.find(key);
        return found == object.end() ? nullptr : &*found;
    }
    const Json& require(const Json& object, const char* key) {
        const Json* value = find(object, key);
        if (value == nullptr) {
            Scope scope(*this, key);
            refuse("is required but missing");
        }
        return *value;
    }

    double number(const Json& value, double low, double high, bool lowOpen) {
        const std::string rule =
            lowOpen && low == 0.0 ? "a positive number up to " + numberText(high)
                                  : "a number from " + numberText(low) + " to " + numberText(high);
        if (!value.is_number()) {
            refuseValue(rule, value);
        }
        const double x = value.get<double>();
        if (!std::isfinite(x) || x < low || (lowOpen && x == low) || x > high) {
            refuseValue(rule, value);
        }
        return x;
    }
    std::int64_t wholeNumber(const Json& value, std::int64_t low, std::int64_t high) {
        const std::string rule =
            "a whole number from " + std::to_string(low) + " to " + std::to_string(high);
        if (value.is_number_unsigned()) {
            const std::uint64_t x = value.get<std::uint64_t>();
            if (x > static_cast<std::uint64_t>(high)) {
                refuseValue(rule, value);
            }
            return static_cast<std::int64_t>(x);
        }
        if (!value.is_number_integer()) {
            refuseValue(rule, value);
        }
        const std::int64_t x = value.get<std::int64_t>();
        if (x < low || x > high) {
            refuseValue(rule, value);
        }
        return x;
    }
    bool boolean(const Json& value) {
        if (!value.is_boolean()) {
            refuseValue("true or false", value);
        }
        return value.get<bool>();
    }
    k_Vector3 vector(const Json& value) {
        if (!value.is_array() || value.size() != 3) {
            refuseValue("[x, y, z], three numbers", value);
        }
        double component[3];
        for (std::size_t i = 0; i < 3; ++i) {
            Scope scope(*this, i);
            component[i] = number(value[i], -coordinateLimit, coordinateLimit, false);
        }
        return k_Vector3(static_cast<float>(component[0]), static_cast<float>(component[1]),
                         static_cast<float>(component[2]));
    }
    k_Vector3 direction(const Json& value) {
        const k_Vector3 v = vector(value);
        if (v.x == 0.0f && v.y == 0.0f && v.z == 0.0f) {
            refuse("must be a direction, not [0, 0, 0]");
        }
        return v;
    }
    k_Vector4 colour(const Json& value) {
        if (!value.is_array() || (value.size() != 3 && value.size() != 4)) {
            refuseValue("[red, green, blue] or [red, green, blue, alpha], each 0 to 1", value);
        }
        float component[4] = {0.0f, 0.0f, 0.0f, 1.0f};
        for (std::size_t i = 0; i < value.size(); ++i) {
            Scope scope(*this, i);
            component[i] = static_cast<float>(number(value[i], 0.0, 1.0, false));
        }
        return k_Vector4(component[0], component[1], component[2], component[3]);
    }
    k_MaterialDescription materialColours(const Json& value) {
        checkObject(value, {"ambient", "diffuse", "specular", "shininess"},
                    "a material: an object with ambient, diffuse, specular and shininess");
        k_MaterialDescription material;
        {
            Scope scope(*this, "ambient");
            material.ambient = colour(require(value, "ambient"));
        }
        {
            Scope scope(*this, "diffuse");
            material.diffuse = colour(require(value, "diffuse"));
        }
        {
            Scope scope(*this, "specular");
            material.specular = colour(require(value, "specular"));
        }
        const Json& shininess = require(value, "shininess");
        Scope scope(*this, "shininess");
        material.shininess = static_cast<float>(number(shininess, 0.0, 128.0, false));
        return material;
    }
    int material(const Json& value) {
        if (value.is_string()) {
            const std::string& name = value.get_ref<const std::string&>();
            const auto found = materialIndex.find(name);
            if (found == materialIndex.end()) {
                refuseValue("a preset (body, obstacle) or a name from /materials", value);
            }
            return found->second;
        }
        if (!value.is_object()) {
            refuseValue("a material name or an object with ambient, diffuse, specular and "
                        "shininess",
                        value);
        }
        scene.materials.push_back(materialColours(value));
        scene.materialNames.emplace_back();
        return static_cast<int>(scene.materials.size()) - 1;
    }

    k_RangeDescription range(const Json& value, double low, double high, bool lowOpen);
    k_VectorRangeDescription vectorRange(const Json& value);
    void readCamera(const Json& value);
    void readMaterials(const Json& value);
    k_AnimationDescription readAnimation(const Json& value);
    k_BodyDescription readBody(const Json& value);
    void readBodies(const Json& value, std::vector<k_BodyDescription>& bodies);
    k_GeneratorDescription readGenerator(const Json& value);
    void countBodies(long added);

    k_SceneDescription& scene;
    std::string pointer;
    std::map<std::string, int> materialIndex;
    std::string heightBody;
    long bodies = 0;
};

k_RangeDescription Checker::range(const Json& value, double low, double high, bool lowOpen) {
    k_RangeDescription result;
    if (value.is_array()) {
        if (value.size() != 2) {
            refuseValue("a number or [low, high]", value);
        }
        double ends[2];
        for (std::size_t i = 0; i < 2; ++i) {
            Scope scope(*this, i);
            ends[i] = number(value[i], low, high, lowOpen);
        }
        if (ends[0] > ends[1]) {
            refuse("must be [low, high] with low at most high, not [" + describe(value[0]) + ", " +
                   describe(value[1]) + "]");
        }
        result.drawn = true;
        result.low = ends[0];
        result.high = ends[1];
        return result;
    }
    if (!value.is_number()) {
        refuseValue("a number or [low, high]", value);
    }
    result.low = number(value, low, high, lowOpen);
    result.high = result.low;
    return result;
}

k_VectorRangeDescription Checker::vectorRange(const Json& value) {
    k_VectorRangeDescription result;
    if (value.is_array() && value.size() == 3) {
        k_RangeDescription* axes[3] = {&result.x, &result.y, &result.z};
        for (std::size_t i = 0; i < 3; ++i) {
            Scope scope(*this, i);
            *axes[i] = range(value[i], -coordinateLimit, coordinateLimit, false);
        }
        return result;
    }
    if (!value.is_number() && !(value.is_array() && value.size() == 2)) {
        refuseValue("a range (a number or [low, high]) or [x, y, z] with a range each", value);
    }
    result.x = range(value, -coordinateLimit, coordinateLimit, false);
    result.y = result.x;
    result.z = result.x;
    return result;
}

void Checker::readCamera(const Json& value) {
    checkObject(value,
                {"acceleration", "lookAcceleration", "maxSpeed", "stopDistance", "position",
                 "lookAt", "up"},
                "an object");
    struct Field {
        const char* key;
        double* target;
        bool positive;
    } fields[] = {{"acceleration", &scene.acceleration, true},
                  {"lookAcceleration", &scene.lookAcceleration, true},
                  {"maxSpeed", &scene.maxSpeed, true},
                  {"stopDistance", &scene.stopDistance, false}};
    for (const Field& field : fields) {
        const Json& item = require(value, field.key);
        Scope scope(*this, field.key);
        *field.target = number(item, 0.0, coordinateLimit, field.positive);
    }
    {
        const Json& item = require(value, "position");
        Scope scope(*this, "position");
        scene.position = vector(item);
    }
    {
        const Json& item = require(value, "lookAt");
        Scope scope(*this, "lookAt");
        scene.lookAt = vector(item);
        if (scene.lookAt.x == scene.position.x && scene.lookAt.y == scene.position.y &&
            scene.lookAt.z == scene.position.z) {
            refuse("must differ from the camera's position");
        }
    }
    if (const Json* up = find(value, "up")) {
        Scope scope(*this, "up");
        scene.hasUp = true;
        scene.up = direction(*up);
    }
}

void Checker::readMaterials(const Json& value) {
    if (!value.is_object()) {
        refuseValue("an object of named materials", value);
    }
    if (static_cast<long>(value.size()) > maxMaterials) {
        refuse("must hold at most " + std::to_string(maxMaterials) + " materials, not " +
               std::to_string(value.size()));
    }
    for (const auto& item : value.items()) {
        Scope scope(*this, pointerToken(item.key()));
        if (item.key().empty() || item.key().size() > maxMaterialNameLength) {
            refuse("a material's name must have 1 to " + std::to_string(maxMaterialNameLength) +
                   " characters");
        }
        if (materialIndex.count(item.key()) != 0) {
            refuse("is a preset's name; give the material another");
        }
        scene.materials.push_back(materialColours(item.value()));
        scene.materialNames.push_back(item.key());
        materialIndex[item.key()] = static_cast<int>(scene.materials.size()) - 1;
    }
}

k_AnimationDescription Checker::readAnimation(const Json& value) {
    checkObject(value, {"rotate", "move", "swing"},
                "an object with one key: rotate, move or swing");
    if (value.size() != 1) {
        refuseValue("an object with one key: rotate, move or swing; write each animation as "
                    "its own object",
                    value);
    }
    k_AnimationDescription animation;
    if (const Json* rotate = find(value, "rotate")) {
        Scope scope(*this, "rotate");
        animation.kind = k_AnimationDescription::Kind::rotate;
        animation.rate = vector(*rotate);
    } else if (const Json* move = find(value, "move")) {
        Scope scope(*this, "move");
        animation.kind = k_AnimationDescription::Kind::move;
        animation.rate = vector(*move);
    } else {
        const Json& swing = value["swing"];
        Scope scope(*this, "swing");
        checkObject(swing, {"amplitude", "period", "velocity", "bounce"}, "an object");
        animation.kind = k_AnimationDescription::Kind::swing;
        const Json& amplitude = require(swing, "amplitude");
        const Json& period = require(swing, "period");
        {
            Scope inner(*this, "amplitude");
            animation.amplitude = vector(amplitude);
        }
        {
            Scope inner(*this, "period");
            animation.period = number(period, minPeriod, coordinateLimit, false);
        }
        if (const Json* velocity = find(swing, "velocity")) {
            Scope inner(*this, "velocity");
            animation.rate = vector(*velocity);
        }
        if (const Json* bounce = find(swing, "bounce")) {
            Scope inner(*this, "bounce");
            animation.bounce = boolean(*bounce);
        }
    }
    return animation;
}

k_BodyDescription Checker::readBody(const Json& value) {
    checkObject(value,
                {"slices", "stacks", "radius", "position", "rotation", "interest",
                 "interestFromHeight", "material", "animations"},
                "a body: an object");
    k_BodyDescription body;
    for (const auto& item : value.items()) {
        const std::string& key = item.key();
        const Json& field = item.value();
        Scope scope(*this, key);
        if (key == "slices") {
            body.slices = static_cast<int>(wholeNumber(field, 3, 128));
        } else if (key == "stacks") {
            body.stacks = static_cast<int>(wholeNumber(field, 2, 128));
        } else if (key == "radius") {
            body.hasRadius = true;
            body.radius = static_cast<float>(number(field, 0.0, radiusLimit, true));
        } else if (key == "position") {
            body.position = vector(field);
        } else if (key == "rotation") {
            body.hasRotation = true;
            body.rotation = vector(field);
        } else if (key == "interest") {
            body.interest = static_cast<int>(wholeNumber(field, 0, maxInterest));
        } else if (key == "interestFromHeight") {
            body.interestFromHeight = boolean(field);
            if (body.interestFromHeight) {
                if (!heightBody.empty()) {
                    refuse("only one body may take its interest from its height, and " +
                           heightBody + " does");
                }
                heightBody = pointer.substr(0, pointer.size() - key.size() - 1);
            }
        } else if (key == "material") {
            body.material = material(field);
        } else {
            if (!field.is_array()) {
                refuseValue("an array of animations", field);
            }
            if (static_cast<long>(field.size()) > maxAnimations) {
                refuse("must hold at most " + std::to_string(maxAnimations) + " animations, not " +
                       std::to_string(field.size()));
            }
            for (std::size_t i = 0; i < field.size(); ++i) {
                Scope inner(*this, i);
                body.animations.push_back(readAnimation(field[i]));
            }
        }
    }
    return body;
}

void Checker::countBodies(long added) {
    if (added > k_SceneFileReader::maxBodies - bodies) {
        refuse("makes the world hold more than " + std::to_string(k_SceneFileReader::maxBodies) +
               " bodies, the limit");
    }
    bodies += added;
}

void Checker::readBodies(const Json& value, std::vector<k_BodyDescription>& list) {
    if (!value.is_array()) {
        refuseValue("an array of bodies", value);
    }
    countBodies(static_cast<long>(std::min<std::size_t>(
        value.size(), static_cast<std::size_t>(k_SceneFileReader::maxBodies) + 1)));
    list.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        Scope scope(*this, i);
        list.push_back(readBody(value[i]));
    }
}

k_GeneratorDescription Checker::readGenerator(const Json& value) {
    checkObject(value,
                {"count", "seed", "slices", "stacks", "interest", "radius", "position", "rotate",
                 "move", "swings", "period", "amplitude", "bounce"},
                "an object");
    k_GeneratorDescription generator;
    {
        const Json& count = require(value, "count");
        Scope scope(*this, "count");
        generator.count = static_cast<long>(wholeNumber(count, 0, k_SceneFileReader::maxBodies));
        countBodies(generator.count);
    }
    for (const auto& item : value.items()) {
        const std::string& key = item.key();
        const Json& field = item.value();
        Scope scope(*this, key);
        if (key == "seed") {
            generator.hasSeed = true;
            generator.seed = static_cast<std::uint32_t>(wholeNumber(field, 0, 4294967295LL));
        } else if (key == "slices") {
            generator.slices = static_cast<int>(wholeNumber(field, 3, 128));
        } else if (key == "stacks") {
            generator.stacks = static_cast<int>(wholeNumber(field, 2, 128));
        } else if (key == "interest") {
            generator.interest = static_cast<int>(wholeNumber(field, 0, maxInterest));
        } else if (key == "radius") {
            generator.hasRadius = true;
            generator.radius = range(field, 0.0, radiusLimit, true);
        } else if (key == "position") {
            generator.position = vectorRange(field);
        } else if (key == "rotate") {
            generator.hasRotate = true;
            generator.rotate = vectorRange(field);
        } else if (key == "move") {
            generator.hasMove = true;
            generator.move = vectorRange(field);
        } else if (key == "swings") {
            generator.swings = static_cast<int>(wholeNumber(field, 0, maxSwings));
        } else if (key == "period") {
            generator.period = range(field, minPeriod, coordinateLimit, false);
        } else if (key == "amplitude") {
            generator.amplitude = vectorRange(field);
        } else if (key == "bounce") {
            generator.bounce = boolean(field);
        }
    }
    // Swing settings without swings, or swings without settings, are mistakes, not defaults.
    for (const char* key : {"period", "amplitude"}) {
        const bool given = find(value, key) != nullptr;
        if (generator.swings > 0 && !given) {
            Scope scope(*this, key);
            refuse("is required when swings is above 0");
        }
        if (generator.swings == 0 && given) {
            Scope scope(*this, key);
            refuse("has no effect without swings; give swings or remove it");
        }
    }
    return generator;
}

void Checker::readScene(const Json& top) {
    if (!top.is_object()) {
        throw Refusal{"", "must be a JSON object with format, version and camera, not " +
                              describe(top)};
    }
    checkObject(top,
                {"$schema", "format", "version", "camera", "sky", "light", "materials", "bodies",
                 "groups", "generatorAfterLoad"},
                "an object");
    {
        const Json& format = require(top, "format");
        Scope scope(*this, "format");
        if (!format.is_string() ||
            format.get_ref<const std::string&>() != k_SceneFileReader::formatName) {
            refuseValue("\"" + std::string(k_SceneFileReader::formatName) + "\"", format);
        }
    }
    {
        const Json& version = require(top, "version");
        Scope scope(*this, "version");
        if (!version.is_number_integer() ||
            version.get<std::int64_t>() != k_SceneFileReader::formatVersion) {
            refuseValue(std::to_string(k_SceneFileReader::formatVersion) +
                            ", the version this program reads",
                        version);
        }
    }
    if (const Json* schema = find(top, "$schema")) {
        Scope scope(*this, "$schema");
        if (!schema->is_string()) {
            refuseValue("a string", *schema);
        }
    }
    {
        const Json& camera = require(top, "camera");
        Scope scope(*this, "camera");
        readCamera(camera);
    }
    if (const Json* sky = find(top, "sky")) {
        Scope scope(*this, "sky");
        checkObject(*sky, {"image", "radius"}, "an object");
        if (const Json* image = find(*sky, "image")) {
            Scope inner(*this, "image");
            if (!image->is_string() || image->get_ref<const std::string&>().empty() ||
                image->get_ref<const std::string&>().size() > maxNameLength ||
                image->get_ref<const std::string&>().find('\0') != std::string::npos) {
                refuseValue("a file name of 1 to " + std::to_string(maxNameLength) + " characters",
                            *image);
            }
            scene.skyImage = image->get<std::string>();
        }
        if (const Json* radius = find(*sky, "radius")) {
            Scope inner(*this, "radius");
            scene.skyRadius = static_cast<float>(number(*radius, 0.0, coordinateLimit, true));
        }
    }
    if (const Json* light = find(top, "light")) {
        Scope scope(*this, "light");
        checkObject(*light, {"direction"}, "an object");
        if (const Json* direction = find(*light, "direction")) {
            Scope inner(*this, "direction");
            scene.lightDirection = this->direction(*direction);
        }
    }
    scene.materials.clear();
    for (const k_MaterialPreset* preset : {&bodyMaterial, &obstacleMaterial}) {
        scene.materials.push_back(
            {preset->ambient, preset->diffuse, preset->specular, preset->shininess});
    }
    scene.materialNames = {"body", "obstacle"};
    materialIndex = {{"body", 0}, {"obstacle", 1}};
    if (const Json* materials = find(top, "materials")) {
        Scope scope(*this, "materials");
        readMaterials(*materials);
    }
    if (const Json* list = find(top, "bodies")) {
        Scope scope(*this, "bodies");
        readBodies(*list, scene.bodies);
    }
    if (const Json* groups = find(top, "groups")) {
        Scope scope(*this, "groups");
        if (!groups->is_array()) {
            refuseValue("an array of groups", *groups);
        }
        if (static_cast<long>(groups->size()) > maxGroups) {
            refuse("must hold at most " + std::to_string(maxGroups) + " groups, not " +
                   std::to_string(groups->size()));
        }
        for (std::size_t i = 0; i < groups->size(); ++i) {
            Scope inner(*this, i);
            const Json& item = (*groups)[i];
            checkObject(item, {"material", "bodies", "generate"}, "a group: an object");
            k_GroupDescription group;
            if (const Json* material = find(item, "material")) {
                Scope field(*this, "material");
                group.material = this->material(*material);
            }
            if (const Json* list = find(item, "bodies")) {
                Scope field(*this, "bodies");
                readBodies(*list, group.bodies);
            }
            if (const Json* generate = find(item, "generate")) {
                Scope field(*this, "generate");
                group.hasGenerator = true;
                group.generator = readGenerator(*generate);
            }
            scene.groups.push_back(std::move(group));
        }
    }
    if (const Json* after = find(top, "generatorAfterLoad")) {
        Scope scope(*this, "generatorAfterLoad");
        checkObject(*after, {"seed", "draws"}, "an object with seed and draws");
        const Json& seed = require(*after, "seed");
        {
            Scope inner(*this, "seed");
            scene.generatorSeed = static_cast<std::uint32_t>(wholeNumber(seed, 0, 4294967295LL));
        }
        if (const Json* draws = find(*after, "draws")) {
            Scope inner(*this, "draws");
            scene.generatorDraws = static_cast<std::uint64_t>(
                wholeNumber(*draws, 0, static_cast<std::int64_t>(maxDraws)));
        }
        scene.hasGeneratorAfterLoad = true;
    }
}

// Follows the parser's events to refuse what the DOM would hide or could not hold: a key
// given twice (the DOM keeps one silently) and nesting deep enough to exhaust memory.
class EventWatcher {
public:
    bool operator()(int depth, Json::parse_event_t event, Json& parsed) {
        switch (event) {
        case Json::parse_event_t::object_start:
        case Json::parse_event_t::array_start:
            if (depth >= k_SceneFileReader::maxDepth) {
                throw Refusal{pointer(), "nests deeper than " +
                                             std::to_string(k_SceneFileReader::maxDepth) +
                                             " levels"};
            }
            frames.push_back(Frame{event == Json::parse_event_t::object_start, {}, 0});
            break;
        case Json::parse_event_t::key: {
            Frame& frame = frames.back();
            const std::string& key = parsed.get_ref<const std::string&>();
            for (const std::string& seen : frame.keys) {
                if (seen == key) {
                    frame.keys.push_back(key);
                    throw Refusal{pointer(), "is given twice"};
                }
            }
            frame.keys.push_back(key);
            break;
        }
        case Json::parse_event_t::object_end:
        case Json::parse_event_t::array_end:
            frames.pop_back();
            ended();
            break;
        case Json::parse_event_t::value:
            ended();
            break;
        }
        return true;
    }

private:
    struct Frame {
        bool isObject;
        std::vector<std::string> keys;
        std::size_t elements;
    };
    void ended() {
        if (!frames.empty() && !frames.back().isObject) {
            ++frames.back().elements;
        }
    }
    std::string pointer() const {
        std::string result;
        for (const Frame& frame : frames) {
            if (frame.isObject) {
                if (!frame.keys.empty()) {
                    result += "/" + pointerToken(frame.keys.back());
                }
            } else {
                result += "/" + std::to_string(frame.elements);
            }
        }
        return result;
    }

    std::vector<Frame> frames;
};

// "name:line:column" of the byte at offset `at`, both counted from 1.
std::string place(const std::string& name, const char* text, std::size_t at) {
    std::size_t line = 1;
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < at; ++i) {
        if (text[i] == '\n') {
            ++line;
            lineStart = i + 1;
        }
    }
    return name + ":" + std::to_string(line) + ":" + std::to_string(at - lineStart + 1);
}

// The parser refuses a number beyond double's range after reading it whole, and says only
// which number; its first occurrence in the text is where it stands.
std::string overflowMessage(const std::string& name, const char* text, std::size_t size,
                            const std::string& what) {
    const std::size_t open = what.find('\'');
    const std::size_t close = what.rfind('\'');
    std::string where = name;
    std::string number;
    if (open != std::string::npos && close > open) {
        number = what.substr(open + 1, close - open - 1);
        const std::string whole(text, size);
        const std::size_t at = whole.find(number);
        if (!number.empty() && at != std::string::npos) {
            where = place(name, text, at);
        }
    }
    return where + ": not valid here: the number " + printable(number) +
           " is beyond the range of a double";
}

std::string syntaxMessage(const std::string& name, const char* text, std::size_t size,
                          const nlohmann::json::parse_error& error) {
    // The parser counts from 1 and points at the last character it read.
    const std::size_t at = std::min(error.byte == 0 ? 0 : error.byte - 1, size);
    std::string reason = error.what();
    const std::size_t marker = reason.find("syntax error while parsing ");
    if (marker != std::string::npos) {
        reason = reason.substr(marker + std::strlen("syntax error while parsing "));
    } else {
        const std::size_t colon = reason.find(": ");
        reason = colon == std::string::npos ? reason : reason.substr(colon + 2);
    }
    return place(name, text, at) + ": not valid JSON: " + printable(reason, 160);
}

} // namespace

long k_SceneDescription::bodyCount() const {
    long count = static_cast<long>(bodies.size());
    for (const k_GroupDescription& group : groups) {
        count += static_cast<long>(group.bodies.size());
        if (group.hasGenerator) {
            count += group.generator.count;
        }
    }
    return count;
}

bool k_SceneFileReader::parse(const char* text, std::size_t size, const std::string& name,
                              k_SceneDescription& description, std::string& error) {
    Json top;
    try {
        top = Json::parse(text, text + size, EventWatcher(), true, false);
    } catch (const Json::parse_error& syntax) {
        error = syntaxMessage(name, text, size, syntax);
        return false;
    } catch (const Json::out_of_range& overflow) {
        error = overflowMessage(name, text, size, overflow.what());
        return false;
    } catch (const Json::exception& other) {
        error = name + ": not valid JSON: " + printable(other.what(), 160);
        return false;
    } catch (const Refusal& refusal) {
        error = name + ": " + refusal.pointer + ": " + refusal.rule;
        return false;
    }
    k_SceneDescription scene;
    try {
        Checker(scene).readScene(top);
    } catch (const Refusal& refusal) {
        error = name + ": " + (refusal.pointer.empty() ? "the top level" : refusal.pointer) + ": " +
                refusal.rule;
        return false;
    }
    description = std::move(scene);
    error.clear();
    return true;
}

bool k_SceneFileReader::read(const std::string& path, k_SceneDescription& description,
                             std::string& error) {
    std::string reason;
    errno = 0;
    std::FILE* file = openRegularFile(path.c_str(), reason);
    if (file == nullptr) {
        error = path + ": cannot be read: " +
                (reason.empty() ? std::string(std::strerror(errno)) : reason);
        return false;
    }
    // Read in pieces up to one byte past the limit, so that a file that grows while it is
    // read cannot take more memory than the limit allows either.
    std::string text;
    char buffer[1 << 16];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        text.append(buffer, got);
        if (text.size() > maxFileBytes) {
            break;
        }
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        error = path + ": cannot be read: an error occurred while reading";
        return false;
    }
    if (text.size() > maxFileBytes) {
        error = path + ": is larger than the limit of " + std::to_string(maxFileBytes >> 20) +
                " MiB for a scene file";
        return false;
    }
    return parse(text.data(), text.size(), path, description, error);
}
