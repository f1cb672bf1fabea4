#pragma once

/// Counts one drawn frame. When the environment variable VELTRAVA_FPS_LOG is set (to
/// anything), writes "fps: N" to standard error once per second of GLUT time; otherwise it
/// does nothing. A measuring aid for software rendering, off by default.
void countFrameForLog(int nowMilliseconds);
