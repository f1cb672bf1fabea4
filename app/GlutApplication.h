#pragma once

class k_MainSceneNode;
class k_PlanOverlay;
class k_Scene;

// The one application object: owns the root of the scene graph and the scene controller,
// opens the window and builds the context menu. GLUT reaches it through getApplication().
class k_GlutApplication {
public:
    /// Makes the root node first (it configures the shared quadric), then the window with
    /// its GL state, callbacks and menu, then the scene controller; starts the frame clock.
    /// GLUT must be initialised.
    k_GlutApplication(int width, int height, const char* title);
    /// Deletes the plan overlay, the root (and with it the whole scene graph), then the scene
    /// controller.
    virtual ~k_GlutApplication();

    /// Draws the plan over every frame from now on (k_PlanOverlay); a second call does nothing.
    void showPlan();

    /// Enters the GLUT main loop; in normal operation it does not return.
    void run();

    /// Called on every reshape of the window.
    void setSize(int newWidth, int newHeight);

    int getWidth() const { return width; }
    int getHeight() const { return height; }
    k_MainSceneNode* getRoot() const { return root; }
    k_Scene* getScene() const { return scene; }

    k_GlutApplication(const k_GlutApplication&) = delete;
    k_GlutApplication& operator=(const k_GlutApplication&) = delete;

private:
    int width;
    int height;
    k_MainSceneNode* root;
    k_Scene* scene;
    /// Null unless the plan is shown.
    k_PlanOverlay* planOverlay;
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
