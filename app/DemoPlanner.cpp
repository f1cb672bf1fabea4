#include "app/DemoPlanner.h"

#include <memory>

#include "planning/CommandPlanner.h"
#include "platform/Random.h"
#include "scenefile/BuiltInSceneDescriptions.h"
#include "scenefile/SceneFileWriter.h"
#include "scenes/Scene.h"
#include "scenes/SceneHost.h"

std::string describeShownWorld(const k_Scene& scene, const k_SceneDescription* fileWorld,
                               const std::string& fileName) {
    const std::string& name = scene.getSceneName();
    if (fileWorld != nullptr && !fileName.empty() && name == fileName) {
        return k_SceneFileWriter::write(*fileWorld);
    }
    const std::string prefix = "Scene ";
    if (name.size() == prefix.size() + 1 && name.compare(0, prefix.size(), prefix) == 0) {
        const int number = name.back() - '0';
        if (k_SceneHost::isSceneNumber(number)) {
            // The description reseeds the generator; the scene shown goes on drawing from
            // where it was.
            const unsigned int state = randomCurrentState();
            const std::string text = k_SceneFileWriter::write(describeBuiltInScene(number, 0));
            randomSeed(state);
            return text;
        }
    }
    return "{}";
}

void useCommandPlanner(k_Scene& scene, const std::string& command, double timeoutSeconds,
                       const k_SceneDescription* fileWorld, const std::string& fileName) {
    k_Scene* shown = &scene;
    scene.setPlanner(std::make_unique<k_CommandPlanner>(
        scene.getInformationProvider(), nullptr, scene.getAnimationManager(), command,
        [shown, fileWorld, fileName] { return describeShownWorld(*shown, fileWorld, fileName); },
        timeoutSeconds));
}
