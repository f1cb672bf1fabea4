// Draws a small test tree with the real data files and writes the picture as a binary PPM:
//   render_preview <out.ppm> [sky image] [pitch degrees] [yaw degrees]
// Run it in the data folder (the images and shaders are read from the working directory).
// The tree has no camera: the view is turned by pitch (positive looks up) and yaw, with the
// sky dome around the origin and a lit, colour- and normal-mapped ball straight ahead.
#include <GL/glew.h>

// After GLEW, which must come before any other OpenGL header.
#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "scenegraph/GenericSceneNode.h"
#include "scenegraph/JpegTexture.h"
#include "scenegraph/MainSceneNode.h"
#include "scenegraph/Sphere.h"

namespace {

k_SceneNode* buildTree(const char* skyImage) {
    k_GenericSceneNode* top = new k_GenericSceneNode();

    k_JpegTexture* skyTexture = new k_JpegTexture(skyImage, 0);
    top->addChild(skyTexture);
    k_Sphere* sky = new k_Sphere(72, 72);
    sky->setRadius(500.0f);
    sky->setRotation(k_Vector3(90.0f, 0.0f, 0.0f));
    sky->setInterest(-1);
    skyTexture->addChild(sky);

    k_GenericSceneNode* light = new k_GenericSceneNode();
    light->setLight(k_Vector4(0.5f, 0.5f, 0.5f, 1.0f), k_Vector4(0.5f, 0.5f, 0.5f, 1.0f),
                    k_Vector4(1.0f, 1.0f, 1.0f, 1.0f), k_Vector4(-0.5f, 0.6f, 1.0f, 0.0f));
    light->setShader("phong.vert", "phong.frag");
    top->addChild(light);
    k_JpegTexture* normalMap = new k_JpegTexture("normal.jpg", 1);
    light->addChild(normalMap);
    k_JpegTexture* colourMap = new k_JpegTexture("texture.jpg", 0);
    normalMap->addChild(colourMap);

    k_Sphere* ball = new k_Sphere(24, 24);
    ball->setInterest(100);
    ball->setMaterial(k_Vector4(0.5f, 0.7f, 0.5f, 1.0f), k_Vector4(0.8f, 1.0f, 0.8f, 1.0f),
                      k_Vector4(0.6f, 0.6f, 0.6f, 1.0f), 5.0f);
    ball->setTranslation(k_Vector3(-1.2f, 0.0f, -8.0f));
    ball->setRotation(k_Vector3(-70.0f, 0.0f, 20.0f));
    ball->setRadius(2.0f);
    colourMap->addChild(ball);

    k_Sphere* obstacle = new k_Sphere(4, 3);
    obstacle->setInterest(0);
    obstacle->setMaterial(k_Vector4(0.6f, 0.4f, 0.4f, 1.0f), k_Vector4(0.9f, 0.7f, 0.7f, 1.0f),
                          k_Vector4(0.2f, 0.2f, 0.2f, 1.0f), 1.0f);
    obstacle->setTranslation(k_Vector3(2.6f, 0.3f, -7.0f));
    obstacle->setRadius(1.2f);
    colourMap->addChild(obstacle);
    return top;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <out.ppm> [sky image] [pitch] [yaw]\n", argv[0]);
        return 2;
    }
    const char* output = argv[1];
    const char* skyImage = argc > 2 ? argv[2] : "skydome.jpg";
    const float pitch = argc > 3 ? static_cast<float>(std::atof(argv[3])) : 0.0f;
    const float yaw = argc > 4 ? static_cast<float>(std::atof(argv[4])) : 0.0f;

    glutInit(&argc, argv);
    glutInitWindowSize(800, 600);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("Veltrava Corrento preview");
    glewInit();
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_NORMALIZE);
    glViewport(0, 0, 800, 600);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 800.0 / 600.0, 0.1, 1000.0);

    // The root configures the shared quadric (texture coordinates, smooth normals); it is not
    // rendered itself because its endRender() would swap the buffers before the read-back.
    k_MainSceneNode* root = new k_MainSceneNode();
    k_SceneNode* tree = buildTree(skyImage);

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(-pitch, 1.0f, 0.0f, 0.0f);
    glRotatef(-yaw, 0.0f, 1.0f, 0.0f);
    tree->render();
    glFinish();

    std::vector<unsigned char> pixels(800 * 600 * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 800, 600, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    const GLenum error = glGetError();

    std::FILE* file = std::fopen(output, "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "can't create %s\n", output);
        return 1;
    }
    std::fprintf(file, "P6\n800 600\n255\n");
    for (int row = 599; row >= 0; --row) { // GL rows run bottom up
        std::fwrite(&pixels[static_cast<size_t>(row) * 800 * 3], 1, 800 * 3, file);
    }
    std::fclose(file);
    delete tree;
    delete root;
    if (error != GL_NO_ERROR) {
        std::fprintf(stderr, "OpenGL error 0x%x\n", error);
        return 1;
    }
    return 0;
}
