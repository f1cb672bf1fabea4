#include "math/Vector3.h"

#include <cmath>

void k_Vector3::cross(const k_Vector3& a, const k_Vector3& b) {
    // Written component by component in x, y, z order; each from two exact products.
    x = static_cast<float>(static_cast<double>(a.y) * b.z - static_cast<double>(a.z) * b.y);
    y = static_cast<float>(static_cast<double>(a.z) * b.x - static_cast<double>(a.x) * b.z);
    z = static_cast<float>(static_cast<double>(a.x) * b.y - static_cast<double>(a.y) * b.x);
}

bool k_Vector3::isWithinDistance(const k_Vector3& other, float distance) const {
    const k_Vector3 offset = other - *this;
    return distance > offset.length();
}
