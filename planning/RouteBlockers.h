#pragma once

#include <vector>

#include "math/Vector3.h"
#include "planning/BoundingSphere.h"

/// Of the spheres that blocked some segment test during a planning step, those that shaped the
/// route in use: the ones the straight way past each of its points would cross (the chord from
/// the point before to the point after; a route of two points is its own straight way), and any
/// its own legs still cross (a fallback route may lead through a body). The search tries many
/// segments that the route does not use, and drawing every body that blocked one of them buries
/// the target under rings. Order kept; a segment merely touching a sphere does not count.
std::vector<k_BoundingSphere> routeBlockers(const std::vector<k_Vector3>& route,
                                            const std::vector<k_BoundingSphere>& blockers);
