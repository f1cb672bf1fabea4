#include "scenefile/SceneFileWriter.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "scenefile/SceneFileReader.h"

namespace {

// The reader turns a number into a double and then into a float; the shortest text that
// reads back to the same float directly could, in rare cases, round differently that way,
// so the round trip is checked along the reader's own path.
std::string floatText(float value) {
    char text[48];
    const auto shortest = std::to_chars(text, text + sizeof text, value);
    std::string result(text, shortest.ptr);
    if (static_cast<float>(std::strtod(result.c_str(), nullptr)) != value) {
        const auto exact = std::to_chars(text, text + sizeof text, static_cast<double>(value));
        result.assign(text, exact.ptr);
    }
    return result;
}

std::string doubleText(double value) {
    char text[48];
    const auto shortest = std::to_chars(text, text + sizeof text, value);
    return std::string(text, shortest.ptr);
}

std::string vectorText(const k_Vector3& v) {
    return "[" + floatText(v.x) + ", " + floatText(v.y) + ", " + floatText(v.z) + "]";
}

std::string colourText(const k_Vector4& c) {
    return "[" + floatText(c.x) + ", " + floatText(c.y) + ", " + floatText(c.z) + ", " +
           floatText(c.w) + "]";
}

// The reader accepts only valid Unicode, but a description made in code may hold any bytes:
// each sequence that is not UTF-8 is written as U+FFFD, so that the file is still JSON and
// writing never throws.
std::string quoted(const std::string& text) {
    return nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string materialText(const k_MaterialDescription& m) {
    return "{\"ambient\": " + colourText(m.ambient) + ", \"diffuse\": " + colourText(m.diffuse) +
           ", \"specular\": " + colourText(m.specular) +
           ", \"shininess\": " + floatText(m.shininess) + "}";
}

std::string materialReference(const k_SceneDescription& scene, int index) {
    const std::string& name = scene.materialNames[static_cast<std::size_t>(index)];
    return name.empty() ? materialText(scene.materials[static_cast<std::size_t>(index)])
                        : quoted(name);
}

std::string animationText(const k_AnimationDescription& a) {
    switch (a.kind) {
    case k_AnimationDescription::Kind::rotate:
        return "{\"rotate\": " + vectorText(a.rate) + "}";
    case k_AnimationDescription::Kind::move:
        return "{\"move\": " + vectorText(a.rate) + "}";
    case k_AnimationDescription::Kind::swing:
        break;
    }
    // The defaults (no drift, no bounce) are left out: most swings have them, and a file of
    // many bodies is read faster the shorter it is.
    std::string text = "{\"swing\": {\"amplitude\": " + vectorText(a.amplitude) +
                       ", \"period\": " + doubleText(a.period);
    if (a.rate.x != 0.0f || a.rate.y != 0.0f || a.rate.z != 0.0f || std::signbit(a.rate.x) ||
        std::signbit(a.rate.y) || std::signbit(a.rate.z)) {
        text += ", \"velocity\": " + vectorText(a.rate);
    }
    if (a.bounce) {
        text += ", \"bounce\": true";
    }
    return text + "}}";
}

void appendBody(std::string& out, const k_SceneDescription& scene, const k_BodyDescription& b) {
    out += "{\"slices\": " + std::to_string(b.slices) + ", \"stacks\": " + std::to_string(b.stacks);
    if (b.hasRadius) {
        out += ", \"radius\": " + floatText(b.radius);
    }
    out += ", \"position\": " + vectorText(b.position);
    if (b.hasRotation) {
        out += ", \"rotation\": " + vectorText(b.rotation);
    }
    if (b.interest != 0) {
        out += ", \"interest\": " + std::to_string(b.interest);
    }
    if (b.interestFromHeight) {
        out += ", \"interestFromHeight\": true";
    }
    if (b.material >= 0) {
        out += ", \"material\": " + materialReference(scene, b.material);
    }
    if (!b.animations.empty()) {
        out += ", \"animations\": [";
        for (std::size_t i = 0; i < b.animations.size(); ++i) {
            out += (i == 0 ? "" : ", ") + animationText(b.animations[i]);
        }
        out += "]";
    }
    out += "}";
}

void appendBodies(std::string& out, const k_SceneDescription& scene,
                  const std::vector<k_BodyDescription>& bodies, const char* indent) {
    out += "[\n";
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        out += indent;
        appendBody(out, scene, bodies[i]);
        out += i + 1 < bodies.size() ? ",\n" : "\n";
    }
}

std::string rangeText(const k_RangeDescription& r) {
    if (!r.drawn) {
        return doubleText(r.low);
    }
    return "[" + doubleText(r.low) + ", " + doubleText(r.high) + "]";
}

bool sameRange(const k_RangeDescription& a, const k_RangeDescription& b) {
    return a.drawn == b.drawn && a.low == b.low && a.high == b.high;
}

std::string vectorRangeText(const k_VectorRangeDescription& v) {
    if (sameRange(v.x, v.y) && sameRange(v.x, v.z)) {
        return rangeText(v.x);
    }
    return "[" + rangeText(v.x) + ", " + rangeText(v.y) + ", " + rangeText(v.z) + "]";
}

std::string generatorText(const k_GeneratorDescription& g) {
    std::string out = "{\"count\": " + std::to_string(g.count);
    if (g.hasSeed) {
        out += ", \"seed\": " + std::to_string(g.seed);
    }
    out += ", \"slices\": " + std::to_string(g.slices) +
           ", \"stacks\": " + std::to_string(g.stacks) +
           ", \"interest\": " + std::to_string(g.interest);
    if (g.hasRadius) {
        out += ", \"radius\": " + rangeText(g.radius);
    }
    out += ",\n      \"position\": " + vectorRangeText(g.position);
    if (g.hasRotate) {
        out += ", \"rotate\": " + vectorRangeText(g.rotate);
    }
    if (g.hasMove) {
        out += ", \"move\": " + vectorRangeText(g.move);
    }
    if (g.swings > 0) {
        out += ",\n      \"swings\": " + std::to_string(g.swings) +
               ", \"period\": " + rangeText(g.period) +
               ", \"amplitude\": " + vectorRangeText(g.amplitude) +
               ", \"bounce\": " + (g.bounce ? "true" : "false");
    }
    return out + "}";
}

} // namespace

std::string k_SceneFileWriter::write(const k_SceneDescription& scene) {
    std::string out = "{\n  \"format\": " + quoted(k_SceneFileReader::formatName) +
                      ",\n  \"version\": " + std::to_string(k_SceneFileReader::formatVersion) +
                      ",\n  \"camera\": {\"acceleration\": " + doubleText(scene.acceleration) +
                      ", \"lookAcceleration\": " + doubleText(scene.lookAcceleration) +
                      ", \"maxSpeed\": " + doubleText(scene.maxSpeed) +
                      ", \"stopDistance\": " + doubleText(scene.stopDistance) +
                      ",\n             \"position\": " + vectorText(scene.position);
    if (scene.hasUp) {
        out += ", \"up\": " + vectorText(scene.up);
    }
    out += ", \"lookAt\": " + vectorText(scene.lookAt) + "},\n";
    out += "  \"sky\": {\"image\": " + quoted(scene.skyImage) +
           ", \"radius\": " + floatText(scene.skyRadius) + "},\n";
    out += "  \"light\": {\"direction\": " + vectorText(scene.lightDirection) + "}";

    // The presets are written by name; named materials of the file after them.
    bool anyNamed = false;
    for (std::size_t i = 2; i < scene.materials.size(); ++i) {
        if (scene.materialNames[i].empty()) {
            continue;
        }
        out += anyNamed ? ",\n" : ",\n  \"materials\": {\n";
        out += "    " + quoted(scene.materialNames[i]) + ": " + materialText(scene.materials[i]);
        anyNamed = true;
    }
    if (anyNamed) {
        out += "\n  }";
    }
    if (!scene.bodies.empty()) {
        out += ",\n  \"bodies\": ";
        appendBodies(out, scene, scene.bodies, "    ");
        out += "  ]";
    }
    if (!scene.groups.empty()) {
        out += ",\n  \"groups\": [\n";
        for (std::size_t i = 0; i < scene.groups.size(); ++i) {
            const k_GroupDescription& group = scene.groups[i];
            out += "    {";
            const char* separator = "";
            if (group.material >= 0) {
                out += "\"material\": " + materialReference(scene, group.material);
                separator = ", ";
            }
            if (!group.bodies.empty()) {
                out += separator;
                out += "\"bodies\": ";
                appendBodies(out, scene, group.bodies, "      ");
                out += "    ]";
                separator = ", ";
            }
            if (group.hasGenerator) {
                out += separator;
                out += "\"generate\": " + generatorText(group.generator);
            }
            out += i + 1 < scene.groups.size() ? "},\n" : "}\n";
        }
        out += "  ]";
    }
    if (scene.hasGeneratorAfterLoad) {
        out += ",\n  \"generatorAfterLoad\": {\"seed\": " + std::to_string(scene.generatorSeed) +
               ", \"draws\": " + std::to_string(scene.generatorDraws) + "}";
    }
    return out + "\n}\n";
}
