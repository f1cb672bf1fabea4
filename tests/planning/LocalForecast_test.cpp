// The forecast of the bodies near a sight: the same centres as the forecast of every body, the
// far ones left out only where they cannot come near, and its work bounded.
#include <gtest/gtest.h>

#include "animation/AnimationManager.h"
#include "planning/BodyForecast.h"
#include "planning/LocalForecast.h"
#include "planning/PlanningTestScene.h"

namespace {

const std::vector<double> horizons{0.0, 0.5, 1.0, 2.0};

} // namespace

TEST(LocalForecast, KeepsWhatMayComeNearTheSightWithTheSameCentresAsTheWholeForecast) {
    // The sight runs from (0, 0, 20) to the target at the origin, which drifts along x.
    k_TestScene scene;
    k_AnimationManager animations;
    k_TestBody* target = scene.add(k_Vector3(0, 0, 0), 1.0f, 10);
    animations.addMoveAnimation(k_Vector3(1, 0, 0), target);
    // Beside the sight, moved by two animations whose changes add up in the list's order.
    k_TestBody* beside = scene.add(k_Vector3(2, 0, 10), 0.5f);
    animations.addSnakeMoveAnimation(k_Vector3(0, 0.3f, 0), k_Vector3(1, 2, 0), 1.7, beside, false);
    k_TestBody* far = scene.add(k_Vector3(40, 0, 10), 1.0f); // cannot come near
    // Far now, but its swing brings it next to the sight half a second ahead.
    k_TestBody* swinging = scene.add(k_Vector3(30, 0, 10), 1.0f);
    animations.addSnakeMoveAnimation(k_Vector3(0, 0, 0), k_Vector3(-28, 0, 0), 1.6, swinging,
                                     false);
    animations.addMoveAnimation(k_Vector3(0, 0, 0.5f), beside);
    animations.update(0.3); // part way through the swings

    k_LocalForecast local(horizons);
    ASSERT_TRUE(local.update(&animations, k_Vector3(0, 0, 20), target, 1.0f, 10));
    ASSERT_TRUE(local.hasTarget());
    ASSERT_EQ(local.getBodyCount(), 3u);
    EXPECT_EQ(local.getBody(0), target);
    EXPECT_EQ(local.getBody(1), beside);
    EXPECT_EQ(local.getBody(2), swinging);
    EXPECT_EQ(local.getBodiesScanned(), 3u);
    EXPECT_EQ(local.getForecastsMade(), 3u * horizons.size()); // the far one never

    k_BodyForecast whole(horizons);
    whole.update(&animations);
    const std::size_t index[] = {0, 1, 3};
    for (std::size_t body = 0; body < 3; ++body) {
        EXPECT_EQ(local.getRadius(body), whole.getRadius(index[body]));
        for (std::size_t h = 0; h < horizons.size(); ++h) {
            EXPECT_TRUE(exactlyEqual(local.getCenter(h, body), whole.getCenter(h, index[body])))
                << "body " << body << " horizon " << h;
        }
    }
    (void)far;
}

TEST(LocalForecast, BoundsItsWorkAndSpreadsTheMatchingOfALargeWorldOverSteps) {
    k_TestScene scene;
    k_AnimationManager animations;
    k_TestBody* target = scene.add(k_Vector3(0, 0, 0), 1.0f, 10);
    for (int i = 0; i < 6; ++i) {
        k_TestBody* body = scene.add(k_Vector3(0.2f * static_cast<float>(i), 0, 5), 0.5f);
        animations.addMoveAnimation(k_Vector3(0.1f, 0, 0), body);
    }
    // Six animations matched two a step: two steps of nothing, then the bodies.
    k_LocalForecast local(horizons, 2);
    for (int step = 0; step < 2; ++step) {
        EXPECT_FALSE(local.update(&animations, k_Vector3(0, 0, 10), target, 1.0f, 10));
        EXPECT_EQ(local.getBodyCount(), 0u);
    }
    EXPECT_TRUE(local.update(&animations, k_Vector3(0, 0, 10), target, 1.0f, 10));
    EXPECT_EQ(local.getBodyCount(), 7u);
    animations.addMoveAnimation(k_Vector3(0, 0.1f, 0), target);
    // A changed list starts again: four steps for seven.
    for (int step = 0; step < 3; ++step) {
        EXPECT_FALSE(local.update(&animations, k_Vector3(0, 0, 10), target, 1.0f, 10));
    }
    EXPECT_TRUE(local.update(&animations, k_Vector3(0, 0, 10), target, 1.0f, 10));
    EXPECT_EQ(local.getBodyCount(), 7u);

    // More bodies near the sight than the bound: nothing but the target.
    EXPECT_FALSE(local.update(&animations, k_Vector3(0, 0, 10), target, 1.0f, 5));
    EXPECT_EQ(local.getBodyCount(), 1u);
    EXPECT_LE(local.getForecastsMade(), horizons.size());

    // A target not registered: nothing to look ahead at, and nothing fails.
    k_TestBody stray(k_Vector3(0, 0, 0), 1.0f, 0);
    EXPECT_TRUE(local.update(&animations, k_Vector3(0, 0, 10), &stray, 1.0f, 10));
    EXPECT_FALSE(local.hasTarget());
    EXPECT_EQ(local.getBodyCount(), 0u);
}
