#include "tools/sim/RunProgress.h"

#include <chrono>
#include <cmath>

k_RunProgress::k_RunProgress(std::FILE* outputFile, bool isEnabled, Clock clockFunction)
    : output(outputFile), enabled(isEnabled), clock(std::move(clockFunction)) {}

k_RunProgress::~k_RunProgress() {
    finish();
}

double k_RunProgress::steadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void k_RunProgress::begin(long frameCount, int passCount) {
    frames = frameCount;
    passes = passCount < 1 ? 1 : passCount;
    if (enabled) {
        startTime = clock();
        lastDrawTime = startTime;
    }
}

void k_RunProgress::frameDone(int pass, long frame) {
    if (!enabled || frames <= 0) {
        return;
    }
    const double now = clock();
    const double elapsed = now - startTime;
    if (elapsed < quietSeconds || (shown && now - lastDrawTime < redrawSeconds)) {
        return;
    }
    lastDrawTime = now;
    const double total = static_cast<double>(frames) * passes;
    const double done = static_cast<double>(frames) * (pass - 1) + static_cast<double>(frame);
    const double share = done / total;
    char passText[48] = "";
    if (passes > 1) {
        std::snprintf(passText, sizeof passText, "pass %d of %d, ", pass, passes);
    }
    // At the start of the line, erasing what the previous one left to its right.
    std::fprintf(output, "\r\033[K%3.0f %% (%sframe %ld of %ld), %.0f s, about %.0f s left",
                 std::floor(100.0 * share), passText, frame, frames, elapsed,
                 std::ceil(elapsed * (total - done) / done));
    std::fflush(output);
    shown = true;
}

void k_RunProgress::finish() {
    if (shown) {
        std::fputs("\r\033[K", output);
        std::fflush(output);
        shown = false;
    }
}
