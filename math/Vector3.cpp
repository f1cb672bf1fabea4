#include "math/Vector3.h"

#include <cmath>

k_Vector3 k_Vector3::operator+(const k_Vector3& other) const {
    return k_Vector3(x + other.x, y + other.y, z + other.z);
}

k_Vector3 k_Vector3::operator-(const k_Vector3& other) const {
    return k_Vector3(x - other.x, y - other.y, z - other.z);
}

k_Vector3 k_Vector3::operator*(float factor) const {
    return k_Vector3(x * factor, y * factor, z * factor);
}

float k_Vector3::length() const {
    // Products of floats are exact in double; the sum is rounded once, as is the root.
    const double xx = static_cast<double>(x) * x;
    const double yy = static_cast<double>(y) * y;
    const double zz = static_cast<double>(z) * z;
    const float squared = static_cast<float>((xx + yy) + zz);
    return static_cast<float>(std::sqrt(static_cast<double>(squared)));
}

void k_Vector3::cross(const k_Vector3& a, const k_Vector3& b) {
    // Written component by component in x, y, z order; each from two exact products.
    x = static_cast<float>(static_cast<double>(a.y) * b.z - static_cast<double>(a.z) * b.y);
    y = static_cast<float>(static_cast<double>(a.z) * b.x - static_cast<double>(a.x) * b.z);
    z = static_cast<float>(static_cast<double>(a.x) * b.y - static_cast<double>(a.y) * b.x);
}

k_Vector3& k_Vector3::normalize() {
    const float len = length();
    if (len > 0.0f) {
        // One reciprocal and three multiplications, not three divisions.
        const float factor = static_cast<float>(1.0 / static_cast<double>(len));
        x *= factor;
        y *= factor;
        z *= factor;
    }
    return *this;
}

bool k_Vector3::isWithinDistance(const k_Vector3& other, float distance) const {
    const k_Vector3 offset = other - *this;
    return distance > offset.length();
}

float dot(const k_Vector3& a, const k_Vector3& b) {
    const double sum = static_cast<double>(a.x) * b.x + static_cast<double>(a.y) * b.y +
                       static_cast<double>(a.z) * b.z;
    return static_cast<float>(sum);
}
