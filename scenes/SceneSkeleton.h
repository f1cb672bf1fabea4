#pragma once

#include "math/Vector3.h"

// What distinguishes one scene's frame from another's: the camera, the sky and the light.
// Everything else of the frame (textures, shader, light colours) is the same in every scene.
struct k_SceneSkeleton {
    double acceleration;
    double lookAcceleration;
    double maxSpeed;
    double stopDistance;
    k_Vector3 position;
    /// When false the camera keeps its own default up direction.
    bool hasUp;
    k_Vector3 up;
    k_Vector3 lookAt;
    const char* skyImage;
    float skyRadius;
    /// Light 0's position with w = 0: the direction of a directional light, in world axes.
    k_Vector3 lightPosition;
};
