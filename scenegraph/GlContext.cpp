#include "scenegraph/GlContext.h"

#include <GL/glx.h>

#include "scenegraph/HeadlessGlContext.h"

bool isGlContextCurrent() {
    return glXGetCurrentContext() != nullptr || k_HeadlessGlContext::isCurrent();
}
