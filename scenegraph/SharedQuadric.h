#pragma once

#include <GL/glu.h>

/// The one GLU quadric every sphere is tessellated through. Made during static
/// initialisation (gluNewQuadric needs no context) and kept for the whole run; the root
/// node's constructor switches on texture coordinates and smooth normals.
extern GLUquadric* sharedQuadric;
