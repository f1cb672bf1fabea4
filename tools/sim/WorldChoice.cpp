#include "tools/sim/WorldChoice.h"

#include <utility>

#include "scenefile/BuiltInSceneDescriptions.h"
#include "scenefile/SceneDescription.h"
#include "scenefile/SceneFileReader.h"

k_WorldChoice k_WorldChoice::builtInScene(int number, long swarm) {
    k_WorldChoice choice;
    choice.scene = number;
    choice.swarm = swarm;
    return choice;
}

k_WorldChoice k_WorldChoice::sceneFile(const std::string& path, k_SceneDescription description) {
    k_WorldChoice choice;
    choice.path = path;
    choice.description = std::make_shared<const k_SceneDescription>(std::move(description));
    return choice;
}

bool k_WorldChoice::readSceneFile(const std::string& path, k_WorldChoice& choice,
                                  std::string& error) {
    k_SceneDescription description;
    if (!k_SceneFileReader::read(path, description, error)) {
        return false;
    }
    choice = sceneFile(path, std::move(description));
    return true;
}

k_SceneDescription k_WorldChoice::describe() const {
    if (isSceneFile()) {
        return *description;
    }
    return describeBuiltInScene(scene, swarm);
}
