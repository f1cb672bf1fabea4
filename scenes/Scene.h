#pragma once

#include <memory>
#include <string>

#include "plandrawing/TopViewFrame.h"
#include "planning/PlanSnapshot.h"
#include "planning/PlannerKind.h"

class k_AnimationManager;
class k_Artifact;
class k_Camera;
class k_InformationProvider;
class k_MainSceneNode;
class k_MotionPlanner;
class k_SceneNode;
class k_Sphere;
struct k_SceneDescription;
struct k_SceneSkeleton;

// The scene controller: owns the planner, the information provider and the animation
// manager, builds the four built-in scenes into the root on request, and advances the
// current scene once per frame.
class k_Scene {
public:
    /// Creates the provider, the planner (without a camera) and the animation manager; no scene.
    explicit k_Scene(k_MainSceneNode* root);
    /// Deletes the provider, the planner and the animation manager; no scene node.
    virtual ~k_Scene();

    /// One frame: animations, planning step, sky dome to the camera, height-driven interest.
    virtual void update(double dt);
    virtual void loadScene1();
    virtual void loadScene2();
    virtual void loadScene3();
    virtual void loadScene4();
    /// Scene 4 with `obstacleCount` obstacles instead of its 100, drawn one after another
    /// from the same reseeded generator, so the first 100 are Scene 4's own. For measuring
    /// how planning scales; the menu never calls it.
    void loadSwarmScene(int obstacleCount);
    /// Builds a world read from a scene file, replacing the current scene like the menu's
    /// loads. The description has been checked in full, so nothing here can fail halfway.
    /// `name` is what getSceneName() then says, e.g. the file's name.
    void loadDescription(const k_SceneDescription& description, const std::string& name);
    /// The swarm size of Scene 4 as the menu loads it.
    static constexpr int swarmSize = 100;

    /// Replaces the planner by one of `kind` (the built-in one until then), steering the
    /// current camera if there is one. Waits for a running planning step first.
    void setPlannerKind(k_PlannerKind kind);
    k_PlannerKind getPlannerKind() const { return plannerKind; }
    /// Replaces the planner by `replacement` (owned from now on; built with this controller's
    /// provider and root), e.g. one that plays a recorded path; otherwise as setPlannerKind.
    void setPlanner(std::unique_ptr<k_MotionPlanner> replacement);

    /// Has the planner, this one and any that replaces it, fill the plan snapshot after
    /// every step until as many unwatchPlan() calls; returns the snapshot, which lives as
    /// long as the controller. Whenever the planner has filled it (a step, a load, a new
    /// planner) the controller adds the scene's name, the planner's kind, the scene time and
    /// where the top view looks.
    const k_PlanSnapshot& watchPlan();
    void unwatchPlan();
    const k_PlanSnapshot& getPlanSnapshot() const { return planSnapshot; }

    k_Camera* getCamera() const { return camera; }
    k_Sphere* getSkyNode() const { return skyNode; }
    k_Artifact* getHeightArtifact() const { return heightArtifact; }
    k_MotionPlanner* getPlanner() const { return planner; }
    k_InformationProvider* getInformationProvider() const { return informationProvider; }
    k_AnimationManager* getAnimationManager() const { return animationManager; }

    /// What is loaded, in words for the screen ("Scene 2"); empty before the first load.
    const std::string& getSceneName() const { return sceneName; }
    /// Seconds of scene time since the current scene was loaded: the sum of the updates' dt.
    double getSceneTime() const { return sceneTime; }

    k_Scene(const k_Scene&) = delete;
    k_Scene& operator=(const k_Scene&) = delete;

private:
    /// Load steps shared by every scene, up to the colour map: waits for the planner, tears
    /// the old scene down, then builds camera, sky, light with shader and both maps. Returns
    /// the colour map, below which the scene adds its bodies.
    k_SceneNode* beginLoad(const k_SceneSkeleton& skeleton);
    /// The last load step: the planner steers the new camera from the next frame on.
    void finishLoad();
    /// After a planning step, or after any other fill of the snapshot (a load, a new planner
    /// or watcher).
    enum class PlanFill { step, other };
    /// What the planner cannot know, added to the snapshot it has just filled, if watched.
    void completePlan(PlanFill fill);

    k_MotionPlanner* planner;
    std::string sceneName;
    double sceneTime = 0.0;
    k_PlannerKind plannerKind;
    k_Artifact* heightArtifact;
    k_Camera* camera;
    k_Sphere* skyNode;
    k_MainSceneNode* root;
    k_InformationProvider* informationProvider;
    k_AnimationManager* animationManager;
    k_PlanSnapshot planSnapshot;
    /// Where the snapshot's top view looks; kept from step to step so that it moves steadily,
    /// and started afresh with every scene.
    k_TopViewFrame topViewFrame;
    int planWatchers;
};
