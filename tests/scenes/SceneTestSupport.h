#pragma once

// A scene host (root and controller), and readers of the tree every scene builds:
// root -> camera -> (sky texture -> sky dome, light -> normal map -> colour map -> bodies).
#include <gtest/gtest.h>

#include <vector>

#include "animation/Animation.h"
#include "animation/AnimationManager.h"
#include "camera/Camera.h"
#include "platform/Random.h"
#include "scenegraph/Artifact.h"
#include "scenegraph/ArtifactRegistry.h"
#include "scenegraph/GenericSceneNode.h"
#include "scenegraph/JpegTexture.h"
#include "scenegraph/MainSceneNode.h"
#include "scenegraph/Sphere.h"
#include "scenes/Scene.h"
#include "scenes/SceneHost.h"

/// base + span * r / 32767, the way the builders are expected to turn one draw into a value.
inline float expectedQuantity(double base, double span, int draw) {
    return static_cast<float>(base + span * (draw / 32767.0));
}

/// Three draws, the first to z, the second to y, the third to x.
inline k_Vector3 expectedVector(double base, double span) {
    const int first = randomNext();
    const int second = randomNext();
    const int third = randomNext();
    return k_Vector3(expectedQuantity(base, span, third), expectedQuantity(base, span, second),
                     expectedQuantity(base, span, first));
}

class SceneTest : public testing::Test {
protected:
    k_SceneHost host;
    k_MainSceneNode& root = *host.getRoot();
    k_Scene& scene = *host.getScene();

    void load(int number) { ASSERT_TRUE(host.loadScene(number)) << number; }
    const std::vector<k_Animation*>& animations() const {
        return scene.getAnimationManager()->getAnimations();
    }
    k_SceneNode* colourMap() const {
        // root -> camera -> light (second child) -> normal map -> colour map
        return root.getChildren().at(0)->getChildren().at(1)->getChildren().at(0)->getChildren().at(
            0);
    }
    /// The scene's bodies and obstacle group, children of the colour map in order.
    const std::vector<k_SceneNode*>& bodies() const { return colourMap()->getChildren(); }
    /// The obstacles: the children of the last generic (non-body) node below the colour map.
    std::vector<k_Sphere*> obstacles() const {
        std::vector<k_Sphere*> result;
        k_SceneNode* group = bodies().back();
        for (k_SceneNode* child : group->getChildren()) {
            result.push_back(dynamic_cast<k_Sphere*>(child));
        }
        return result;
    }
};

#define EXPECT_VECTOR_EQ(actual, ex, ey, ez)                                                       \
    do {                                                                                           \
        const k_Vector3 value_ = (actual);                                                         \
        EXPECT_EQ(value_.x, static_cast<float>(ex));                                               \
        EXPECT_EQ(value_.y, static_cast<float>(ey));                                               \
        EXPECT_EQ(value_.z, static_cast<float>(ez));                                               \
    } while (false)
