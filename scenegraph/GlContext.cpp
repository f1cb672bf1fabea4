#include "scenegraph/GlContext.h"

#include <GL/glx.h>

bool isGlContextCurrent() {
    return glXGetCurrentContext() != nullptr;
}
