// A world from a scene file's description: the same load steps as the built-in scenes, with
// the file's values, bodies and animations in the file's order.
#include "animation/AnimationManager.h"
#include "platform/Random.h"
#include "scenefile/GeneratedBody.h"
#include "scenefile/SceneDescription.h"
#include "scenegraph/GenericSceneNode.h"
#include "scenegraph/Sphere.h"
#include "scenes/Scene.h"
#include "scenes/SceneSkeleton.h"

namespace {

void applyMaterial(const k_SceneDescription& scene, int index, k_GenericSceneNode& node) {
    if (index < 0) {
        return;
    }
    const k_MaterialDescription& m = scene.materials[static_cast<std::size_t>(index)];
    node.setMaterial(m.ambient, m.diffuse, m.specular, m.shininess);
}

} // namespace

void k_Scene::loadDescription(const k_SceneDescription& description, const std::string& name) {
    const k_SceneSkeleton skeleton{
        description.acceleration, description.lookAcceleration, description.maxSpeed,
        description.stopDistance, description.position,         description.hasUp,
        description.up,           description.lookAt,           description.skyImage.c_str(),
        description.skyRadius,    description.lightDirection};
    k_SceneNode* colourMap = beginLoad(skeleton);

    auto addBody = [&](const k_BodyDescription& body, k_SceneNode* parent) {
        k_Sphere* sphere = new k_Sphere(body.slices, body.stacks);
        // Before addChild, which registers the body by the interest it has at that moment.
        sphere->setInterest(body.interest);
        applyMaterial(description, body.material, *sphere);
        if (body.hasRadius) {
            sphere->setRadius(body.radius);
        }
        sphere->setTranslation(body.position);
        if (body.hasRotation) {
            sphere->setRotation(body.rotation);
        }
        if (body.interestFromHeight) {
            heightArtifact = sphere;
        }
        parent->addChild(sphere);
        for (const k_AnimationDescription& animation : body.animations) {
            switch (animation.kind) {
            case k_AnimationDescription::Kind::rotate:
                animationManager->addRotationAnimation(animation.rate, sphere);
                break;
            case k_AnimationDescription::Kind::move:
                animationManager->addMoveAnimation(animation.rate, sphere);
                break;
            case k_AnimationDescription::Kind::swing:
                animationManager->addSnakeMoveAnimation(animation.rate, animation.amplitude,
                                                        animation.period, sphere, animation.bounce);
                break;
            }
        }
    };

    for (const k_BodyDescription& body : description.bodies) {
        addBody(body, colourMap);
    }
    for (const k_GroupDescription& group : description.groups) {
        k_GenericSceneNode* node = new k_GenericSceneNode();
        applyMaterial(description, group.material, *node);
        colourMap->addChild(node);
        for (const k_BodyDescription& body : group.bodies) {
            addBody(body, node);
        }
        if (!group.hasGenerator) {
            continue;
        }
        // Drawn one body at a time, each added before the next is drawn, as Scene 4 does.
        if (group.generator.hasSeed) {
            randomSeed(group.generator.seed);
        }
        for (long i = 0; i < group.generator.count; ++i) {
            addBody(drawGeneratedBody(group.generator), node);
        }
    }
    if (description.hasGeneratorAfterLoad) {
        randomSeed(description.generatorSeed);
        for (std::uint64_t i = 0; i < description.generatorDraws; ++i) {
            randomNext();
        }
    }

    sceneName = name;
    finishLoad();
}
