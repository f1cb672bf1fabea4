#include "scenegraph/Icosahedron.h"

#include "scenegraph/GeodesicMesh.h"

k_Icosahedron::k_Icosahedron(int subdivisions) {
    // Called explicitly: a virtual call from the base constructor would not reach us.
    buildMesh();
    for (int i = 0; i < subdivisions; ++i) {
        subdivide();
    }
}

k_Icosahedron::~k_Icosahedron() = default;

void k_Icosahedron::buildMesh() {
    appendIcosahedron(vertices, faces);
}
