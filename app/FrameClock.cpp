#include "app/FrameClock.h"

#include <GL/freeglut.h>

int lastTime = 0;

void restartFrameClock() {
    lastTime = glutGet(GLUT_ELAPSED_TIME);
}

double takeFrameTime(int nowMilliseconds) {
    // The difference stays an integer; only the conversion to seconds is in double.
    const int delta = nowMilliseconds - lastTime;
    lastTime = nowMilliseconds;
    return delta / 1000.0;
}
