// Each scene's bodies and animations: creation and registration order, every random value
// against an independent replay of the generator, and the effect of the reseeds.
#include <cmath>

#include "animation/MoveAnimation.h"
#include "animation/RotationAnimation.h"
#include "animation/SnakeMoveAnimation.h"
#include "tests/scenes/SceneTestSupport.h"

namespace {

// The rates of the first animation, which must be a rotation of `target`.
k_Vector3 rotationRates(const k_Animation* animation, const k_SceneNode* target) {
    auto* rotation = dynamic_cast<const k_RotationAnimation*>(animation);
    EXPECT_NE(rotation, nullptr);
    if (rotation == nullptr) {
        return k_Vector3();
    }
    EXPECT_EQ(rotation->getTarget(), target);
    EXPECT_TRUE(rotation->isEnabled());
    return rotation->getAngularVelocity();
}

const k_SnakeMoveAnimation* snake(const k_Animation* animation, const k_SceneNode* target) {
    auto* result = dynamic_cast<const k_SnakeMoveAnimation*>(animation);
    EXPECT_NE(result, nullptr);
    if (result != nullptr) {
        EXPECT_EQ(result->getTarget(), target);
        EXPECT_TRUE(result->isEnabled());
    }
    return result;
}

void expectMove(const k_Animation* animation, const k_SceneNode* target, float vz) {
    auto* move = dynamic_cast<const k_MoveAnimation*>(animation);
    ASSERT_NE(move, nullptr);
    EXPECT_EQ(move->getTarget(), target);
    EXPECT_VECTOR_EQ(move->getVelocity(), 0, 0, vz);
}

TEST_F(SceneTest, Scene1BallThenAColumnOfObstaclesDrawnAfterSeedOne) {
    randomSeed(5);
    const k_Vector3 ballRates = expectedVector(-30.0, 60.0);
    randomSeed(5);
    load(1);

    ASSERT_EQ(bodies().size(), 2u);
    auto* ball = dynamic_cast<k_Sphere*>(bodies()[0]);
    ASSERT_NE(ball, nullptr);
    EXPECT_EQ(ball->getSlices(), 24);
    EXPECT_EQ(ball->getStacks(), 24);
    EXPECT_EQ(ball->getInterest(), 100);
    EXPECT_EQ(ball->getRadius(), 1.0f);
    EXPECT_VECTOR_EQ(ball->getTranslation(), 0, 0, -75);
    const std::vector<k_Sphere*> column = obstacles();
    ASSERT_EQ(column.size(), 100u);
    ASSERT_EQ(artifactRegistry.size(), 101u);
    EXPECT_EQ(artifactRegistry[0], ball);

    ASSERT_EQ(animations().size(), 202u);
    EXPECT_TRUE(exactlyEqual(rotationRates(animations()[0], ball), ballRates));
    expectMove(animations()[1], ball, 2.0f);

    randomSeed(1);
    for (int i = 0; i < 100; ++i) {
        k_Sphere* obstacle = column[i];
        ASSERT_NE(obstacle, nullptr);
        EXPECT_EQ(artifactRegistry[1 + i], obstacle);
        EXPECT_EQ(obstacle->getSlices(), 4);
        EXPECT_EQ(obstacle->getStacks(), 3);
        EXPECT_EQ(obstacle->getInterest(), 0);
        EXPECT_FALSE(obstacle->getHasMaterial()) << "obstacles take the group's material";
        const int first = randomNext();
        const int second = randomNext();
        EXPECT_VECTOR_EQ(obstacle->getTranslation(), expectedQuantity(-1.5, 3.0, second),
                         expectedQuantity(-1.5, 3.0, first), -20 + 5 * i);
        EXPECT_LE(std::fabs(obstacle->getTranslation().x), 1.5f);
        EXPECT_LE(std::fabs(obstacle->getTranslation().y), 1.5f);
        EXPECT_TRUE(exactlyEqual(rotationRates(animations()[2 + 2 * i], obstacle),
                                 expectedVector(-130.0, 260.0)))
            << "obstacle " << i;
        expectMove(animations()[3 + 2 * i], obstacle, -5.0f);
    }
}

TEST_F(SceneTest, Scene1And4PlaceTheirObstaclesAlikeOnEveryLoad) {
    for (int number : {1, 4}) {
        randomSeed(11);
        load(number);
        std::vector<k_Vector3> places;
        std::vector<float> radii;
        for (k_Sphere* obstacle : obstacles()) {
            places.push_back(obstacle->getTranslation());
            radii.push_back(obstacle->getRadius());
        }
        const k_Vector3 firstBallRates = rotationRates(animations()[0], bodies()[0]);
        // Frames in between draw nothing or anything; the obstacles do not care.
        scene.update(0.1);
        randomSeed(12);
        load(number);
        const std::vector<k_Sphere*> again = obstacles();
        ASSERT_EQ(again.size(), places.size());
        for (std::size_t i = 0; i < again.size(); ++i) {
            EXPECT_TRUE(exactlyEqual(again[i]->getTranslation(), places[i])) << number << "/" << i;
            EXPECT_EQ(again[i]->getRadius(), radii[i]);
        }
        EXPECT_FALSE(exactlyEqual(rotationRates(animations()[0], bodies()[0]), firstBallRates))
            << "scene " << number << ": the ball's spin is drawn before the reseed";
    }
}

TEST_F(SceneTest, Scene2WallOfRandomSizedSpheresColumnByColumn) {
    randomSeed(21);
    load(2);
    ASSERT_EQ(bodies().size(), 2u);
    auto* ball = dynamic_cast<k_Sphere*>(bodies()[0]);
    ASSERT_NE(ball, nullptr);
    EXPECT_EQ(ball->getInterest(), 100);
    EXPECT_VECTOR_EQ(ball->getTranslation(), 124, 1, 0);
    EXPECT_FALSE(ball->getHasRotation());

    ASSERT_EQ(animations().size(), 421u);
    const k_SnakeMoveAnimation* weave = snake(animations()[0], ball);
    ASSERT_NE(weave, nullptr);
    EXPECT_VECTOR_EQ(weave->getVelocity(), -4, 0, 0);
    EXPECT_VECTOR_EQ(weave->getAmplitude(), 0, 0, 6);
    EXPECT_EQ(weave->getPeriod(), 2.0);
    EXPECT_FALSE(weave->isAbsoluteSine());

    const std::vector<k_Sphere*> wall = obstacles();
    ASSERT_EQ(wall.size(), 420u);
    ASSERT_EQ(artifactRegistry.size(), 421u);
    EXPECT_EQ(artifactRegistry[0], ball);
    randomSeed(21);
    std::vector<float> radii;
    for (int column = 0; column < 21; ++column) {
        for (int row = 0; row < 20; ++row) {
            const int i = column * 20 + row;
            k_Sphere* sphere = wall[i];
            EXPECT_EQ(artifactRegistry[1 + i], sphere);
            EXPECT_EQ(sphere->getInterest(), 0);
            EXPECT_VECTOR_EQ(sphere->getTranslation(), -80 + 8 * column, -10 + row, 0);
            const float radius = expectedQuantity(0.5, static_cast<double>(0.3f), randomNext());
            EXPECT_EQ(sphere->getRadius(), radius) << i;
            EXPECT_GE(sphere->getRadius(), 0.5f);
            EXPECT_LE(sphere->getRadius(), 0.8000000119f);
            radii.push_back(radius);
            const k_Vector3 rates = rotationRates(animations()[1 + i], sphere);
            EXPECT_TRUE(exactlyEqual(rates, expectedVector(-130.0, 260.0))) << i;
            EXPECT_LE(std::fabs(rates.x), 130.0f);
        }
    }

    // Not reseeded: the same places, other radii (the old spheres are gone; only the
    // recorded radii are compared).
    load(2);
    const std::vector<k_Sphere*> again = obstacles();
    ASSERT_EQ(again.size(), 420u);
    int sameRadius = 0;
    for (std::size_t i = 0; i < again.size(); ++i) {
        const int column = static_cast<int>(i / 20);
        const int row = static_cast<int>(i % 20);
        EXPECT_VECTOR_EQ(again[i]->getTranslation(), -80 + 8 * column, -10 + row, 0);
        sameRadius += again[i]->getRadius() == radii[i] ? 1 : 0;
    }
    EXPECT_LT(sameRadius, 20);
}

TEST_F(SceneTest, Scene3TwoBallsAndAnObstacleBelowTheBounce) {
    randomSeed(31);
    const k_Vector3 spin = expectedVector(-30.0, 60.0);
    randomSeed(31);
    load(3);
    ASSERT_EQ(bodies().size(), 3u);
    auto* bouncing = dynamic_cast<k_Sphere*>(bodies()[0]);
    auto* second = dynamic_cast<k_Sphere*>(bodies()[1]);
    ASSERT_NE(bouncing, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(scene.getHeightArtifact(), bouncing);
    EXPECT_EQ(bouncing->getInterest(), 100);
    EXPECT_EQ(second->getInterest(), 30);
    EXPECT_VECTOR_EQ(bouncing->getTranslation(), 0, 0, 0);
    EXPECT_VECTOR_EQ(second->getTranslation(), 15, 0, 5);
    const std::vector<k_Sphere*> group = obstacles();
    ASSERT_EQ(group.size(), 1u);
    EXPECT_EQ(group[0]->getInterest(), 0);
    EXPECT_VECTOR_EQ(group[0]->getTranslation(), 0, -1.5, 0);
    EXPECT_VECTOR_EQ(group[0]->getRotation(), 0, 0, 45);
    ASSERT_EQ(artifactRegistry.size(), 3u);
    EXPECT_EQ(artifactRegistry[0], bouncing);
    EXPECT_EQ(artifactRegistry[1], second);
    EXPECT_EQ(artifactRegistry[2], group[0]);

    ASSERT_EQ(animations().size(), 2u);
    const k_SnakeMoveAnimation* bounce = snake(animations()[0], bouncing);
    ASSERT_NE(bounce, nullptr);
    EXPECT_VECTOR_EQ(bounce->getVelocity(), 0, 0, 0);
    EXPECT_VECTOR_EQ(bounce->getAmplitude(), 0, 10, 0);
    EXPECT_EQ(bounce->getPeriod(), 8.0);
    EXPECT_TRUE(bounce->isAbsoluteSine());
    EXPECT_TRUE(exactlyEqual(rotationRates(animations()[1], second), spin));
}

TEST_F(SceneTest, Scene4SwarmOfTwentyDrawsPerObstacleAfterSeedTwo) {
    randomSeed(41);
    const k_Vector3 ballRates = expectedVector(-30.0, 60.0);
    randomSeed(41);
    load(4);
    ASSERT_EQ(bodies().size(), 2u);
    auto* ball = dynamic_cast<k_Sphere*>(bodies()[0]);
    ASSERT_NE(ball, nullptr);
    EXPECT_EQ(ball->getInterest(), 100);
    EXPECT_VECTOR_EQ(ball->getTranslation(), 0, 0, 0);

    ASSERT_EQ(animations().size(), 404u);
    EXPECT_TRUE(exactlyEqual(rotationRates(animations()[0], ball), ballRates));
    const float ballAmplitudes[3][3] = {{20, 0, 0}, {0, 0, 20}, {0, 5, 0}};
    const double ballPeriods[3] = {10.0, 20.0, 5.0};
    for (int s = 0; s < 3; ++s) {
        const k_SnakeMoveAnimation* swing = snake(animations()[1 + s], ball);
        ASSERT_NE(swing, nullptr);
        EXPECT_VECTOR_EQ(swing->getVelocity(), 0, 0, 0);
        EXPECT_VECTOR_EQ(swing->getAmplitude(), ballAmplitudes[s][0], ballAmplitudes[s][1],
                         ballAmplitudes[s][2]);
        EXPECT_EQ(swing->getPeriod(), ballPeriods[s]);
        EXPECT_FALSE(swing->isAbsoluteSine());
    }

    const std::vector<k_Sphere*> swarm = obstacles();
    ASSERT_EQ(swarm.size(), 100u);
    ASSERT_EQ(artifactRegistry.size(), 101u);
    randomSeed(2);
    for (int i = 0; i < 100; ++i) {
        k_Sphere* obstacle = swarm[i];
        EXPECT_EQ(artifactRegistry[1 + i], obstacle);
        EXPECT_EQ(obstacle->getInterest(), 0);
        EXPECT_EQ(obstacle->getRadius(), expectedQuantity(1.0, 2.0, randomNext()));
        EXPECT_GE(obstacle->getRadius(), 1.0f);
        EXPECT_LE(obstacle->getRadius(), 3.0f);
        const k_Vector3 place = obstacle->getTranslation();
        EXPECT_TRUE(exactlyEqual(place, expectedVector(-15.0, 30.0))) << i;
        EXPECT_LE(std::fabs(place.x), 15.0f);
        EXPECT_LE(std::fabs(place.y), 15.0f);
        EXPECT_LE(std::fabs(place.z), 15.0f);
        const std::size_t base = 4 + 4 * static_cast<std::size_t>(i);
        EXPECT_TRUE(exactlyEqual(rotationRates(animations()[base], obstacle),
                                 expectedVector(-130.0, 260.0)));
        for (int s = 0; s < 3; ++s) {
            const k_SnakeMoveAnimation* swing = snake(animations()[base + 1 + s], obstacle);
            ASSERT_NE(swing, nullptr);
            // The period is rounded to float before it reaches the animation.
            EXPECT_EQ(swing->getPeriod(),
                      static_cast<double>(expectedQuantity(12.0, 12.0, randomNext())));
            EXPECT_GE(swing->getPeriod(), 12.0);
            EXPECT_LE(swing->getPeriod(), 24.0);
            EXPECT_TRUE(exactlyEqual(swing->getAmplitude(), expectedVector(-20.0, 40.0)));
            EXPECT_VECTOR_EQ(swing->getVelocity(), 0, 0, 0);
            EXPECT_FALSE(swing->isAbsoluteSine());
        }
    }
}

} // namespace
