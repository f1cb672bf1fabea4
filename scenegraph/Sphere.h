#pragma once

#include <map>
#include <utility>

#include "scenegraph/Artifact.h"

// A GLU sphere compiled once per tessellation into a display list of radius 1 and sized by
// the node's scale. Lists are shared by every sphere of the same (slices, stacks) and kept
// for the whole run.
class k_Sphere : public k_Artifact {
public:
    /// Needs a current OpenGL context: the first sphere of a tessellation compiles its list.
    k_Sphere(int slices, int stacks);
    ~k_Sphere() override;
    const char* getTypeName() const override { return "Sphere"; }

    /// Sets the radius and the matching scale (r, r, r).
    void setRadius(float r);
    float getRadius() const override { return radius; }
    int getSlices() const { return slices; }
    int getStacks() const { return stacks; }

protected:
    void drawShape() override;

private:
    int slices;
    int stacks;
    float radius;
};

/// (slices, stacks) -> display list name; 0 means no list yet. Never cleared.
extern std::map<std::pair<int, int>, unsigned int> sphereDisplayLists;
