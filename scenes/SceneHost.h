#pragma once

class k_MainSceneNode;
class k_PlanOverlay;
class k_Scene;

// Everything a program needs to show the built-in scenes in a GL context it has made: the
// root of the scene graph, the scene controller and, on request, the plan overlay. The demo,
// the simulator and the GL tests all hold one, so that scenes are built, drawn and torn down
// in the same order everywhere.
class k_SceneHost {
public:
    /// Scene numbers run from 1 to sceneCount, as in the demo's menu.
    static constexpr int sceneCount = 4;
    static bool isSceneNumber(int number) { return number >= 1 && number <= sceneCount; }

    /// Makes the root first (it configures the shared quadric, which every sphere's display
    /// list is compiled with), then the controller. Needs no GL context yet.
    k_SceneHost();
    /// Deletes the overlay and stops watching the plan (which turns off the provider's
    /// recording), then the root and with it the whole tree, then the controller, whose
    /// planner and provider point into the tree. The GL context must still be current.
    ~k_SceneHost();

    /// Builds built-in scene `number` (1 to sceneCount) into the root as the menu does;
    /// false, with nothing changed, for any other number.
    bool loadScene(int number);

    /// Draws the plan over every frame from now on; a second call does nothing.
    void showPlan();
    bool isShowingPlan() const { return planOverlay != nullptr; }

    /// How a frame ends: shown (the buffers swapped, as in the demo's window), or left in the
    /// back buffer to be read back (a picture, a test).
    enum class FrameEnd { swap, keepInBackBuffer };
    /// One whole frame: clears, draws the tree and the plan if shown, ends as asked.
    void drawFrame(FrameEnd end);

    k_MainSceneNode* getRoot() const { return root; }
    k_Scene* getScene() const { return scene; }

    k_SceneHost(const k_SceneHost&) = delete;
    k_SceneHost& operator=(const k_SceneHost&) = delete;

private:
    k_MainSceneNode* root;
    k_Scene* scene;
    /// Null unless the plan is shown.
    k_PlanOverlay* planOverlay;
};
