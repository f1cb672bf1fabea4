#include "animation/SnakeMoveAnimation.h"

#include <algorithm>
#include <cmath>

#include "math/Constants.h"
#include "scenegraph/GenericSceneNode.h"

namespace {}

k_SnakeMoveAnimation::k_SnakeMoveAnimation(const k_Vector3& velocityValue,
                                           const k_Vector3& amplitudeValue, double periodValue,
                                           k_GenericSceneNode* targetNode, bool absoluteSineValue)
    : k_Animation(targetNode), absoluteSine(absoluteSineValue), time(0.0), period(periodValue),
      velocity(velocityValue), amplitude(amplitudeValue), swingNow(swing(0.0)) {}

double k_SnakeMoveAnimation::swing(double atTime) const {
    const double s = std::sin(atTime * pi / period);
    return absoluteSine ? std::fabs(s) : s;
}

void k_SnakeMoveAnimation::animate(double dt) {
    const double s0 = swingNow;
    time = time + dt;
    const double s1 = swing(time);
    swingNow = s1;

    target->setTranslation(target->getTranslation() + velocity * static_cast<float>(dt));

    // Only the change of the offset is applied, so the swing telescopes over the frames.
    // A zero, tiny or non-finite period makes the sine undefined: no swing rather than NaN.
    float change = static_cast<float>(s1 - s0);
    if (!std::isfinite(change)) {
        change = 0.0f;
    }
    target->setTranslation(target->getTranslation() + amplitude * change);
}

k_Vector3 k_SnakeMoveAnimation::translationChangeOver(double seconds) const {
    if (!enabled) {
        return k_Vector3(0.0f, 0.0f, 0.0f);
    }
    float change = static_cast<float>(swing(time + seconds) - swingNow);
    if (!std::isfinite(change)) {
        change = 0.0f; // the same guard as a frame's step
    }
    return velocity * static_cast<float>(seconds) + amplitude * change;
}

double k_SnakeMoveAnimation::translationChangeBound(double seconds) const {
    const double span = std::fabs(seconds);
    // The sine changes by at most pi / period per second of running, and never by more than
    // its range: 2, or 1 for the bouncing swing. A period that gives no swing moves nothing.
    double swingChange = absoluteSine ? 1.0 : 2.0;
    const double rate = pi / std::fabs(period);
    if (std::isfinite(rate)) {
        swingChange = std::min(swingChange, rate * span);
    } else {
        swingChange = 0.0;
    }
    return static_cast<double>(velocity.length()) * span +
           static_cast<double>(amplitude.length()) * swingChange;
}
