// Scene 1: a tumbling ball drifts along +z while a column of a hundred small spinning
// obstacles streams toward it along -z and through its path.
#include "animation/AnimationManager.h"
#include "platform/Random.h"
#include "scenefile/MaterialPreset.h"
#include "scenefile/RandomDraw.h"
#include "scenegraph/GenericSceneNode.h"
#include "scenegraph/Sphere.h"
#include "scenes/Scene.h"
#include "scenes/SceneSkeleton.h"

void k_Scene::loadScene1() {
    const k_SceneSkeleton skeleton{75.0,                           // acceleration
                                   5.0,                            // look acceleration
                                   300.0,                          // maximum speed
                                   15.0,                           // stop distance
                                   k_Vector3(50.0f, 0.0f, -75.0f), // camera position
                                   true,                           // sets an up vector
                                   k_Vector3(0.0f, 1.0f, 0.0f),    // up vector
                                   k_Vector3(0.0f, 10.0f, 0.0f),   // look-at point
                                   "skydome.jpg",                  // sky image
                                   500.0f,                         // sky radius
                                   k_Vector3(0.0f, 0.0f, -1.0f)};  // light position, w = 0
    k_SceneNode* colourMap = beginLoad(skeleton);

    k_Sphere* ball = new k_Sphere(24, 24);
    ball->setInterest(100);
    bodyMaterial.applyTo(*ball);
    ball->setTranslation(k_Vector3(0.0f, 0.0f, -75.0f));
    animationManager->addRotationAnimation(drawVector(-30.0, 60.0), ball);
    animationManager->addMoveAnimation(k_Vector3(0.0f, 0.0f, 2.0f), ball);
    colourMap->addChild(ball);

    k_GenericSceneNode* group = new k_GenericSceneNode();
    obstacleMaterial.applyTo(*group);
    colourMap->addChild(group);

    // Reseeded after the ball's spin: the column is the same on every load, the ball's spin
    // depends on what was drawn before.
    randomSeed(1);
    for (int z = -20; z < 480; z += 5) {
        k_Sphere* obstacle = new k_Sphere(4, 3);
        obstacle->setInterest(0);
        const float y = drawQuantity(-1.5, 3.0);
        const float x = drawQuantity(-1.5, 3.0);
        obstacle->setTranslation(k_Vector3(x, y, static_cast<float>(z)));
        group->addChild(obstacle);
        animationManager->addRotationAnimation(drawVector(-130.0, 260.0), obstacle);
        animationManager->addMoveAnimation(k_Vector3(0.0f, 0.0f, -5.0f), obstacle);
    }

    sceneName = "Scene 1";
    finishLoad();
}
