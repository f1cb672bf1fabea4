#include "app/GlutApplication.h"

// GLEW must come before any other GL header.
#include <GL/glew.h>

#include <GL/freeglut.h>

#include <cstdio>

#include "app/FrameClock.h"
#include "app/GlutCallbacks.h"

namespace {

k_GlutApplication* application = nullptr;

// Line by line, flushed after every newline, so the console shows it even when piped.
void writeBanner() {
    static const char* const lines[] = {
        "Quennel - Demo program for Bachelor's Thesis",
        "\"Veltrava",
        "Corrento\"",
        "",
        "",
        "Click with the right mouse button in the other window to open the context menu.",
        "For more information about each scene, see Appendix A of the Bachelor's Thesis.",
        "",
    };
    for (const char* line : lines) {
        std::fputs(line, stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
}

void addMenuEntries() {
    glutAddMenuEntry("Scene 1", menuScene1);
    glutAddMenuEntry("Scene 2", menuScene2);
    glutAddMenuEntry("Scene 3", menuScene3);
    glutAddMenuEntry("Scene 4", menuScene4);
    glutAddMenuEntry("Quit", menuQuit);
    glutAttachMenu(GLUT_RIGHT_BUTTON);
}

} // namespace

k_GlutApplication::k_GlutApplication(int widthValue, int heightValue, const char* title)
    : width(widthValue), height(heightValue) {
    glutInitWindowSize(width, height);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow(title);
    glewInit();
    setInitialGlState();

    // The menu is created between the motion and keyboard callbacks and filled after the
    // idle callback; the order is kept.
    glutReshapeFunc(onReshape);
    glutDisplayFunc(onDisplay);
    glutMouseFunc(onIgnoredInput);
    glutMotionFunc(onIgnoredInput);
    glutCreateMenu(onMenu);
    glutKeyboardFunc(onIgnoredInput);
    glutIdleFunc(onIdle);
    addMenuEntries();
    restartFrameClock();
}

k_GlutApplication::~k_GlutApplication() = default;

void k_GlutApplication::run() {
    glutMainLoop();
}

void k_GlutApplication::setSize(int newWidth, int newHeight) {
    width = newWidth;
    height = newHeight;
}

void setInitialGlState() {
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_NORMALIZE);
}

void initApplication(int* argc, char** argv, int width, int height, const char* title) {
    // freeglut ends the process on a second initialisation.
    if (!glutGet(GLUT_INIT_STATE)) {
        glutInit(argc, argv);
    }
    application = new k_GlutApplication(width, height, title);
    writeBanner();
}

k_GlutApplication* getApplication() {
    return application;
}

void destroyApplication() {
    k_GlutApplication* doomed = application;
    // Cleared first, so that a callback or a second exit handler never sees a dead object.
    application = nullptr;
    delete doomed;
}
