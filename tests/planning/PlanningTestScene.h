#pragma once

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
