// Scene 3: a ball bouncing on the ground grows more interesting the lower it is, so the
// camera's target switches between it and a second ball spinning in place twice per bounce.
#include "animation/AnimationManager.h"
#include "scenefile/MaterialPreset.h"
#include "scenefile/RandomDraw.h"
#include "scenegraph/GenericSceneNode.h"
#include "scenegraph/Sphere.h"
#include "scenes/Scene.h"
#include "scenes/SceneSkeleton.h"

void k_Scene::loadScene3() {
    const k_SceneSkeleton skeleton{5.0,                           // acceleration
                                   5.0,                           // look acceleration
                                   30.0,                          // maximum speed
                                   10.0,                          // stop distance
                                   k_Vector3(0.0f, 0.0f, 10.0f),  // camera position
                                   false,                         // sets an up vector
                                   k_Vector3(),                   // up vector
                                   k_Vector3(0.0f, 0.0f, 9.0f),   // look-at point
                                   "skydome.jpg",                 // sky image
                                   500.0f,                        // sky radius
                                   k_Vector3(-1.0f, 0.0f, 1.0f)}; // light position, w = 0
    k_SceneNode* colourMap = beginLoad(skeleton);

    k_Sphere* bouncingBall = new k_Sphere(24, 24);
    heightArtifact = bouncingBall;
    // Keeps this interest for the first planning step; update() derives it from the height
    // only after planning.
    bouncingBall->setInterest(100);
    bodyMaterial.applyTo(*bouncingBall);
    bouncingBall->setTranslation(k_Vector3(0.0f, 0.0f, 0.0f));
    animationManager->addSnakeMoveAnimation(k_Vector3(0.0f, 0.0f, 0.0f),
                                            k_Vector3(0.0f, 10.0f, 0.0f), 8.0, bouncingBall, true);
    colourMap->addChild(bouncingBall);

    k_Sphere* secondBall = new k_Sphere(24, 24);
    secondBall->setInterest(30);
    bodyMaterial.applyTo(*secondBall);
    secondBall->setTranslation(k_Vector3(15.0f, 0.0f, 5.0f));
    animationManager->addRotationAnimation(drawVector(-30.0, 60.0), secondBall);
    colourMap->addChild(secondBall);

    k_GenericSceneNode* group = new k_GenericSceneNode();
    obstacleMaterial.applyTo(*group);
    colourMap->addChild(group);

    // Overlaps the bouncing ball whenever it is near the ground.
    k_Sphere* obstacle = new k_Sphere(4, 3);
    obstacle->setInterest(0);
    obstacle->setTranslation(k_Vector3(0.0f, -1.5f, 0.0f));
    obstacle->setRotation(k_Vector3(0.0f, 0.0f, 45.0f));
    group->addChild(obstacle);

    sceneName = "Scene 3";
    finishLoad();
}
