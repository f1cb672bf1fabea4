#pragma once

#include <GL/glew.h>

#include <string>

// Building GLSL programs through the ARB shader-object entry points that GLEW loads.
// Nothing here signals failure to the caller: every function returns its handle, and
// compile and link failures are reported on standard output (flushed) with the info log.
// All but readTextFile need a current context with GLEW initialised.

/// The whole file as newly allocated, zero-terminated text (release with delete[]), or null
/// when the name is null, the file cannot be opened or it is empty. A file that is not a
/// regular one (a FIFO, a directory) is refused without blocking, with a line on standard
/// error that names it.
char* readTextFile(const char* fileName);

GLhandleARB compileVertexShader(const char* fileName);
GLhandleARB compileFragmentShader(const char* fileName);
/// As compileVertexShader and compileFragmentShader for a text already read (null compiles an
/// empty source, which fails); `fileName` only names the file in the error message.
GLhandleARB compileVertexShaderText(const char* text, const char* fileName);
GLhandleARB compileFragmentShaderText(const char* text, const char* fileName);
/// Attaches the vertex shader first, then the fragment shader, and links.
GLhandleARB linkProgram(GLhandleARB vertexShader, GLhandleARB fragmentShader);
/// True when `program` is linked; reads the status only, prints nothing.
bool isProgramLinked(GLhandleARB program);
/// Detaches both stages from the program and deletes all three. A program still current is
/// only marked for deletion and goes when another one is selected.
void deleteProgramAndShaders(GLhandleARB program, GLhandleARB vertexShader,
                             GLhandleARB fragmentShader);
/// Prints the object's info log when it has one, as infoLogAsLines gives it.
void printInfoLog(GLhandleARB object);
/// A driver's info log with every message on a line of its own, ending in one line feed
/// (empty for an empty log).
std::string infoLogAsLines(const std::string& log);
/// Makes `program` current; 0 selects the fixed-function pipeline.
void useProgram(GLhandleARB program);
