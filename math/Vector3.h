#pragma once

#include <cmath>

// Three single-precision components; y is up, the default view looks down -z.
// Every operation rounds its results to float before they are used further, so the same
// inputs give the same bits on every machine (the build disables fused multiply-add).
class k_Vector3 {
public:
    float x;
    float y;
    float z;

    k_Vector3() : x(0.0f), y(0.0f), z(0.0f) {}
    k_Vector3(float xValue, float yValue, float zValue) : x(xValue), y(yValue), z(zValue) {}

    // The small operations are defined here so that the planners' inner loops, which run
    // them millions of times a second, need no calls; the arithmetic is the same wherever
    // they are compiled.
    k_Vector3 operator+(const k_Vector3& other) const {
        return k_Vector3(x + other.x, y + other.y, z + other.z);
    }
    k_Vector3 operator-(const k_Vector3& other) const {
        return k_Vector3(x - other.x, y - other.y, z - other.z);
    }
    k_Vector3 operator*(float factor) const {
        return k_Vector3(x * factor, y * factor, z * factor);
    }

    /// Length with the sum of squares rounded to float, then its square root rounded to float.
    float length() const {
        // Products of floats are exact in double; the sum is rounded once, as is the root.
        const double xx = static_cast<double>(x) * x;
        const double yy = static_cast<double>(y) * y;
        const double zz = static_cast<double>(z) * z;
        const float squared = static_cast<float>((xx + yy) + zz);
        return static_cast<float>(std::sqrt(static_cast<double>(squared)));
    }

    /// Sets this vector to a x b. This vector must not be one of the arguments.
    void cross(const k_Vector3& a, const k_Vector3& b);

    /// Scales to unit length by the float reciprocal; a zero (or NaN) length leaves it as is.
    k_Vector3& normalize() {
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

    /// True exactly when the distance to `other` is strictly less than `distance`.
    bool isWithinDistance(const k_Vector3& other, float distance) const;
};

/// a.x*b.x + a.y*b.y + a.z*b.z, rounded once to float.
inline float dot(const k_Vector3& a, const k_Vector3& b) {
    const double sum = static_cast<double>(a.x) * b.x + static_cast<double>(a.y) * b.y +
                       static_cast<double>(a.z) * b.z;
    return static_cast<float>(sum);
}

/// Component-wise ==, no tolerance: for points that are copied rather than computed (a
/// search's own start, a vertex met again), where only the very same value may count.
inline bool exactlyEqual(const k_Vector3& a, const k_Vector3& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}
