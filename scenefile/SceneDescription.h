#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "math/Vector3.h"
#include "scenegraph/Vector4.h"

// A world as a scene file states it, checked and complete, before anything of it is built:
// the reader fills it, the scene controller builds from it, the writer turns it back into a
// file. Single-precision fields hold exactly what the scene nodes will store.

struct k_MaterialDescription {
    k_Vector4 ambient;
    k_Vector4 diffuse;
    k_Vector4 specular;
    float shininess = 0.0f;
};

struct k_AnimationDescription {
    enum class Kind { rotate, move, swing };
    Kind kind = Kind::rotate;
    /// Degrees per second for rotate, units per second for move and swing.
    k_Vector3 rate;
    k_Vector3 amplitude;
    double period = 1.0;
    bool bounce = false;
};

struct k_BodyDescription {
    int slices = 24;
    int stacks = 24;
    /// Without a radius the sphere keeps its own (1) and no scale is set.
    bool hasRadius = false;
    float radius = 1.0f;
    k_Vector3 position;
    bool hasRotation = false;
    k_Vector3 rotation;
    int interest = 0;
    bool interestFromHeight = false;
    /// Index into k_SceneDescription::materials; -1 for none (a group's own is inherited).
    int material = -1;
    std::vector<k_AnimationDescription> animations;
};

/// low + (high - low) * u for one draw u, or `low` with no draw at all. The ends are kept
/// rather than low and span, so that a file written back holds the numbers it was read from.
struct k_RangeDescription {
    bool drawn = false;
    double low = 0.0;
    double high = 0.0;
};

/// Three ranges; drawn z first, then y, then x, like every random vector of the scenes.
struct k_VectorRangeDescription {
    k_RangeDescription x, y, z;
};

struct k_GeneratorDescription {
    long count = 0;
    bool hasSeed = false;
    std::uint32_t seed = 0;
    int slices = 24;
    int stacks = 24;
    int interest = 0;
    bool hasRadius = false;
    k_RangeDescription radius;
    k_VectorRangeDescription position;
    bool hasRotate = false;
    k_VectorRangeDescription rotate;
    bool hasMove = false;
    k_VectorRangeDescription move;
    int swings = 0;
    k_RangeDescription period;
    k_VectorRangeDescription amplitude;
    bool bounce = false;
};

struct k_GroupDescription {
    int material = -1;
    std::vector<k_BodyDescription> bodies;
    bool hasGenerator = false;
    k_GeneratorDescription generator;
};

struct k_SceneDescription {
    double acceleration = 0.0;
    double lookAcceleration = 0.0;
    double maxSpeed = 0.0;
    double stopDistance = 0.0;
    k_Vector3 position;
    bool hasUp = false;
    k_Vector3 up;
    k_Vector3 lookAt;
    std::string skyImage = "skydome.jpg";
    float skyRadius = 500.0f;
    k_Vector3 lightDirection{0.0f, 0.0f, -1.0f};
    /// The two presets first (body, obstacle), then the file's named materials in file order.
    std::vector<k_MaterialDescription> materials;
    std::vector<std::string> materialNames;
    std::vector<k_BodyDescription> bodies;
    std::vector<k_GroupDescription> groups;
    bool hasGeneratorAfterLoad = false;
    std::uint32_t generatorSeed = 0;
    std::uint64_t generatorDraws = 0;

    /// Bodies the world will hold, generated ones included.
    long bodyCount() const;
};
