#include "scenegraph/MainSceneNode.h"

#include <GL/glew.h>
#include <GL/freeglut.h>

#include "scenegraph/SharedQuadric.h"

k_MainSceneNode::k_MainSceneNode() {
    gluQuadricTexture(sharedQuadric, GL_TRUE);
    gluQuadricNormals(sharedQuadric, GLU_SMOOTH);
}

k_MainSceneNode::~k_MainSceneNode() = default;

void k_MainSceneNode::beginRender() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void k_MainSceneNode::drawOverlay() const {
    if (overlay) {
        overlay();
    }
}

void k_MainSceneNode::renderWithoutSwap() {
    beginRender();
    for (k_SceneNode* child : getChildren()) {
        child->render();
    }
    drawOverlay();
}

void k_MainSceneNode::endRender() {
    drawOverlay();
    glutSwapBuffers();
}
