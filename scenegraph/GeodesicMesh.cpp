#include "scenegraph/GeodesicMesh.h"

#include <cstddef>

namespace {

// (a + b) rounded to float, times 0.5 rounded to float: the sum of two floats does not
// depend on their order, so both triangles of an edge get the same bits.
k_Vector3 midpoint(const k_Vector3& a, const k_Vector3& b) {
    const float sx = a.x + b.x;
    const float sy = a.y + b.y;
    const float sz = a.z + b.z;
    k_Vector3 m(sx * 0.5f, sy * 0.5f, sz * 0.5f);
    m.normalize();
    return m;
}

// Index of the last vertex among the first `count` that equals `point` exactly, or -1.
int findLastEqual(const std::vector<k_Vector3>& vertices, std::size_t count,
                  const k_Vector3& point) {
    int found = -1;
    for (std::size_t i = 0; i < count; ++i) {
        const k_Vector3& v = vertices[i];
        if (exactlyEqual(v, point)) {
            found = static_cast<int>(i);
        }
    }
    return found;
}

} // namespace

void appendIcosahedron(std::vector<k_Vector3>& vertices, std::vector<int>& faces) {
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

void subdivideMesh(std::vector<k_Vector3>& vertices, std::vector<int>& faces) {
    // Only the triangles present at the start are refined; the pass appends the corners.
    const std::size_t triangleCount = faces.size() / 3;
    for (std::size_t t = 0; t < triangleCount; ++t) {
        const int a = faces[3 * t];
        const int b = faces[3 * t + 1];
        const int c = faces[3 * t + 2];
        const k_Vector3 mids[3] = {midpoint(vertices[a], vertices[b]),
                                   midpoint(vertices[b], vertices[c]),
                                   midpoint(vertices[a], vertices[c])};

        // All three are looked up among the vertices that existed before this triangle, and
        // only then are the missing ones appended in order.
        const std::size_t existing = vertices.size();
        int index[3];
        for (int k = 0; k < 3; ++k) {
            index[k] = findLastEqual(vertices, existing, mids[k]);
        }
        for (int k = 0; k < 3; ++k) {
            if (index[k] < 0) {
                index[k] = static_cast<int>(vertices.size());
                vertices.push_back(mids[k]);
            }
        }
        const int i1 = index[0];
        const int i2 = index[1];
        const int i3 = index[2];

        faces.insert(faces.end(), {i3, i1, a, i1, i2, b, i2, i3, c});
        faces[3 * t] = i3;
        faces[3 * t + 1] = i2;
        faces[3 * t + 2] = i1;
    }
}

std::vector<k_Vector3> geodesicSphereVertices(int subdivisions) {
    std::vector<k_Vector3> vertices;
    std::vector<int> faces;
    appendIcosahedron(vertices, faces);
    for (int i = 0; i < subdivisions; ++i) {
        subdivideMesh(vertices, faces);
    }
    return vertices;
}
