#pragma once

#include "scenes/SceneHost.h"

class k_MainSceneNode;
class k_Scene;

// The one application object: owns the scene host (root, scene controller, plan overlay),
// opens the window and builds the context menu. GLUT reaches it through getApplication().
class k_GlutApplication {
public:
    /// Makes the scene host first (its root configures the shared quadric), then the window
    /// with its GL state, callbacks and menu; starts the frame clock. GLUT must be initialised.
    k_GlutApplication(int width, int height, const char* title);
    /// Deletes the scene host (overlay, tree, controller) while the window's context lives.
    virtual ~k_GlutApplication();

    /// Draws the plan over every frame from now on; a second call does nothing.
    void showPlan() { host.showPlan(); }

    /// Enters the GLUT main loop; in normal operation it does not return.
    void run();

    /// Called on every reshape of the window.
    void setSize(int newWidth, int newHeight);

    int getWidth() const { return width; }
    int getHeight() const { return height; }
    k_SceneHost& getHost() { return host; }
    k_MainSceneNode* getRoot() const { return host.getRoot(); }
    k_Scene* getScene() const { return host.getScene(); }

    k_GlutApplication(const k_GlutApplication&) = delete;
    k_GlutApplication& operator=(const k_GlutApplication&) = delete;

private:
    k_SceneHost host;
    int width;
    int height;
};

/// The GL state the demo sets once, right after its context is made: black clear colour,
/// depth test, normal rescaling. Lighting, materials, textures and shaders are per node.
void setInitialGlState();

/// Initialises GLUT with the command line (unless it already is), creates the application
/// and prints the start-up banner.
void initApplication(int* argc, char** argv, int width, int height, const char* title);

/// The application object, or null before initApplication and after destroyApplication.
k_GlutApplication* getApplication();

/// Exit handler: deletes the application once; later calls do nothing.
void destroyApplication();
