// Scene 1: a tumbling ball drifts along +z while a column of a hundred small spinning
// obstacles streams toward it along -z and through its path.
#include "animation/AnimationManager.h"
#include "platform/Random.h"
#include "scenegraph/GenericSceneNode.h"
#include "scenegraph/Sphere.h"
#include "scenes/MaterialPreset.h"
#include "scenes/RandomDraw.h"
#include "scenes/Scene.h"
#include "scenes/SceneSkeleton.h"

void k_Scene::loadScene1() {
    const k_SceneSkeleton skeleton{75.0,
                                   5.0,
                                   300.0,
                                   15.0,
                                   k_Vector3(50.0f, 0.0f, -75.0f),
                                   true,
                                   k_Vector3(0.0f, 1.0f, 0.0f),
                                   k_Vector3(0.0f, 10.0f, 0.0f),
                                   "skydome.jpg",
                                   500.0f,
                                   k_Vector3(0.0f, 0.0f, -1.0f)};
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

    finishLoad();
}
