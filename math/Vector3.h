#pragma once

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

    k_Vector3 operator+(const k_Vector3& other) const;
    k_Vector3 operator-(const k_Vector3& other) const;
    k_Vector3 operator*(float factor) const;

    /// Length with the sum of squares rounded to float, then its square root rounded to float.
    float length() const;

    /// Sets this vector to a x b. This vector must not be one of the arguments.
    void cross(const k_Vector3& a, const k_Vector3& b);

    /// Scales to unit length by the float reciprocal; a zero (or NaN) length leaves it as is.
    k_Vector3& normalize();

    /// True exactly when the distance to `other` is strictly less than `distance`.
    bool isWithinDistance(const k_Vector3& other, float distance) const;
};

/// a.x*b.x + a.y*b.y + a.z*b.z, rounded once to float.
float dot(const k_Vector3& a, const k_Vector3& b);

/// Component-wise ==, no tolerance: for points that are copied rather than computed (a
/// search's own start, a vertex met again), where only the very same value may count.
inline bool exactlyEqual(const k_Vector3& a, const k_Vector3& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}
