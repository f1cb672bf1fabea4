// Scene 4: the camera comes from far away to a ball that wanders on three sine swings inside
// a swarm of a hundred spinning, wandering obstacles of random size. The swarm's size is a
// parameter only so that the planner's scaling can be measured on the same recipe.
#include "animation/AnimationManager.h"
#include "platform/Random.h"
#include "scenefile/MaterialPreset.h"
#include "scenefile/RandomDraw.h"
#include "scenegraph/GenericSceneNode.h"
#include "scenegraph/Sphere.h"
#include "scenes/Scene.h"
#include "scenes/SceneSkeleton.h"

namespace {

const k_MaterialPreset swarmBallMaterial{k_Vector4(0.4f, 0.7f, 0.2f, 1.0f),
                                         k_Vector4(0.2f, 0.4f, 0.7f, 1.0f),
                                         k_Vector4(0.7f, 0.4f, 0.2f, 1.0f), 5.0f};

const k_MaterialPreset swarmObstacleMaterial{k_Vector4(0.6f, 0.3f, 0.0f, 1.0f),
                                             k_Vector4(0.9f, 0.4f, 0.1f, 1.0f),
                                             k_Vector4(0.5f, 0.4f, 0.2f, 1.0f), 1.0f};

const k_Vector3 still(0.0f, 0.0f, 0.0f);

} // namespace

void k_Scene::loadScene4() {
    loadSwarmScene(swarmSize);
}

void k_Scene::loadSwarmScene(int obstacleCount) {
    const k_SceneSkeleton skeleton{75.0,                             // acceleration
                                   5.0,                              // look acceleration
                                   125.0,                            // maximum speed
                                   10.0,                             // stop distance
                                   k_Vector3(0.0f, -50.0f, -620.0f), // camera position
                                   true,                             // sets an up vector
                                   k_Vector3(0.0f, 1.0f, 0.0f),      // up vector
                                   k_Vector3(0.0f, 0.0f, 0.0f),      // look-at point
                                   "skydome1.jpg",                   // sky image
                                   850.0f,                           // sky radius
                                   k_Vector3(0.0f, 0.0f, -1.0f)};    // light position, w = 0
    k_SceneNode* colourMap = beginLoad(skeleton);

    k_Sphere* ball = new k_Sphere(24, 24);
    ball->setInterest(100);
    swarmBallMaterial.applyTo(*ball);
    ball->setTranslation(k_Vector3(0.0f, 0.0f, 0.0f));
    animationManager->addRotationAnimation(drawVector(-30.0, 60.0), ball);
    // Three swings of different periods: the pattern repeats every 40 s.
    animationManager->addSnakeMoveAnimation(still, k_Vector3(20.0f, 0.0f, 0.0f), 10.0, ball, false);
    animationManager->addSnakeMoveAnimation(still, k_Vector3(0.0f, 0.0f, 20.0f), 20.0, ball, false);
    animationManager->addSnakeMoveAnimation(still, k_Vector3(0.0f, 5.0f, 0.0f), 5.0, ball, false);
    colourMap->addChild(ball);

    k_GenericSceneNode* group = new k_GenericSceneNode();
    swarmObstacleMaterial.applyTo(*group);
    colourMap->addChild(group);

    // Reseeded after the ball's spin: the swarm is the same on every load. Each obstacle
    // takes 20 draws: radius, position, spin, then period and amplitude of three swings.
    randomSeed(2);
    for (int i = 0; i < obstacleCount; ++i) {
        k_Sphere* obstacle = new k_Sphere(4, 3);
        obstacle->setInterest(0);
        obstacle->setRadius(drawQuantity(1.0, 2.0));
        obstacle->setTranslation(drawVector(-15.0, 30.0));
        group->addChild(obstacle);
        animationManager->addRotationAnimation(drawVector(-130.0, 260.0), obstacle);
        for (int swing = 0; swing < 3; ++swing) {
            const float period = drawQuantity(12.0, 12.0);
            const k_Vector3 amplitude = drawVector(-20.0, 40.0);
            animationManager->addSnakeMoveAnimation(still, amplitude, period, obstacle, false);
        }
    }

    sceneName = obstacleCount == swarmSize
                    ? "Scene 4"
                    : "Scene 4, " + std::to_string(obstacleCount) + " bodies";
    finishLoad();
}
