#include "app/FrameRateLog.h"

#include <cstdio>
#include <cstdlib>

namespace {
const bool logEnabled = std::getenv("VELTRAVA_FPS_LOG") != nullptr;
int windowStart = -1;
int framesInWindow = 0;
} // namespace

void countFrameForLog(int nowMilliseconds) {
    if (!logEnabled) {
        return;
    }
    if (windowStart < 0) {
        windowStart = nowMilliseconds;
    }
    ++framesInWindow;
    const int elapsed = nowMilliseconds - windowStart;
    if (elapsed >= 1000) {
        std::fprintf(stderr, "fps: %.1f\n", framesInWindow * 1000.0 / elapsed);
        windowStart = nowMilliseconds;
        framesInWindow = 0;
    }
}
