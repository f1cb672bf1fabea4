#pragma once

#include "planning/CameraProbe.h"

// A camera that can take on another camera's whole state: the benchmarks plan from a copy
// of the scene's camera, put back before every step, so that each step starts from the
// same moment and the scene's own camera never moves.
class k_ReplayCamera : public k_CameraProbe {
public:
    explicit k_ReplayCamera(const k_Camera& source) { restore(source); }

    /// Copies every field of the motion state; up is copied as stored, not renormalised.
    void restore(const k_Camera& source) { copyMotion(source); }
};
