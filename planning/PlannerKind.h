#pragma once

#include <vector>

#include "platform/EnumWords.h"

/// Which built-in planner steers the camera: an index into the planner registry, in its order
/// (see PlannerRegistry.cpp). The two named here are the ones code asks for by name: the
/// built-in one, which heads for the target, and the one that first of all keeps the target
/// in sight; a planner added to the registry needs no name here.
enum class k_PlannerKind : int { standard = 0, visibility = 1 };

/// The registry's names, in its order ("default" first), for options, summaries and help.
const std::vector<k_EnumWord<k_PlannerKind>>& enumWords(k_PlannerKind);
