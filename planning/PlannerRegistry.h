#pragma once

#include <memory>
#include <string>
#include <vector>

#include "planning/PlannerKind.h"

class k_AnimationManager;
class k_Camera;
class k_InformationProvider;
class k_MainSceneNode;
class k_MotionPlanner;

/// What a built-in planner is made from: the scene controller's parts (none owned).
struct k_PlannerParts {
    k_InformationProvider* provider = nullptr;
    /// May be null: the planner is given its camera when a scene loads.
    k_Camera* camera = nullptr;
    k_MainSceneNode* root = nullptr;
    /// For forecasting the bodies; may be null (bodies then stay where they are).
    const k_AnimationManager* animations = nullptr;
};

// The built-in planners by name: what `--planner` accepts, what `--help` lists and what the
// scene controller builds. A new built-in planner is its class and one entry of the table in
// PlannerRegistry.cpp; its kind is its place in the table.
class k_PlannerRegistry {
public:
    using Factory = std::unique_ptr<k_MotionPlanner> (*)(const k_PlannerParts& parts);
    struct Entry {
        /// The word on command lines and in summaries.
        const char* name;
        /// What it does, for the help, in a few words without the name or line breaks.
        const char* help;
        Factory make;
    };

    /// Every entry, the default first.
    static const std::vector<Entry>& entries();
    /// A planner of `kind`; the default's for a kind beyond the table.
    static std::unique_ptr<k_MotionPlanner> make(k_PlannerKind kind, const k_PlannerParts& parts);
    /// The help of `--planner`: every name with its words, "a (...), b (...) or c (...)",
    /// broken into lines of at most 64 characters.
    static std::string helpText();
};
