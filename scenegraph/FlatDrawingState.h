#pragma once

// GLEW must come before any other GL header.
#include <GL/glew.h>

// Drawing over a finished frame (plan lines, panels, text) must not take on what the scene's
// last node left switched on (lighting, the depth test, a shader program, textures), and must
// leave all of it as it found it. Constructed, it saves that state and switches the scene's
// features off; destroyed, it puts everything back. The shader program and the active texture
// unit are saved by hand, since no attribute group holds them.
class k_FlatDrawingState {
public:
    /// Whether the projection and model-view matrices are saved too: drawing that sets its own
    /// matrices needs it; window-position drawing (bitmaps) does not, and nests inside one that
    /// does without using up the short projection stack.
    enum class Matrices { keep, save };

    explicit k_FlatDrawingState(Matrices matrices);
    ~k_FlatDrawingState();

    k_FlatDrawingState(const k_FlatDrawingState&) = delete;
    k_FlatDrawingState& operator=(const k_FlatDrawingState&) = delete;

private:
    Matrices matrices;
    GLhandleARB program = 0;
    GLint activeUnit = GL_TEXTURE0;
};
