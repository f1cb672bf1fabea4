#pragma once

#include "scenefile/SceneDescription.h"

/// The next body of a generated group, drawn from the process-wide generator in the group's
/// fixed order: radius, position, rotate, move, then each swing's period and amplitude;
/// within a vector z, y, x; a fixed value draws nothing. With Scene 4's ranges this is how
/// Scene 4 draws each body of its swarm.
k_BodyDescription drawGeneratedBody(const k_GeneratorDescription& generator);
