// The scene controller's lifetime, its per-frame update and the load steps that every scene
// shares. The four scenes' own bodies are in Scene1.cpp to Scene4.cpp.
#include "scenes/Scene.h"

#include <cstdio>

#include "animation/AnimationManager.h"
#include "camera/Camera.h"
#include "planning/InformationProvider.h"
#include "planning/MotionPlanner.h"
#include "planning/PlannerRegistry.h"
#include "platform/DataFolder.h"
#include "scenegraph/GenericSceneNode.h"
#include "scenegraph/JpegTexture.h"
#include "scenegraph/MainSceneNode.h"
#include "scenegraph/Sphere.h"
#include "scenegraph/Vector4.h"
#include "scenes/HeightInterest.h"
#include "scenes/SceneSkeleton.h"

k_Scene::k_Scene(k_MainSceneNode* rootNode)
    : planner(nullptr), plannerKind(k_PlannerKind::standard), heightArtifact(nullptr),
      camera(nullptr), skyNode(nullptr), root(rootNode), informationProvider(nullptr),
      animationManager(nullptr), planSnapshot(), topViewFrame(), planWatchers(0) {
    informationProvider = new k_InformationProvider();
    planner = new k_MotionPlanner(informationProvider, nullptr, root);
    animationManager = new k_AnimationManager();
}

// The scene graph belongs to the application, which deletes the root before this.
// The planner before the provider: it stops listening to the provider as it ends.
k_Scene::~k_Scene() {
    delete planner;
    delete informationProvider;
    delete animationManager;
}

const k_PlanSnapshot& k_Scene::watchPlan() {
    if (planWatchers++ == 0) {
        planner->setPlanSnapshot(&planSnapshot);
        completePlan(PlanFill::other);
    }
    return planSnapshot;
}

void k_Scene::unwatchPlan() {
    if (planWatchers > 0 && --planWatchers == 0) {
        planner->setPlanSnapshot(nullptr);
        planSnapshot.clear();
        topViewFrame = k_TopViewFrame();
    }
}

void k_Scene::completePlan(PlanFill fill) {
    if (planWatchers == 0) {
        return;
    }
    planSnapshot.sceneName = sceneName;
    planSnapshot.planner = plannerKind;
    planSnapshot.sceneTime = sceneTime;
    if (!planSnapshot.planned) {
        return;
    }
    // Only steps move the frame, so that it glides from one step's plan to the next whatever
    // else refills the snapshot. A load's plan (the camera alone) is framed on a copy: the
    // first step then frames the target and its route afresh instead of sliding over to them.
    k_TopViewFrame copy = topViewFrame;
    k_TopViewFrame& frame = fill == PlanFill::step ? topViewFrame : copy;
    frame.frame(k_TopViewFrame::extentOf(planSnapshot), sceneTime);
    planSnapshot.topView = {frame.getCenterX(), frame.getCenterZ(), frame.getHalfWidth()};
}

void k_Scene::setPlannerKind(k_PlannerKind kind) {
    planner->waitUntilIdle();
    const k_BudgetFallback fallback = planner->getBudgetFallback();
    delete planner;
    planner = nullptr;
    plannerKind = kind;
    planner = k_PlannerRegistry::make(kind, {informationProvider, camera, root, animationManager})
                  .release();
    planner->setBudgetFallback(fallback);
    if (planWatchers > 0) {
        planner->setPlanSnapshot(&planSnapshot);
        completePlan(PlanFill::other);
    }
}

void k_Scene::setPlanner(std::unique_ptr<k_MotionPlanner> replacement) {
    if (replacement == nullptr) {
        return;
    }
    planner->waitUntilIdle();
    replacement->setBudgetFallback(planner->getBudgetFallback());
    delete planner;
    planner = replacement.release();
    planner->setCamera(camera);
    if (planWatchers > 0) {
        planner->setPlanSnapshot(&planSnapshot);
    }
}

void k_Scene::update(double dt) {
    sceneTime += dt;
    animationManager->update(dt);
    planner->plan(dt);
    completePlan(PlanFill::step);
    // After the planner has moved the camera, so the dome is centred on this frame's eye.
    if (skyNode != nullptr && camera != nullptr) {
        skyNode->setTranslation(camera->getPosition());
    }
    // Applied after planning: the new interest counts from the next frame's target choice.
    if (heightArtifact != nullptr) {
        heightArtifact->setInterest(interestFromHeight(heightArtifact->getTranslation().y));
    }
}

k_SceneNode* k_Scene::beginLoad(const k_SceneSkeleton& skeleton) {
    planner->waitUntilIdle();
    // Nodes first, then animations: the animations only point at the nodes, and no update
    // runs in between.
    root->removeAllChildren();
    animationManager->clear();
    heightArtifact = nullptr;
    sceneTime = 0.0;
    topViewFrame = k_TopViewFrame();

    camera = new k_Camera(skeleton.acceleration, skeleton.lookAcceleration, skeleton.maxSpeed,
                          skeleton.stopDistance);
    camera->setPosition(skeleton.position);
    if (skeleton.hasUp) {
        camera->setUp(skeleton.up);
    }
    camera->setLookAt(skeleton.lookAt);
    root->addChild(camera);

    // Found again at every load, as the files are read again; in the working directory the
    // names stay as they are.
    const k_DataFolder data = k_DataFolder::find();
    k_JpegTexture* skyTexture = new k_JpegTexture(data.path(skeleton.skyImage).c_str(), 0);
    camera->addChild(skyTexture);
    skyNode = new k_Sphere(72, 72);
    skyNode->setRadius(skeleton.skyRadius);
    // Turns the sphere's poles onto the vertical, so the image's top row is the zenith.
    skyNode->setRotation(k_Vector3(90.0f, 0.0f, 0.0f));
    skyNode->setInterest(-1);
    skyTexture->addChild(skyNode);

    k_GenericSceneNode* light = new k_GenericSceneNode();
    const k_Vector3& direction = skeleton.lightPosition;
    light->setLight(k_Vector4(0.5f, 0.5f, 0.5f, 1.0f), k_Vector4(0.5f, 0.5f, 0.5f, 1.0f),
                    k_Vector4(1.0f, 1.0f, 1.0f, 1.0f),
                    k_Vector4(direction.x, direction.y, direction.z, 0.0f));
    light->setShader(data.path("phong.vert").c_str(), data.path("phong.frag").c_str());
    camera->addChild(light);

    k_JpegTexture* normalMap = new k_JpegTexture(data.path("normal.jpg").c_str(), 1);
    light->addChild(normalMap);
    k_JpegTexture* colourMap = new k_JpegTexture(data.path("texture.jpg").c_str(), 0);
    normalMap->addChild(colourMap);
    if (!data.holdsAny()) {
        // After the loaders' own messages: those say what is missing, this says why and what
        // to do about it.
        std::fprintf(stderr, "%s\n", data.missingFilesHint().c_str());
    }
    return colourMap;
}

void k_Scene::finishLoad() {
    planner->setCamera(camera);
    completePlan(PlanFill::other);
}
