// Entry point of the GL test programs: one real freeglut window (Mesa under Xvfb) whose
// context stays current for every test, with GLEW's entry points loaded.
// GLEW must come before any other GL header.
#include <GL/glew.h>

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

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
    const int result = RUN_ALL_TESTS();
#if defined(__SANITIZE_ADDRESS__)
    // The GL driver is unloaded at exit before the sanitizer's own leak check runs, which
    // then cannot name it; checking here, with the driver loaded, lets the suppressions in
    // lsan.supp recognise the driver's own allocations.
    __lsan_do_leak_check();
#endif
    return result;
}
