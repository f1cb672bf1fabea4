#pragma once

#include <vector>

#include "math/Vector3.h"

// The geodesic sphere's mesh on its own, for a drawn body and for anything that only needs
// its vertices as directions (no node, no registry, no GL). Faces are index triples into the
// vertices, counter-clockwise seen from outside.

/// Appends the regular icosahedron inscribed in the unit sphere: 12 corners and 20 faces.
void appendIcosahedron(std::vector<k_Vector3>& vertices, std::vector<int>& faces);

/// One refinement pass: every triangle present at the start into four, the midpoints of
/// shared edges shared by exact equality and appended in the order first met.
void subdivideMesh(std::vector<k_Vector3>& vertices, std::vector<int>& faces);

/// The vertices of the icosahedron refined `subdivisions` times (10*4^n + 2 unit vectors),
/// in the order a k_Icosahedron of as many subdivisions holds them.
std::vector<k_Vector3> geodesicSphereVertices(int subdivisions);
