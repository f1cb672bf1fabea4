#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class k_GlutApplication;
class k_HeadlessGlContext;
class k_MainSceneNode;
class k_Scene;
class k_SceneHost;
class k_WorldChoice;

// The demo's scene setup without its main loop: the same root node, 800x600 GL state, scene
// controller and projection, so that a scene loads exactly as from the menu. Either in the
// demo's own window on an X display (its events unread), or headless in an off-screen EGL
// context with no X server at all. Nothing is drawn unless a picture is asked for.
class k_SimWindow {
public:
    static constexpr int width = 800;
    static constexpr int height = 600;

    /// True when DISPLAY names an X display; without one, only headless works.
    static bool hasDisplay();

    /// Builds the setup: headless, or in a GLUT window (GLUT initialised once per process;
    /// GLUT itself ends the process when the named display cannot be opened). Null, with
    /// one line saying why, when a headless context cannot be made.
    static std::unique_ptr<k_SimWindow> open(bool headless, std::string& error);
    /// Deletes the scene host (overlay, tree, controller), then the window or context.
    ~k_SimWindow();

    bool isHeadless() const { return headlessContext != nullptr; }
    k_SceneHost& getHost() const { return *host; }
    k_Scene* getScene() const;
    k_MainSceneNode* getRoot() const;

    /// Builds the chosen world (built-in scene 1-4 with its swarm, or a scene file's world
    /// named by its path on screen) with the generator in the state of a freshly started
    /// program, so that every load of one choice gives the same run.
    void load(const k_WorldChoice& world);

    /// Draws the plan over every captured picture from now on; call it before loading a
    /// scene, so that the first step already records the bodies that block its way.
    void showPlan();

    /// Draws the tree (and the plan, when shown) into the back buffer, with `stamp` in the
    /// top-right corner unless it is empty, and reads it back before any swap (a read of the
    /// front buffer after the swap is black under Xvfb). Bottom row first, RGB.
    void capture(std::vector<std::uint8_t>& rgb, const std::string& stamp = "");

    k_SimWindow(const k_SimWindow&) = delete;
    k_SimWindow& operator=(const k_SimWindow&) = delete;

private:
    k_SimWindow() = default;

    /// With a window: the demo's application, which owns the scene host.
    k_GlutApplication* application = nullptr;
    int window = 0;
    /// Headless: the context and the scene host owned here; the host is made first and
    /// deleted before the context, so that its nodes can free their GL objects.
    std::unique_ptr<k_HeadlessGlContext> headlessContext;
    std::unique_ptr<k_SceneHost> ownHost;
    /// The host in use, the application's or our own.
    k_SceneHost* host = nullptr;
};
