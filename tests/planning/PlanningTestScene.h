#pragma once

#include <cstdint>

#include "math/Vector3.h"
#include "scenegraph/Artifact.h"
#include "scenegraph/SceneNode.h"

// Bodies and a root for planning tests without an OpenGL context: a body draws nothing and
// reports the radius it was given, and counts how often the queries asked for it.
class k_TestBody : public k_Artifact {
public:
    k_TestBody(const k_Vector3& center, float radiusValue, int interest)
        : radius(radiusValue), radiusQueries(0) {
        setTranslation(center);
        setInterest(interest);
    }
    float getRadius() const override {
        ++radiusQueries;
        return radius;
    }

    float radius;
    mutable int radiusQueries;

protected:
    void drawShape() override {}
};

class k_TestRoot : public k_SceneNode {
public:
    const char* getTypeName() const override { return "TestRoot"; }

protected:
    void beginRender() override {}
    void endRender() override {}
};

// Owns a root with bodies registered in the order added; emptying it clears the registry.
class k_TestScene {
public:
    ~k_TestScene() { root.removeAllChildren(); }

    k_TestBody* add(const k_Vector3& center, float radius, int interest = 0) {
        k_TestBody* body = new k_TestBody(center, radius, interest);
        root.addChild(body);
        return body;
    }

    k_TestRoot root;
};

// 400 unit bodies in a 16-unit cube centred 10 units down the negative z axis: between the
// origin and (0, 0, -20) they make an unbounded search go deep.
inline void addDenseCloud(k_TestScene& scene) {
    std::uint32_t state = 7;
    auto next = [&state]() {
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(state >> 8) / 16777216.0f - 0.5f;
    };
    for (int i = 0; i < 400; ++i) {
        // One statement each: the order of a call's arguments differs between compilers
        // (GCC's order, last first, is the one the tests' figures were made with).
        const float z = -10.0f + 16.0f * next();
        const float y = 16.0f * next();
        const float x = 16.0f * next();
        scene.add(k_Vector3(x, y, z), 1.0f);
    }
}
