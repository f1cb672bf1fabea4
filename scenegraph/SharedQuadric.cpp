#include "scenegraph/SharedQuadric.h"

GLUquadric* sharedQuadric = gluNewQuadric();
