#pragma once

#include <array>
#include <vector>

#include "math/Vector3.h"
#include "planning/BoundingSphere.h"

class k_Artifact;

// How much of the target the camera sees, judged on its true sphere rather than on the
// enlarged spheres the search plans with: 64 points spread evenly over the sphere (a golden-angle
// spiral); of those facing the eye, the share whose line of sight to the eye passes strictly
// outside every other body. Computed in double so that the figure does not depend on the
// order the bodies are visited in.
class k_VisibleShare {
public:
    static constexpr int samplePoints = 64;

    /// Point k of the samples, on the sphere about `sphere.center`.
    static k_Vector3 samplePoint(const k_BoundingSphere& sphere, int k);
    /// The unit direction of sample k from the sphere's centre, in the double precision the
    /// share is worked out in.
    static std::array<double, 3> sampleDirection(int k);

    /// The share in [0, 1] of the facing sample points seen from `eye` past `others`; a segment
    /// whose squared distance from a body's centre is below its squared radius is blocked. 0 when
    /// no point faces the eye (an eye at the target's centre).
    static double of(const k_Vector3& eye, const k_BoundingSphere& target,
                     const std::vector<k_BoundingSphere>& others);

    /// The same for a body of artifactRegistry, every other registered body counting as an
    /// obstacle; 0 for a null target.
    static double ofRegisteredBody(const k_Vector3& eye, const k_Artifact* target);
};
