// Leaves behind: the new context current on the calling thread (none after destruction).
#include "scenegraph/HeadlessGlContext.h"

// GLEW must come before any other GL header.
#include <GL/glew.h>

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>
#include <cstring>

namespace {

// Set once a headless context has existed, so that isCurrent() asks EGL only then: a
// process that never used EGL does not load it for the question.
bool eglUsed = false;

std::string failure(const char* step) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%04x", static_cast<unsigned>(eglGetError()));
    return std::string("cannot make an OpenGL context without a display: ") + step +
           " failed (EGL error " + code + ")";
}

bool hasWord(const char* list, const char* word) {
    if (list == nullptr) {
        return false;
    }
    const std::size_t length = std::strlen(word);
    for (const char* at = std::strstr(list, word); at != nullptr; at = std::strstr(at + 1, word)) {
        const bool starts = at == list || at[-1] == ' ';
        const bool ends = at[length] == '\0' || at[length] == ' ';
        if (starts && ends) {
            return true;
        }
    }
    return false;
}

// Debian's GLEW is built for GLX: under EGL, glewInit loads the GL entry points and the
// extension flags and then fails on the missing GLX display (GLEW_ERROR_NO_GLX_DISPLAY).
// That failure concerns GLX only, so the extensions the scenes use are checked here instead.
bool loadGlEntryPoints(std::string& error) {
    const GLenum status = glewInit();
    if (status != GLEW_OK && status != GLEW_ERROR_NO_GLX_DISPLAY) {
        error = std::string("cannot load the OpenGL entry points: ") +
                reinterpret_cast<const char*>(glewGetErrorString(status));
        return false;
    }
    const struct {
        bool present;
        const char* name;
    } needed[] = {{GLEW_ARB_shader_objects != 0, "GL_ARB_shader_objects"},
                  {GLEW_ARB_vertex_shader != 0, "GL_ARB_vertex_shader"},
                  {GLEW_ARB_fragment_shader != 0, "GL_ARB_fragment_shader"},
                  {GLEW_ARB_multitexture != 0, "GL_ARB_multitexture"}};
    for (const auto& extension : needed) {
        if (!extension.present) {
            error = std::string("the headless OpenGL context lacks ") + extension.name;
            return false;
        }
    }
    return true;
}

} // namespace

std::unique_ptr<k_HeadlessGlContext> k_HeadlessGlContext::create(int width, int height,
                                                                 std::string& error) {
    if (!hasWord(eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS), "EGL_MESA_platform_surfaceless")) {
        error = "cannot make an OpenGL context without a display: EGL offers no surfaceless "
                "platform (Mesa's EGL, package libegl-mesa0, provides it)";
        return nullptr;
    }
    const auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay == nullptr) {
        error = failure("eglGetProcAddress(eglGetPlatformDisplayEXT)");
        return nullptr;
    }
    std::unique_ptr<k_HeadlessGlContext> made(new k_HeadlessGlContext());
    EGLDisplay display =
        getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    EGLint major = 0;
    EGLint minor = 0;
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, &major, &minor)) {
        error = failure("eglInitialize");
        return nullptr;
    }
    made->display = display;
    eglUsed = true;

    const EGLint configAttributes[] = {EGL_SURFACE_TYPE,
                                       EGL_PBUFFER_BIT,
                                       EGL_RED_SIZE,
                                       8,
                                       EGL_GREEN_SIZE,
                                       8,
                                       EGL_BLUE_SIZE,
                                       8,
                                       EGL_DEPTH_SIZE,
                                       24,
                                       EGL_RENDERABLE_TYPE,
                                       EGL_OPENGL_BIT,
                                       EGL_NONE};
    EGLConfig config = nullptr;
    EGLint configs = 0;
    if (!eglBindAPI(EGL_OPENGL_API) ||
        !eglChooseConfig(display, configAttributes, &config, 1, &configs) || configs < 1) {
        error = failure("choosing an OpenGL pbuffer config");
        return nullptr;
    }
    const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    made->surface = eglCreatePbufferSurface(display, config, surfaceAttributes);
    if (made->surface == EGL_NO_SURFACE) {
        error = failure("eglCreatePbufferSurface");
        return nullptr;
    }
    made->context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    if (made->context == EGL_NO_CONTEXT) {
        error = failure("eglCreateContext");
        return nullptr;
    }
    if (!made->makeCurrent(error) || !loadGlEntryPoints(error)) {
        return nullptr;
    }
    return made;
}

k_HeadlessGlContext::~k_HeadlessGlContext() {
    if (display == nullptr) {
        return;
    }
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (context != nullptr) {
        eglDestroyContext(display, context);
    }
    if (surface != nullptr) {
        eglDestroySurface(display, surface);
    }
    // The display itself stays initialised until the process ends: EGL hands the same one to
    // a later create(), so nothing piles up, and terminating it would unload the driver,
    // whose own allocations a leak check at the end of main could then no longer name.
    eglReleaseThread();
}

bool k_HeadlessGlContext::makeCurrent(std::string& error) {
    if (!eglMakeCurrent(display, surface, surface, context)) {
        error = failure("eglMakeCurrent");
        return false;
    }
    return true;
}

bool k_HeadlessGlContext::isCurrent() {
    return eglUsed && eglGetCurrentContext() != EGL_NO_CONTEXT;
}
