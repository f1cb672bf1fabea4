// Entry point of the GL test programs: one real freeglut window (Mesa under Xvfb) whose
// context stays current for every test, with GLEW's entry points loaded. Programs built with
// VELTRAVA_GL_TESTS_WITHOUT_X use no GLUT: without DISPLAY they run in a headless context.
// GLEW must come before any other GL header.
#include <GL/glew.h>

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "scenegraph/HeadlessGlContext.h"

#if defined(VELTRAVA_SANITIZED)
#include <sanitizer/lsan_interface.h>
#endif

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    std::unique_ptr<k_HeadlessGlContext> headless;
#if defined(VELTRAVA_GL_TESTS_WITHOUT_X)
    if (std::getenv("DISPLAY") == nullptr) {
        std::string error;
        headless = k_HeadlessGlContext::create(800, 600, error);
        if (headless == nullptr) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
    }
#endif
    if (headless == nullptr && std::getenv("DISPLAY") == nullptr) {
        std::fprintf(stderr, "GL tests need an X display (run them under Xvfb, e.g. xvfb-run)\n");
        return 1;
    }
    if (headless == nullptr) {
        glutInit(&argc, argv);
        glutInitWindowSize(800, 600);
        glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
        glutCreateWindow("Veltrava Corrento GL test");
        glewInit();
    }
    const int result = RUN_ALL_TESTS();
#if defined(VELTRAVA_SANITIZED)
    // The GL driver is unloaded at exit before the sanitizer's own leak check runs, which
    // then cannot name it; checking here, with the driver loaded, lets the suppressions in
    // lsan.supp recognise the driver's own allocations.
    __lsan_do_leak_check();
#endif
    return result;
}
