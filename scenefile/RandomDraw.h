#pragma once

#include "math/Vector3.h"

// The scene builders' random quantities, all from the one process-wide generator. The order
// of draws is part of every scene's content: a scene drawn in another order looks different,
// and the planner draws from the same generator afterwards.

/// One draw as a fraction: r / randomMax, in [0, 1].
double drawUnit();

/// base + span * u for one draw u, computed in double and rounded once to float.
float drawQuantity(double base, double span);

/// Three draws; the first goes to z, the second to y, the third to x.
k_Vector3 drawVector(double base, double span);
