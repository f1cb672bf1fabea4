#pragma once

#include "math/Vector3.h"

// Orders points by their squared distance from a reference point, nearest first. Equal
// distances compare equal, so std::sort may leave them in any order.
class k_DistanceCompare {
public:
    explicit k_DistanceCompare(const k_Vector3& referenceValue) : reference(referenceValue) {}

    bool operator()(const k_Vector3& a, const k_Vector3& b) const {
        const k_Vector3 toA = reference - a;
        const k_Vector3 toB = reference - b;
        return dot(toA, toA) < dot(toB, toB);
    }

private:
    k_Vector3 reference;
};
