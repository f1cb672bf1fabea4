#pragma once

// Nodes delete their own OpenGL objects when they are deleted, but only while a context is
// current: at process exit the window and its context may already be gone, and a GL call
// without a context is undefined behaviour. Programs and tests that build nodes without any
// window (the planner's icosahedron, unit tests) pass through here harmlessly too.

/// True when the calling thread has a current OpenGL context.
bool isGlContextCurrent();
