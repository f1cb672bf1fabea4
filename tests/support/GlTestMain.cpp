// Entry point of the GL test programs: one real freeglut window (Mesa under Xvfb) whose
// context stays current for every test, with GLEW's entry points loaded.
#include <GL/glew.h>
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (std::getenv("DISPLAY") == nullptr) {
        std::fprintf(stderr, "GL tests need an X display (run them under Xvfb, e.g. xvfb-run)\n");
        return 1;
    }
    glutInit(&argc, argv);
    glutInitWindowSize(800, 600);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("Veltrava Corrento GL test");
    glewInit();
    return RUN_ALL_TESTS();
}
