#pragma once

#include "scenefile/SceneDescription.h"

/// Built-in scene `number` (1-4) as a scene file describes it, with `swarm` obstacles in
/// Scene 4. Values the built-in scene draws without reseeding are those of the scene loaded
/// first after start-up: the generator is reseeded to its start-up state first, and is left
/// where loading the built-in scene would leave it. The file it makes reproduces the built-in
/// scene's run exactly.
k_SceneDescription describeBuiltInScene(int number, long swarm);
