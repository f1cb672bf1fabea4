#pragma once

/// Which way a planning search ran between the eye and the place the camera heads for.
/// A search from the goal back to the eye lists its intermediate goals from the eye's side,
/// so the two are read in opposite orders.
enum class k_SearchDirection { fromEye, fromGoal };
