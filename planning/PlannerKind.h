#pragma once

#include "platform/EnumWords.h"

/// Which planner steers the camera: the built-in one, which heads for the target, or the
/// one that first of all keeps the target in sight.
enum class k_PlannerKind { standard, visibility };

/// The built-in planner is called "default" on command lines and in summaries.
constexpr k_EnumWord<k_PlannerKind> plannerKindWords[] = {
    {k_PlannerKind::standard, "default"}, {k_PlannerKind::visibility, "visibility"}};
constexpr const auto& enumWords(k_PlannerKind) {
    return plannerKindWords;
}
