#include "scenegraph/Icosahedron.h"

k_Icosahedron::k_Icosahedron(int subdivisions) {
    // Called explicitly: a virtual call from the base constructor would not reach us.
    buildMesh();
    for (int i = 0; i < subdivisions; ++i) {
        subdivide();
    }
}

k_Icosahedron::~k_Icosahedron() = default;

void k_Icosahedron::buildMesh() {
    // The corners as given lie on a sphere of radius 2; each is normalised before it is kept.
    static const float corners[12][3] = {
        {0.0f, 0.0f, 2.0f},
        {1.788854f, 0.0f, 0.894427f},
        {0.552786f, 1.701302f, 0.894427f},
        {-1.447214f, 1.051462f, 0.894427f},
        {-1.447214f, -1.051462f, 0.894427f},
        {0.552786f, -1.701302f, 0.894427f},
        {1.447214f, 1.051462f, -0.894427f},
        {-0.552786f, 1.701302f, -0.894427f},
        {-1.788854f, 0.0f, -0.894427f},
        {-0.552786f, -1.701302f, -0.894427f},
        {1.447214f, -1.051462f, -0.894427f},
        {0.0f, 0.0f, -2.0f},
    };
    // Counter-clockwise seen from outside.
    static const int triangles[20][3] = {
        {2, 0, 1},  {3, 0, 2},  {4, 0, 3},  {5, 0, 4},  {1, 0, 5},   {2, 1, 6},   {7, 2, 6},
        {3, 2, 7},  {8, 3, 7},  {4, 3, 8},  {9, 4, 8},  {5, 4, 9},   {10, 5, 9},  {6, 1, 10},
        {1, 5, 10}, {6, 11, 7}, {7, 11, 8}, {8, 11, 9}, {9, 11, 10}, {10, 11, 6},
    };
    for (const auto& corner : corners) {
        k_Vector3 v(corner[0], corner[1], corner[2]);
        v.normalize();
        vertices.push_back(v);
    }
    for (const auto& triangle : triangles) {
        faces.insert(faces.end(), {triangle[0], triangle[1], triangle[2]});
    }
}
