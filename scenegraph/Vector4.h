#pragma once

// Four floats handed to OpenGL as an array in x, y, z, w order: a colour (r, g, b, a) or a
// homogeneous light position (w = 0 for a direction).
class k_Vector4 {
public:
    float x;
    float y;
    float z;
    float w;

    k_Vector4() : x(0.0f), y(0.0f), z(0.0f), w(0.0f) {}
    k_Vector4(float xValue, float yValue, float zValue, float wValue)
        : x(xValue), y(yValue), z(zValue), w(wValue) {}

    const float* data() const { return &x; }
};
