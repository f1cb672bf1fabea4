#include <gtest/gtest.h>

#include "animation/AnimationManager.h"
#include "planning/BodyForecast.h"
#include "planning/PlanningTestScene.h"

TEST(BodyForecast, LooksAheadWithTheAnimationsAndHoldsTheNearestForecastPastEitherEnd) {
    k_TestScene scene;
    k_TestBody* moving = scene.add(k_Vector3(1, 0, 0), 2.0f);
    k_TestBody* still = scene.add(k_Vector3(0, 5, 0), 1.0f);
    k_AnimationManager animations;
    animations.addMoveAnimation(k_Vector3(4, 0, 0), moving);
    k_BodyForecast forecast({0.0, 0.5, 2.0});
    forecast.update(&animations);
    ASSERT_EQ(forecast.getBodyCount(), 2u);
    EXPECT_EQ(forecast.getRadius(0), 2.0f);
    EXPECT_TRUE(exactlyEqual(forecast.getCenter(0, 0), k_Vector3(1, 0, 0)));
    EXPECT_TRUE(exactlyEqual(forecast.getCenter(1, 0), k_Vector3(3, 0, 0)));
    EXPECT_TRUE(exactlyEqual(forecast.getCenter(2, 0), k_Vector3(9, 0, 0)));
    EXPECT_TRUE(exactlyEqual(forecast.getCenter(2, 1), still->getTranslation()));

    std::size_t horizon = 99;
    float share = -1.0f;
    forecast.locate(-1.0, horizon, share); // before now: now
    EXPECT_EQ(horizon, 0u);
    EXPECT_EQ(share, 0.0f);
    forecast.locate(0.5, horizon, share); // on a horizon: the end of the span before it
    EXPECT_EQ(horizon, 0u);
    EXPECT_EQ(share, 1.0f);
    forecast.locate(1.25, horizon, share); // half way between 0.5 and 2
    EXPECT_EQ(horizon, 1u);
    EXPECT_EQ(share, 0.5f);
    EXPECT_TRUE(exactlyEqual(forecast.getCenterBetween(horizon, share, 0), k_Vector3(6, 0, 0)));
    forecast.locate(10.0, horizon, share); // past the last: the last
    EXPECT_EQ(horizon, 2u);
    EXPECT_EQ(share, 0.0f);
    EXPECT_TRUE(exactlyEqual(forecast.getCenterBetween(horizon, share, 0), k_Vector3(9, 0, 0)));

    // Without animations every body stays where it is.
    forecast.update(nullptr);
    EXPECT_TRUE(exactlyEqual(forecast.getCenter(2, 0), moving->getTranslation()));
}

TEST(BodyForecast, FollowsAChangedRegistryAndAChangedListOfAnimations) {
    k_TestScene scene;
    k_TestBody* first = scene.add(k_Vector3(0, 0, 0), 1.0f);
    k_AnimationManager animations;
    animations.addMoveAnimation(k_Vector3(0, 2, 0), first);
    k_BodyForecast forecast({0.0, 1.0});
    forecast.update(&animations);
    ASSERT_EQ(forecast.getBodyCount(), 1u);

    // A body registered in front of the moving one: the animation still moves its own body.
    scene.root.removeAllChildren(); // empties the registry
    k_TestBody* newcomer = scene.add(k_Vector3(7, 0, 0), 3.0f);
    k_TestBody* mover = scene.add(k_Vector3(0, 0, 0), 1.0f);
    animations.clear();
    animations.addMoveAnimation(k_Vector3(0, 2, 0), mover);
    forecast.update(&animations);
    ASSERT_EQ(forecast.getBodyCount(), 2u);
    EXPECT_EQ(forecast.getBody(0), newcomer);
    EXPECT_EQ(forecast.getRadius(0), 3.0f);
    EXPECT_TRUE(exactlyEqual(forecast.getCenter(1, 0), k_Vector3(7, 0, 0)));
    EXPECT_TRUE(exactlyEqual(forecast.getCenter(1, 1), k_Vector3(0, 2, 0)));

    // A second animation on the same registry, and one whose node is no registered body.
    k_TestBody unregistered(k_Vector3(), 1.0f, 0);
    animations.addMoveAnimation(k_Vector3(1, 0, 0), mover);
    animations.addMoveAnimation(k_Vector3(5, 5, 5), &unregistered);
    forecast.update(&animations);
    EXPECT_TRUE(exactlyEqual(forecast.getCenter(1, 1), k_Vector3(1, 2, 0)));
    EXPECT_TRUE(exactlyEqual(forecast.getCenter(1, 0), k_Vector3(7, 0, 0)));
    // Bodies moved since: the forecast starts from where they are now.
    mover->setTranslation(k_Vector3(0, 0, 10));
    forecast.update(&animations);
    EXPECT_TRUE(exactlyEqual(forecast.getCenter(0, 1), k_Vector3(0, 0, 10)));
    EXPECT_TRUE(exactlyEqual(forecast.getCenter(1, 1), k_Vector3(1, 2, 10)));
}
