#pragma once

#include <string>

class k_Scene;
struct k_SceneDescription;

/// Exit status of the demo when its planner fails, as of the simulator.
constexpr int demoPlannerFailedExitCode = 3;

/// Gives `scene` a planner that is the program of `command` (through /bin/sh -c), told the
/// world loaded at each load: the scene file's `fileWorld` (not owned; may be null) while
/// the world named `fileName` is shown, otherwise the built-in scene the menu loaded.
void useCommandPlanner(k_Scene& scene, const std::string& command, double timeoutSeconds,
                       const k_SceneDescription* fileWorld, const std::string& fileName);

/// The scene's world as a scene file describes it, as JSON text: the file's while its name
/// is the scene's, else built-in scene N of a name "Scene N"; "{}" for anything else. Draws
/// nothing from the shared random generator, whatever the description needs.
std::string describeShownWorld(const k_Scene& scene, const k_SceneDescription* fileWorld,
                               const std::string& fileName);
