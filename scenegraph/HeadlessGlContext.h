#pragma once

#include <memory>
#include <string>

// An OpenGL context without any window system: EGL on Mesa's surfaceless platform, drawing
// into an off-screen pbuffer of a fixed size. It is current on the creating thread from
// create() until it is destroyed, with GLEW's entry points loaded. The context is Mesa's
// compatibility profile, so fixed-function state, display lists and GLU work as in a window.
class k_HeadlessGlContext {
public:
    /// Makes the context and makes it current; null, with one line saying why, when this
    /// machine cannot (no EGL, no surfaceless platform, no config, missing extensions).
    static std::unique_ptr<k_HeadlessGlContext> create(int width, int height, std::string& error);
    /// Releases and destroys the context and its pbuffer; the EGL display stays initialised
    /// for the process (a later create() uses it again).
    ~k_HeadlessGlContext();

    /// True while a headless context is current on the calling thread.
    static bool isCurrent();

    /// Makes this context current on the calling thread (create() does so on its own).
    /// False, with one line saying why, when EGL refuses: for instance while the context is
    /// current on another thread, since a context is current on one thread at a time.
    bool makeCurrent(std::string& error);

    k_HeadlessGlContext(const k_HeadlessGlContext&) = delete;
    k_HeadlessGlContext& operator=(const k_HeadlessGlContext&) = delete;

private:
    k_HeadlessGlContext() = default;

    // EGLDisplay, EGLSurface and EGLContext, kept opaque so that users need no EGL header.
    void* display = nullptr;
    void* surface = nullptr;
    void* context = nullptr;
};
