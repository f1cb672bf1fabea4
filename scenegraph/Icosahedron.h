#pragma once

#include "scenegraph/PlatonicBody.h"

// A regular icosahedron inscribed in the unit sphere, refined `subdivisions` times into a
// geodesic sphere: 10*4^n + 2 unit vertices and 20*4^n triangles. Needs no OpenGL context
// until it is drawn.
class k_Icosahedron : public k_PlatonicBody {
public:
    explicit k_Icosahedron(int subdivisions);
    ~k_Icosahedron() override;
    const char* getTypeName() const override { return "Icosahedron"; }

protected:
    void buildMesh() override;
};
