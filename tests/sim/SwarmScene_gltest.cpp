// The swarm builder behind veltrava-sim --swarm: Scene 4's recipe with any number of
// obstacles, and with 100 exactly the menu's Scene 4.
#include <gtest/gtest.h>

#include <vector>

#include "animation/AnimationManager.h"
#include "animation/SnakeMoveAnimation.h"
#include "platform/Random.h"
#include "scenegraph/Artifact.h"
#include "scenegraph/ArtifactRegistry.h"
#include "scenegraph/MainSceneNode.h"
#include "scenes/Scene.h"

namespace {

struct BodyState {
    k_Vector3 position;
    float radius;
};

struct SwingState {
    k_Vector3 amplitude;
    double period;
};

struct SceneState {
    std::vector<BodyState> bodies;
    std::vector<SwingState> swings;
    std::size_t animations = 0;
};

SceneState snapshot(const k_Scene& scene) {
    SceneState state;
    for (const k_Artifact* artifact : artifactRegistry) {
        state.bodies.push_back(BodyState{artifact->getTranslation(), artifact->getRadius()});
    }
    for (const k_Animation* animation : scene.getAnimationManager()->getAnimations()) {
        if (const auto* swing = dynamic_cast<const k_SnakeMoveAnimation*>(animation)) {
            state.swings.push_back(SwingState{swing->getAmplitude(), swing->getPeriod()});
        }
    }
    state.animations = scene.getAnimationManager()->getAnimations().size();
    return state;
}

void expectSameBits(const k_Vector3& a, const k_Vector3& b, std::size_t index) {
    EXPECT_EQ(a.x, b.x) << "body " << index;
    EXPECT_EQ(a.y, b.y) << "body " << index;
    EXPECT_EQ(a.z, b.z) << "body " << index;
}

class SwarmScene : public testing::Test {
protected:
    k_MainSceneNode root;
    k_Scene scene{&root};
};

TEST_F(SwarmScene, OfAHundredIsSceneFourExactly) {
    randomSeed(1);
    scene.loadScene4();
    const SceneState menu = snapshot(scene);
    randomSeed(1);
    scene.loadSwarmScene(k_Scene::swarmSize);
    const SceneState swarm = snapshot(scene);

    ASSERT_EQ(menu.bodies.size(), 101u);
    ASSERT_EQ(swarm.bodies.size(), menu.bodies.size());
    EXPECT_EQ(swarm.animations, menu.animations);
    for (std::size_t i = 0; i < menu.bodies.size(); ++i) {
        expectSameBits(swarm.bodies[i].position, menu.bodies[i].position, i);
        EXPECT_EQ(swarm.bodies[i].radius, menu.bodies[i].radius) << "body " << i;
    }
    ASSERT_EQ(swarm.swings.size(), menu.swings.size());
    for (std::size_t i = 0; i < menu.swings.size(); ++i) {
        expectSameBits(swarm.swings[i].amplitude, menu.swings[i].amplitude, i);
        EXPECT_EQ(swarm.swings[i].period, menu.swings[i].period) << "swing " << i;
    }
}

TEST_F(SwarmScene, GrowsBySameRecipeKeepingSceneFourFirst) {
    randomSeed(1);
    scene.loadScene4();
    const SceneState menu = snapshot(scene);
    scene.loadSwarmScene(1000);
    const SceneState swarm = snapshot(scene);

    // The ball, then every obstacle; four animations per body.
    ASSERT_EQ(swarm.bodies.size(), 1001u);
    EXPECT_EQ(swarm.animations, 4u * 1001u);
    for (std::size_t i = 1; i < menu.bodies.size(); ++i) {
        expectSameBits(swarm.bodies[i].position, menu.bodies[i].position, i);
    }
    for (std::size_t i = 1; i < swarm.bodies.size(); ++i) {
        const BodyState& body = swarm.bodies[i];
        EXPECT_TRUE(body.radius >= 1.0f && body.radius <= 3.0f) << "body " << i;
        for (float c : {body.position.x, body.position.y, body.position.z}) {
            EXPECT_TRUE(c >= -15.0f && c <= 15.0f) << "body " << i;
        }
    }

    scene.loadSwarmScene(1);
    EXPECT_EQ(artifactRegistry.size(), 2u);
}

} // namespace
