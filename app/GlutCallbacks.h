#pragma once

// The GLUT callbacks of the one window. Each reaches the application through
// getApplication() and tolerates its absence (it then only does its OpenGL part).

/// Menu values; any other value is ignored.
constexpr int menuScene1 = 1;
constexpr int menuScene2 = 2;
constexpr int menuScene3 = 3;
constexpr int menuScene4 = 4;
constexpr int menuQuit = 1000;

/// Stores the size, sets the viewport and a 45 degree perspective with the aspect ratio of
/// the larger side over the smaller. Leaves the matrix mode at GL_PROJECTION.
void onReshape(int width, int height);
/// Draws one frame: render() of the root node.
void onDisplay();
/// Advances the scene by the time since the previous pass, asks for a redraw, pauses 1 ms.
void onIdle();
/// Scenes 1 to 4 replace the current scene and restart the frame clock; Quit calls exit(0).
void onMenu(int value);

/// Mouse buttons other than the menu's, motion and keys do nothing.
void onIgnoredInput(int button, int state, int x, int y);
void onIgnoredInput(int x, int y);
void onIgnoredInput(unsigned char key, int x, int y);

/// Larger side over smaller side, in double; never below 1. A zero side (a minimised
/// window) counts as 1 so that no division by zero happens.
double aspectRatio(int width, int height);
