// The scene file's reader. The text is parsed into a compact tree (k_JsonTree; measured
// against the alternatives in docs/scene-format.md), then every value is checked while the
// description is filled. A check that fails throws a refusal carrying the JSON pointer of
// the value, which becomes the one-line message.
#include "scenefile/SceneFileReader.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <map>
#include <utility>
#include <vector>

#include "platform/RegularFile.h"
#include "scenefile/JsonTree.h"
#include "scenefile/MaterialPreset.h"

namespace {

using Json = k_JsonTree::Value;

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
std::string printable(std::string_view text, std::size_t limit = 40) {
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

std::string describe(const Json value) {
    switch (value.type()) {
    case k_JsonTree::Type::object:
        return "an object";
    case k_JsonTree::Type::array:
        return "an array";
    case k_JsonTree::Type::string:
        return "\"" + printable(value.text()) + "\"";
    case k_JsonTree::Type::boolean:
        return value.boolean() ? "true" : "false";
    case k_JsonTree::Type::null:
        return "null";
    default:
        return numberText(value);
    }
}

std::string pointerToken(std::string_view key) {
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

    void readScene(const Json top);

private:
    // Appends a token to the pointer for the lifetime of the scope.
    class Scope {
    public:
        Scope(Checker& checker, const std::string& token)
            : owner(checker), length(checker.pointer.size()) {
            owner.pointer += "/" + token;
        }
        Scope(Checker& checker, std::string_view token) : Scope(checker, std::string(token)) {}
        Scope(Checker& checker, const char* token) : Scope(checker, std::string(token)) {}
        Scope(Checker& checker, std::size_t index) : Scope(checker, std::to_string(index)) {}
        ~Scope() { owner.pointer.resize(length); }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        Checker& owner;
        std::size_t length;
    };

    [[noreturn]] void refuse(const std::string& rule) const { throw Refusal{pointer, rule}; }
    [[noreturn]] void refuseValue(const std::string& rule, const Json value) const {
        refuse("must be " + rule + ", not " + describe(value));
    }

    // A member that may be missing, used like a pointer.
    struct Found {
        Json value;
        explicit operator bool() const { return value.exists(); }
        const Json& operator*() const { return value; }
        const Json* operator->() const { return &value; }
    };

    void checkObject(const Json value, std::initializer_list<const char*> keys, const char* what) {
        if (!value.isObject()) {
            refuseValue(what, value);
        }
        for (const Json item : value) {
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
    Found find(const Json object, const char* key) const { return Found{object.find(key)}; }
    Json require(const Json object, const char* key) {
        const Json value = object.find(key);
        if (!value.exists()) {
            Scope scope(*this, key);
            refuse("is required but missing");
        }
        return value;
    }

    // The rules are put into words only for a refusal: a file of many bodies checks millions
    // of numbers.
    double number(const Json value, double low, double high, bool lowOpen) {
        if (value.isNumber()) {
            const double x = value.number();
            if (std::isfinite(x) && x >= low && !(lowOpen && x == low) && x <= high) {
                return x;
            }
        }
        refuseValue(lowOpen && low == 0.0
                        ? "a positive number up to " + numberText(high)
                        : "a number from " + numberText(low) + " to " + numberText(high),
                    value);
    }
    // A size kept as a float: a positive number too small for one would become 0, a body or
    // sky of no size, and a file the writer could not write back.
    float positiveFloat(const Json value, double high) {
        const float x = static_cast<float>(number(value, 0.0, high, true));
        if (x == 0.0f) {
            refuseValue("a positive number up to " + numberText(high) +
                            ", and one large enough to store",
                        value);
        }
        return x;
    }
    std::int64_t wholeNumber(const Json value, std::int64_t low, std::int64_t high) {
        if (value.type() == k_JsonTree::Type::integer && value.integer() >= low &&
            value.integer() <= high) {
            return value.integer();
        }
        refuseValue("a whole number from " + std::to_string(low) + " to " + std::to_string(high),
                    value);
    }
    bool boolean(const Json value) {
        if (!value.isBoolean()) {
            refuseValue("true or false", value);
        }
        return value.boolean();
    }
    k_Vector3 vector(const Json value) {
        if (!value.isArray() || value.size() != 3) {
            refuseValue("[x, y, z], three numbers", value);
        }
        double component[3];
        std::size_t i = 0;
        for (const Json item : value) {
            Scope scope(*this, i);
            component[i++] = number(item, -coordinateLimit, coordinateLimit, false);
        }
        return k_Vector3(static_cast<float>(component[0]), static_cast<float>(component[1]),
                         static_cast<float>(component[2]));
    }
    k_Vector3 direction(const Json value) {
        const k_Vector3 v = vector(value);
        if (v.x == 0.0f && v.y == 0.0f && v.z == 0.0f) {
            refuse("must be a direction, not [0, 0, 0]");
        }
        return v;
    }
    k_Vector4 colour(const Json value) {
        if (!value.isArray() || (value.size() != 3 && value.size() != 4)) {
            refuseValue("[red, green, blue] or [red, green, blue, alpha], each 0 to 1", value);
        }
        float component[4] = {0.0f, 0.0f, 0.0f, 1.0f};
        std::size_t i = 0;
        for (const Json item : value) {
            Scope scope(*this, i);
            component[i++] = static_cast<float>(number(item, 0.0, 1.0, false));
        }
        return k_Vector4(component[0], component[1], component[2], component[3]);
    }
    k_MaterialDescription materialColours(const Json value) {
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
        const Json shininess = require(value, "shininess");
        Scope scope(*this, "shininess");
        material.shininess = static_cast<float>(number(shininess, 0.0, 128.0, false));
        return material;
    }
    int material(const Json value) {
        if (value.isString()) {
            const auto found = materialIndex.find(std::string(value.text()));
            if (found == materialIndex.end()) {
                refuseValue("a preset (body, obstacle) or a name from /materials", value);
            }
            return found->second;
        }
        if (!value.isObject()) {
            refuseValue("a material name or an object with ambient, diffuse, specular and "
                        "shininess",
                        value);
        }
        scene.materials.push_back(materialColours(value));
        scene.materialNames.emplace_back();
        return static_cast<int>(scene.materials.size()) - 1;
    }

    k_RangeDescription range(const Json value, double low, double high, bool lowOpen);
    k_VectorRangeDescription vectorRange(const Json value);
    void readCamera(const Json value);
    void readMaterials(const Json value);
    k_AnimationDescription readAnimation(const Json value);
    k_BodyDescription readBody(const Json value);
    void readBodies(const Json value, std::vector<k_BodyDescription>& bodies);
    k_GeneratorDescription readGenerator(const Json value);
    void countBodies(long added);

    k_SceneDescription& scene;
    std::string pointer;
    std::map<std::string, int> materialIndex;
    std::string heightBody;
    long bodies = 0;
};

k_RangeDescription Checker::range(const Json value, double low, double high, bool lowOpen) {
    k_RangeDescription result;
    if (value.isArray()) {
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
    if (!value.isNumber()) {
        refuseValue("a number or [low, high]", value);
    }
    result.low = number(value, low, high, lowOpen);
    result.high = result.low;
    return result;
}

k_VectorRangeDescription Checker::vectorRange(const Json value) {
    k_VectorRangeDescription result;
    if (value.isArray() && value.size() == 3) {
        k_RangeDescription* axes[3] = {&result.x, &result.y, &result.z};
        for (std::size_t i = 0; i < 3; ++i) {
            Scope scope(*this, i);
            *axes[i] = range(value[i], -coordinateLimit, coordinateLimit, false);
        }
        return result;
    }
    if (!value.isNumber() && !(value.isArray() && value.size() == 2)) {
        refuseValue("a range (a number or [low, high]) or [x, y, z] with a range each", value);
    }
    result.x = range(value, -coordinateLimit, coordinateLimit, false);
    result.y = result.x;
    result.z = result.x;
    return result;
}

void Checker::readCamera(const Json value) {
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
        const Json item = require(value, field.key);
        Scope scope(*this, field.key);
        *field.target = number(item, 0.0, coordinateLimit, field.positive);
    }
    {
        const Json item = require(value, "position");
        Scope scope(*this, "position");
        scene.position = vector(item);
    }
    {
        const Json item = require(value, "lookAt");
        Scope scope(*this, "lookAt");
        scene.lookAt = vector(item);
        if (scene.lookAt.x == scene.position.x && scene.lookAt.y == scene.position.y &&
            scene.lookAt.z == scene.position.z) {
            refuse("must differ from the camera's position");
        }
    }
    if (const Found up = find(value, "up")) {
        Scope scope(*this, "up");
        scene.hasUp = true;
        scene.up = direction(*up);
    }
}

void Checker::readMaterials(const Json value) {
    if (!value.isObject()) {
        refuseValue("an object of named materials", value);
    }
    if (static_cast<long>(value.size()) > maxMaterials) {
        refuse("must hold at most " + std::to_string(maxMaterials) + " materials, not " +
               std::to_string(value.size()));
    }
    for (const Json item : value) {
        Scope scope(*this, pointerToken(item.key()));
        if (item.key().empty() || item.key().size() > maxMaterialNameLength) {
            refuse("a material's name must have 1 to " + std::to_string(maxMaterialNameLength) +
                   " characters");
        }
        if (materialIndex.count(std::string(item.key())) != 0) {
            refuse("is a preset's name; give the material another");
        }
        scene.materials.push_back(materialColours(item));
        scene.materialNames.emplace_back(item.key());
        materialIndex[std::string(item.key())] = static_cast<int>(scene.materials.size()) - 1;
    }
}

k_AnimationDescription Checker::readAnimation(const Json value) {
    checkObject(value, {"rotate", "move", "swing"},
                "an object with one key: rotate, move or swing");
    if (value.size() != 1) {
        refuseValue("an object with one key: rotate, move or swing; write each animation as "
                    "its own object",
                    value);
    }
    k_AnimationDescription animation;
    if (const Found rotate = find(value, "rotate")) {
        Scope scope(*this, "rotate");
        animation.kind = k_AnimationDescription::Kind::rotate;
        animation.rate = vector(*rotate);
    } else if (const Found move = find(value, "move")) {
        Scope scope(*this, "move");
        animation.kind = k_AnimationDescription::Kind::move;
        animation.rate = vector(*move);
    } else {
        const Json swing = value.find("swing");
        Scope scope(*this, "swing");
        checkObject(swing, {"amplitude", "period", "velocity", "bounce"}, "an object");
        animation.kind = k_AnimationDescription::Kind::swing;
        const Json amplitude = require(swing, "amplitude");
        const Json period = require(swing, "period");
        {
            Scope inner(*this, "amplitude");
            animation.amplitude = vector(amplitude);
        }
        {
            Scope inner(*this, "period");
            animation.period = number(period, minPeriod, coordinateLimit, false);
        }
        if (const Found velocity = find(swing, "velocity")) {
            Scope inner(*this, "velocity");
            animation.rate = vector(*velocity);
        }
        if (const Found bounce = find(swing, "bounce")) {
            Scope inner(*this, "bounce");
            animation.bounce = boolean(*bounce);
        }
    }
    return animation;
}

k_BodyDescription Checker::readBody(const Json value) {
    checkObject(value,
                {"slices", "stacks", "radius", "position", "rotation", "interest",
                 "interestFromHeight", "material", "animations"},
                "a body: an object");
    k_BodyDescription body;
    for (const Json field : value) {
        const std::string_view key = field.key();
        Scope scope(*this, key);
        if (key == "slices") {
            body.slices = static_cast<int>(wholeNumber(field, 3, 128));
        } else if (key == "stacks") {
            body.stacks = static_cast<int>(wholeNumber(field, 2, 128));
        } else if (key == "radius") {
            body.hasRadius = true;
            body.radius = positiveFloat(field, radiusLimit);
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
            if (!field.isArray()) {
                refuseValue("an array of animations", field);
            }
            if (static_cast<long>(field.size()) > maxAnimations) {
                refuse("must hold at most " + std::to_string(maxAnimations) + " animations, not " +
                       std::to_string(field.size()));
            }
            std::size_t i = 0;
            for (const Json item : field) {
                Scope inner(*this, i++);
                body.animations.push_back(readAnimation(item));
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

void Checker::readBodies(const Json value, std::vector<k_BodyDescription>& list) {
    if (!value.isArray()) {
        refuseValue("an array of bodies", value);
    }
    countBodies(static_cast<long>(std::min<std::size_t>(
        value.size(), static_cast<std::size_t>(k_SceneFileReader::maxBodies) + 1)));
    list.reserve(value.size());
    // Walked in order: the tree links siblings, so indexing each would cost the list's
    // length every time.
    std::size_t i = 0;
    for (const Json item : value) {
        Scope scope(*this, i++);
        list.push_back(readBody(item));
    }
}

k_GeneratorDescription Checker::readGenerator(const Json value) {
    checkObject(value,
                {"count", "seed", "slices", "stacks", "interest", "radius", "position", "rotate",
                 "move", "swings", "period", "amplitude", "bounce"},
                "an object");
    k_GeneratorDescription generator;
    {
        const Json count = require(value, "count");
        Scope scope(*this, "count");
        generator.count = static_cast<long>(wholeNumber(count, 0, k_SceneFileReader::maxBodies));
        countBodies(generator.count);
    }
    for (const Json field : value) {
        const std::string_view key = field.key();
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
        const bool given = static_cast<bool>(find(value, key));
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

void Checker::readScene(const Json top) {
    if (!top.isObject()) {
        throw Refusal{"", "must be a JSON object with format, version and camera, not " +
                              describe(top)};
    }
    checkObject(top,
                {"$schema", "format", "version", "camera", "sky", "light", "materials", "bodies",
                 "groups", "generatorAfterLoad"},
                "an object");
    {
        const Json format = require(top, "format");
        Scope scope(*this, "format");
        if (!format.isString() || format.text() != k_SceneFileReader::formatName) {
            refuseValue("\"" + std::string(k_SceneFileReader::formatName) + "\"", format);
        }
    }
    {
        const Json version = require(top, "version");
        Scope scope(*this, "version");
        if (version.type() != k_JsonTree::Type::integer ||
            version.integer() != k_SceneFileReader::formatVersion) {
            refuseValue(std::to_string(k_SceneFileReader::formatVersion) +
                            ", the version this program reads",
                        version);
        }
    }
    if (const Found schema = find(top, "$schema")) {
        Scope scope(*this, "$schema");
        if (!schema->isString()) {
            refuseValue("a string", *schema);
        }
    }
    {
        const Json camera = require(top, "camera");
        Scope scope(*this, "camera");
        readCamera(camera);
    }
    if (const Found sky = find(top, "sky")) {
        Scope scope(*this, "sky");
        checkObject(*sky, {"image", "radius"}, "an object");
        if (const Found image = find(*sky, "image")) {
            Scope inner(*this, "image");
            if (!image->isString() || image->text().empty() ||
                image->text().size() > maxNameLength ||
                image->text().find('\0') != std::string_view::npos) {
                refuseValue("a file name of 1 to " + std::to_string(maxNameLength) + " characters",
                            *image);
            }
            scene.skyImage = std::string(image->text());
        }
        if (const Found radius = find(*sky, "radius")) {
            Scope inner(*this, "radius");
            scene.skyRadius = positiveFloat(*radius, coordinateLimit);
        }
    }
    if (const Found light = find(top, "light")) {
        Scope scope(*this, "light");
        checkObject(*light, {"direction"}, "an object");
        if (const Found direction = find(*light, "direction")) {
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
    if (const Found materials = find(top, "materials")) {
        Scope scope(*this, "materials");
        readMaterials(*materials);
    }
    if (const Found list = find(top, "bodies")) {
        Scope scope(*this, "bodies");
        readBodies(*list, scene.bodies);
    }
    if (const Found groups = find(top, "groups")) {
        Scope scope(*this, "groups");
        if (!groups->isArray()) {
            refuseValue("an array of groups", *groups);
        }
        if (static_cast<long>(groups->size()) > maxGroups) {
            refuse("must hold at most " + std::to_string(maxGroups) + " groups, not " +
                   std::to_string(groups->size()));
        }
        std::size_t i = 0;
        for (const Json item : *groups) {
            Scope inner(*this, i++);
            checkObject(item, {"material", "bodies", "generate"}, "a group: an object");
            k_GroupDescription group;
            if (const Found material = find(item, "material")) {
                Scope field(*this, "material");
                group.material = this->material(*material);
            }
            if (const Found list = find(item, "bodies")) {
                Scope field(*this, "bodies");
                readBodies(*list, group.bodies);
            }
            if (const Found generate = find(item, "generate")) {
                Scope field(*this, "generate");
                group.hasGenerator = true;
                group.generator = readGenerator(*generate);
            }
            scene.groups.push_back(std::move(group));
        }
    }
    if (const Found after = find(top, "generatorAfterLoad")) {
        Scope scope(*this, "generatorAfterLoad");
        checkObject(*after, {"seed", "draws"}, "an object with seed and draws");
        const Json seed = require(*after, "seed");
        {
            Scope inner(*this, "seed");
            scene.generatorSeed = static_cast<std::uint32_t>(wholeNumber(seed, 0, 4294967295LL));
        }
        if (const Found draws = find(*after, "draws")) {
            Scope inner(*this, "draws");
            scene.generatorDraws = static_cast<std::uint64_t>(
                wholeNumber(*draws, 0, static_cast<std::int64_t>(maxDraws)));
        }
        scene.hasGeneratorAfterLoad = true;
    }
}

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
    k_JsonTree tree;
    if (!tree.parse(text, size, maxDepth)) {
        if (tree.hasErrorPointer) {
            std::string pointer;
            for (const std::string& token : tree.errorPathTokens) {
                pointer += "/" + pointerToken(token);
            }
            error = name + ": " + (pointer.empty() ? "the top level" : pointer) + ": " +
                    tree.errorMessage;
        } else {
            // The parser's sentence as a clause: "Missing a comma." -> "missing a comma".
            std::string reason = tree.errorMessage;
            if (!reason.empty() && reason.back() == '.') {
                reason.pop_back();
            }
            if (!reason.empty() && reason[0] >= 'A' && reason[0] <= 'Z') {
                reason[0] = static_cast<char>(reason[0] - 'A' + 'a');
            }
            error =
                place(name, text, std::min(tree.errorOffset, size)) + ": not valid JSON: " + reason;
        }
        return false;
    }
    k_SceneDescription scene;
    try {
        Checker(scene).readScene(tree.root());
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
