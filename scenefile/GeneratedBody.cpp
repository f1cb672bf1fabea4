#include "scenefile/GeneratedBody.h"

#include "scenefile/RandomDraw.h"

namespace {

float drawFrom(const k_RangeDescription& range) {
    return range.drawn ? drawQuantity(range.low, range.high - range.low)
                       : static_cast<float>(range.low);
}

// Separate statements in the scenes' order of draws: z, then y, then x.
k_Vector3 drawFrom(const k_VectorRangeDescription& range) {
    const float z = drawFrom(range.z);
    const float y = drawFrom(range.y);
    const float x = drawFrom(range.x);
    return k_Vector3(x, y, z);
}

} // namespace

k_BodyDescription drawGeneratedBody(const k_GeneratorDescription& generator) {
    k_BodyDescription body;
    body.slices = generator.slices;
    body.stacks = generator.stacks;
    body.interest = generator.interest;
    if (generator.hasRadius) {
        body.hasRadius = true;
        body.radius = drawFrom(generator.radius);
    }
    body.position = drawFrom(generator.position);
    body.animations.reserve(static_cast<std::size_t>(generator.hasRotate) +
                            static_cast<std::size_t>(generator.hasMove) +
                            static_cast<std::size_t>(generator.swings));
    if (generator.hasRotate) {
        k_AnimationDescription rotate;
        rotate.kind = k_AnimationDescription::Kind::rotate;
        rotate.rate = drawFrom(generator.rotate);
        body.animations.push_back(rotate);
    }
    if (generator.hasMove) {
        k_AnimationDescription move;
        move.kind = k_AnimationDescription::Kind::move;
        move.rate = drawFrom(generator.move);
        body.animations.push_back(move);
    }
    for (int i = 0; i < generator.swings; ++i) {
        k_AnimationDescription swing;
        swing.kind = k_AnimationDescription::Kind::swing;
        // Drawn as a float, the way Scene 4 stores a swing's period, then widened.
        swing.period = drawFrom(generator.period);
        swing.amplitude = drawFrom(generator.amplitude);
        swing.bounce = generator.bounce;
        body.animations.push_back(swing);
    }
    return body;
}
