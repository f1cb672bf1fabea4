// Scene 2: a ball travels along a wall of 420 small spinning spheres of random size and
// weaves through it from one side to the other.
#include "animation/AnimationManager.h"
#include "scenefile/MaterialPreset.h"
#include "scenefile/RandomDraw.h"
#include "scenegraph/GenericSceneNode.h"
#include "scenegraph/Sphere.h"
#include "scenes/Scene.h"
#include "scenes/SceneSkeleton.h"

void k_Scene::loadScene2() {
    const k_SceneSkeleton skeleton{15.0,                          // acceleration
                                   5.0,                           // look acceleration
                                   25.0,                          // maximum speed
                                   7.0,                           // stop distance
                                   k_Vector3(150.0f, 1.0f, 0.0f), // camera position
                                   false,                         // sets an up vector
                                   k_Vector3(),                   // up vector
                                   k_Vector3(123.0f, 1.0f, 0.0f), // look-at point
                                   "skydome.jpg",                 // sky image
                                   500.0f,                        // sky radius
                                   k_Vector3(-1.0f, 0.0f, 1.0f)}; // light position, w = 0
    k_SceneNode* colourMap = beginLoad(skeleton);

    k_Sphere* ball = new k_Sphere(24, 24);
    ball->setInterest(100);
    bodyMaterial.applyTo(*ball);
    ball->setTranslation(k_Vector3(124.0f, 1.0f, 0.0f));
    animationManager->addSnakeMoveAnimation(k_Vector3(-4.0f, 0.0f, 0.0f),
                                            k_Vector3(0.0f, 0.0f, 6.0f), 2.0, ball, false);
    colourMap->addChild(ball);

    k_GenericSceneNode* group = new k_GenericSceneNode();
    obstacleMaterial.applyTo(*group);
    colourMap->addChild(group);

    // Not reseeded: the wall stands in the same place on every load, but its radii and spins
    // follow from whatever was drawn before. The radius factor is the float 0.3 widened.
    const double radiusSpan = static_cast<double>(0.3f);
    for (int x = -80; x <= 80; x += 8) {
        for (int y = -10; y < 10; ++y) {
            k_Sphere* sphere = new k_Sphere(4, 3);
            sphere->setInterest(0);
            sphere->setTranslation(k_Vector3(static_cast<float>(x), static_cast<float>(y), 0.0f));
            sphere->setRadius(drawQuantity(0.5, radiusSpan));
            group->addChild(sphere);
            animationManager->addRotationAnimation(drawVector(-130.0, 260.0), sphere);
        }
    }

    sceneName = "Scene 2";
    finishLoad();
}
