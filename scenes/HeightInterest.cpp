#include "scenes/HeightInterest.h"

#include <cmath>

int interestFromHeight(float height) {
    const double value = (10.0 - height) * 10.0;
    // Clamped before the conversion, which is undefined for values beyond int; a height that
    // is not a number (a broken animation) makes the body uninteresting rather than a target.
    if (std::isnan(value) || value < 0.0) {
        return 0;
    }
    if (value > 100.0) {
        return 100;
    }
    return static_cast<int>(value);
}
