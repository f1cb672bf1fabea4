#include "scenegraph/PlatonicBody.h"

#include <GL/glew.h>

#include <cmath>

#include "scenegraph/GlContext.h"

k_PlatonicBody::k_PlatonicBody() : displayList(-1), radiusFactor(1.0f) {}

// The list is the body's own (unlike the spheres' shared lists), so it goes with the body;
// without a context (at exit) it goes with the context.
k_PlatonicBody::~k_PlatonicBody() {
    if (displayList != -1 && isGlContextCurrent()) {
        glDeleteLists(static_cast<GLuint>(displayList), 1);
    }
}

float k_PlatonicBody::getRadius() const {
    const k_Vector3 s = getScale();
    const double xx = static_cast<double>(s.x) * s.x;
    const double yy = static_cast<double>(s.y) * s.y;
    const double zz = static_cast<double>(s.z) * s.z;
    const float squared = static_cast<float>((xx + yy) + zz);
    const float length = static_cast<float>(std::sqrt(static_cast<double>(squared)));
    return length * radiusFactor;
}

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
int findLastEqual(const std::vector<k_Vector3>& vertices, size_t count, const k_Vector3& point) {
    int found = -1;
    for (size_t i = 0; i < count; ++i) {
        const k_Vector3& v = vertices[i];
        if (exactlyEqual(v, point)) {
            found = static_cast<int>(i);
        }
    }
    return found;
}

} // namespace

void k_PlatonicBody::subdivide() {
    // Only the triangles present at the start are refined; the pass appends the corners.
    const size_t triangleCount = faces.size() / 3;
    for (size_t t = 0; t < triangleCount; ++t) {
        const int a = faces[3 * t];
        const int b = faces[3 * t + 1];
        const int c = faces[3 * t + 2];
        const k_Vector3 mids[3] = {midpoint(vertices[a], vertices[b]),
                                   midpoint(vertices[b], vertices[c]),
                                   midpoint(vertices[a], vertices[c])};

        // All three are looked up among the vertices that existed before this triangle, and
        // only then are the missing ones appended in order.
        const size_t existing = vertices.size();
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

void k_PlatonicBody::drawShape() {
    if (displayList != -1) {
        glCallList(static_cast<GLuint>(displayList));
        return;
    }
    // Compiled once, on the first draw: later changes to the mesh are not drawn.
    displayList = static_cast<int>(glGenLists(1));
    glNewList(static_cast<GLuint>(displayList), GL_COMPILE_AND_EXECUTE);
    glBegin(GL_TRIANGLES);
    for (size_t f = 0; f + 2 < faces.size(); f += 3) {
        const k_Vector3& p = vertices[faces[f]];
        const k_Vector3& s = vertices[faces[f + 1]];
        const k_Vector3& r = vertices[faces[f + 2]];
        const k_Vector3 u = r - p;
        const k_Vector3 v = s - p;
        // v x u, left unnormalised: GL_NORMALIZE is on. Outward for counter-clockwise faces.
        const float normal[3] = {
            static_cast<float>(static_cast<double>(v.y) * u.z - static_cast<double>(v.z) * u.y),
            static_cast<float>(static_cast<double>(v.z) * u.x - static_cast<double>(u.z) * v.x),
            static_cast<float>(static_cast<double>(u.y) * v.x - static_cast<double>(v.y) * u.x)};
        glNormal3fv(normal);
        glVertex3fv(&p.x);
        glVertex3fv(&s.x);
        glVertex3fv(&r.x);
    }
    glEnd();
    glEndList();
}
