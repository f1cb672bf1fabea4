#pragma once

/// Which planner steers the camera: the built-in one, which heads for the target, or the
/// one that first of all keeps the target in sight.
enum class k_PlannerKind { standard, visibility };
