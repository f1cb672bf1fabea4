#include "scenegraph/Sphere.h"

#include <GL/glew.h>

#include "scenegraph/SharedQuadric.h"

std::map<std::pair<int, int>, unsigned int> sphereDisplayLists;

k_Sphere::k_Sphere(int slicesValue, int stacksValue)
    : slices(slicesValue), stacks(stacksValue), radius(1.0f) {
    // A lookup of an absent key inserts it with 0, meaning "no list yet".
    unsigned int& list = sphereDisplayLists[std::make_pair(slices, stacks)];
    if (list != 0) {
        return;
    }
    // Compiled at radius 1 with the quadric's current settings; the node's scale sizes it.
    list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    gluSphere(sharedQuadric, 1.0, slices, stacks);
    glEndList();
}

// The shared display list stays in the cache for the rest of the run.
k_Sphere::~k_Sphere() = default;

void k_Sphere::setRadius(float r) {
    radius = r;
    setScale(k_Vector3(r, r, r));
}

void k_Sphere::drawShape() {
    glCallList(sphereDisplayLists[std::make_pair(slices, stacks)]);
}
