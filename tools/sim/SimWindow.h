#pragma once

#include <cstdint>
#include <string>
#include <vector>

class k_GlutApplication;
class k_MainSceneNode;
class k_Scene;

// The demo's window and application without its main loop: the same root node, 800x600
// window, GL state, scene controller and projection, so that a scene loads exactly as from
// the menu. The window stays on the X server with its events unread; nothing is drawn
// unless a picture is asked for.
class k_SimWindow {
public:
    static constexpr int width = 800;
    static constexpr int height = 600;

    /// Initialises GLUT (once per process) and builds the application. Needs an X display.
    k_SimWindow();
    /// Deletes the application (the whole scene graph, then the controller) and the window.
    ~k_SimWindow();

    /// One clear line when no X display is named; GLUT itself ends the process when a named
    /// display cannot be opened.
    static bool hasDisplay(std::string& error);

    k_Scene* getScene() const;
    k_MainSceneNode* getRoot() const;

    /// Loads scene 1-4 with the generator in the state of a freshly started program; with
    /// `swarm` above 0, scene 4 gets that many obstacles instead of its own 100.
    void loadScene(int scene, long swarm = 0);

    /// Draws the plan over every captured picture from now on; call it before loading a
    /// scene, so that the first step already records the bodies that block its way.
    void showPlan();

    /// Draws the tree (and the plan, when shown) into the back buffer and reads it back before the
    /// swap (a read of the front buffer after the swap is black under Xvfb). Bottom row first, RGB.
    void capture(std::vector<std::uint8_t>& rgb);

    k_SimWindow(const k_SimWindow&) = delete;
    k_SimWindow& operator=(const k_SimWindow&) = delete;

private:
    k_GlutApplication* application;
    int window;
};
