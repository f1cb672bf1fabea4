#pragma once

#include <memory>
#include <string>

struct k_SceneDescription;

// Which world a run builds: a built-in scene (with Scene 4's swarm size, 0 keeping the scene's
// own obstacles) or a scene file already read and checked. Made once from the command line and
// handed whole to everything that loads or names the world, so that none of them can mix the
// parts of two choices. Cheap to copy: a file's description is shared, never changed.
class k_WorldChoice {
public:
    /// Scene 0, for worlds a test builds by hand: loads nothing.
    k_WorldChoice() = default;

    /// Built-in scene `number`; with `swarm` above 0, Scene 4 gets that many obstacles.
    static k_WorldChoice builtInScene(int number, long swarm = 0);
    /// A scene file's world, named by `path` on screen, in the summary and in the plot.
    static k_WorldChoice sceneFile(const std::string& path, k_SceneDescription description);
    /// Reads and checks `path` in full before anything of it is built. False with `error` set
    /// (one line naming the file and the place) when the file is refused; `choice` is then
    /// left as it was.
    static bool readSceneFile(const std::string& path, k_WorldChoice& choice, std::string& error);

    bool isSceneFile() const { return description != nullptr; }
    /// The built-in scene's number; 0 for a scene file.
    int getScene() const { return scene; }
    /// Scene 4's swarm size; 0 when the scene is left as it is, and for a scene file.
    long getSwarm() const { return swarm; }
    /// The scene file's path; empty for a built-in scene.
    const std::string& getSceneFile() const { return path; }
    /// A scene file's description; only valid when isSceneFile().
    const k_SceneDescription& getDescription() const { return *description; }

    /// The world as a scene file describes it: the file's own description, or the built-in
    /// scene's (which reproduces its run exactly).
    k_SceneDescription describe() const;

private:
    int scene = 0;
    long swarm = 0;
    std::string path;
    std::shared_ptr<const k_SceneDescription> description;
};
