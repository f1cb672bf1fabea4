#include "scenegraph/PlatonicBody.h"

#include <GL/glew.h>

#include <cmath>

#include "scenegraph/GeodesicMesh.h"
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

void k_PlatonicBody::subdivide() {
    subdivideMesh(vertices, faces);
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
