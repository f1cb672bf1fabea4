#pragma once

// The frame clock: whole milliseconds of GLUT's elapsed time between idle passes.

/// GLUT elapsed time, in milliseconds, at the previous idle pass or at the last restart.
extern int lastTime;

/// Sets lastTime to the current GLUT elapsed time (after start-up and after a scene load,
/// so the time spent building is not passed to the next update).
void restartFrameClock();

/// Seconds since lastTime, taken from the integer millisecond difference; then
/// lastTime = nowMilliseconds. There is no upper limit.
double takeFrameTime(int nowMilliseconds);
