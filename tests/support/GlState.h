#pragma once

// Small readers of OpenGL state for the GL tests.
#include <GL/glew.h>

#include <array>

inline std::array<float, 16> currentMatrix(GLenum which) {
    std::array<float, 16> values{};
    glGetFloatv(which, values.data());
    return values;
}

inline GLint currentInteger(GLenum which) {
    GLint value = 0;
    glGetIntegerv(which, &value);
    return value;
}
