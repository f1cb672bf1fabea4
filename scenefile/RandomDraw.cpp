#include "scenefile/RandomDraw.h"

#include "platform/Random.h"

double drawUnit() {
    return randomNext() / static_cast<double>(randomMax);
}

float drawQuantity(double base, double span) {
    return static_cast<float>(base + span * drawUnit());
}

k_Vector3 drawVector(double base, double span) {
    // Separate statements: the order of evaluation of function arguments is unspecified.
    const float z = drawQuantity(base, span);
    const float y = drawQuantity(base, span);
    const float x = drawQuantity(base, span);
    return k_Vector3(x, y, z);
}
