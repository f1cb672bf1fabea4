#include <gtest/gtest.h>

#include <cmath>

#include "animation/MoveAnimation.h"
#include "animation/RotationAnimation.h"
#include "animation/SnakeMoveAnimation.h"
#include "math/Constants.h"
#include "scenegraph/GenericSceneNode.h"

namespace {

void expectVector(const k_Vector3& actual, float x, float y, float z, float tolerance) {
    EXPECT_NEAR(actual.x, x, tolerance);
    EXPECT_NEAR(actual.y, y, tolerance);
    EXPECT_NEAR(actual.z, z, tolerance);
}

// Runs `animation` for `seconds` in steps of `dt`, calling `each` after every step.
template <typename Each> void run(k_Animation& animation, double seconds, double dt, Each each) {
    const int steps = static_cast<int>(std::lround(seconds / dt));
    for (int i = 0; i < steps; ++i) {
        animation.update(dt);
        each();
    }
}

} // namespace

TEST(Animation, DisabledAnimationsLeaveTheirTargetAlone) {
    k_GenericSceneNode node;
    k_MoveAnimation move(k_Vector3(1, 2, 3), &node);
    k_RotationAnimation spin(k_Vector3(10, 20, 30), &node);
    k_SnakeMoveAnimation snake(k_Vector3(1, 0, 0), k_Vector3(0, 5, 0), 2.0, &node, false);
    EXPECT_FALSE(move.isEnabled());
    for (double dt : {0.0, 0.02, 10.0}) {
        move.update(dt);
        spin.update(dt);
        snake.update(dt);
    }
    EXPECT_FALSE(node.getHasTranslation());
    EXPECT_FALSE(node.getHasRotation());
    EXPECT_EQ(snake.getTime(), 0.0);

    // Stopping pauses a running animation where it is, including the snake's clock.
    snake.start();
    snake.update(0.5);
    snake.stop();
    const k_Vector3 paused = node.getTranslation();
    snake.update(0.5);
    EXPECT_EQ(snake.getTime(), 0.5);
    expectVector(node.getTranslation(), paused.x, paused.y, paused.z, 0.0f);
}

TEST(Animation, MoveAddsVelocityTimesTheSinglePrecisionStep) {
    k_GenericSceneNode node;
    k_MoveAnimation move(k_Vector3(0, 0, 2), &node);
    move.start();
    move.update(0.0);
    EXPECT_TRUE(node.getHasTranslation()); // writing switches the transform on, even for 0
    EXPECT_EQ(node.getTranslation().z, 0.0f);

    float expected = 0.0f;
    for (double dt : {0.1, 0.016, 0.033, 0.0, 1.7}) {
        move.update(dt);
        expected = expected + 2.0f * static_cast<float>(dt);
        EXPECT_EQ(node.getTranslation().z, expected);
    }
    EXPECT_EQ(node.getTranslation().x, 0.0f);
}

TEST(Animation, MoveStartsFromTheNodesCurrentTranslation) {
    k_GenericSceneNode node;
    node.setTranslation(k_Vector3(5, -1, 0));
    k_MoveAnimation move(k_Vector3(-1, 1, 4), &node);
    move.start();
    move.update(0.5);
    expectVector(node.getTranslation(), 4.5f, -0.5f, 2.0f, 0.0f);
}

TEST(Animation, RotationAnglesGrowWithoutWrapping) {
    k_GenericSceneNode node;
    k_RotationAnimation spin(k_Vector3(360, -90, 0), &node);
    spin.start();
    run(spin, 3.0, 0.25, [] {});
    expectVector(node.getRotation(), 1080.0f, -270.0f, 0.0f, 0.0f);
    EXPECT_FALSE(node.getHasTranslation());
}

TEST(Animation, AbsoluteSnakeBouncesAboveItsStart) {
    k_GenericSceneNode node;
    k_SnakeMoveAnimation bounce(k_Vector3(0, 0, 0), k_Vector3(0, 10, 0), 8.0, &node, true);
    bounce.start();
    float lowest = 0.0f;
    run(bounce, 4.0, 0.01, [&] { lowest = std::min(lowest, node.getTranslation().y); });
    EXPECT_NEAR(node.getTranslation().y, 10.0f, 1e-4f);
    run(bounce, 4.0, 0.01, [&] { lowest = std::min(lowest, node.getTranslation().y); });
    EXPECT_NEAR(node.getTranslation().y, 0.0f, 1e-4f);
    // Past one period it bounces again instead of swinging below the start.
    run(bounce, 2.0, 0.01, [&] { lowest = std::min(lowest, node.getTranslation().y); });
    EXPECT_NEAR(node.getTranslation().y, 7.0710678f, 1e-4f);
    EXPECT_GT(lowest, -1e-4f);
}

TEST(Animation, PlainSnakeSwingsToBothSides) {
    k_GenericSceneNode node;
    k_SnakeMoveAnimation snake(k_Vector3(0, 0, 0), k_Vector3(0, 0, 6), 2.0, &node, false);
    snake.start();
    const float expected[] = {6.0f, 0.0f, -6.0f, 0.0f};
    for (float z : expected) {
        run(snake, 1.0, 0.02, [] {});
        EXPECT_NEAR(node.getTranslation().z, z, 1e-4f);
    }
}

TEST(Animation, SnakeTelescopesOverVaryingSteps) {
    // Velocity and swing together over uneven frames land where the closed form says.
    k_GenericSceneNode node;
    k_SnakeMoveAnimation snake(k_Vector3(3, 0, -1), k_Vector3(0, 2, 4), 5.0, &node, false);
    snake.start();
    const double steps[] = {0.013, 0.02, 0.0, 0.1, 0.007, 0.25, 0.031};
    double total = 0.0;
    for (int round = 0; round < 20; ++round) {
        for (double dt : steps) {
            snake.update(dt);
            total += dt;
        }
    }
    EXPECT_DOUBLE_EQ(snake.getTime(), total);
    const double swing = std::sin(pi * total / 5.0);
    expectVector(node.getTranslation(), static_cast<float>(3 * total),
                 static_cast<float>(2 * swing), static_cast<float>(-total + 4 * swing), 1e-4f);
}

TEST(Animation, SnakeWithoutAUsablePeriodOnlyMoves) {
    for (double period : {0.0, 1e-320, std::nan(""), HUGE_VAL}) {
        k_GenericSceneNode node;
        k_SnakeMoveAnimation snake(k_Vector3(1, 0, 0), k_Vector3(0, 5, 0), period, &node, true);
        snake.start();
        for (double dt : {0.0, 0.5, 0.5}) {
            snake.update(dt);
        }
        expectVector(node.getTranslation(), 1.0f, 0.0f, 0.0f, 0.0f);
    }
}

TEST(Animation, AnimationsOnOneNodeAddUpInAnyOrder) {
    auto runThree = [](bool reversed) {
        k_GenericSceneNode node;
        node.setTranslation(k_Vector3(1, 1, 1));
        k_SnakeMoveAnimation a(k_Vector3(1, 0, 0), k_Vector3(0, 2, 0), 4.0, &node, false);
        k_SnakeMoveAnimation b(k_Vector3(0, 0, 0), k_Vector3(3, 0, 0), 6.0, &node, true);
        k_SnakeMoveAnimation c(k_Vector3(0, -2, 0), k_Vector3(0, 0, 1), 2.0, &node, false);
        k_RotationAnimation spin(k_Vector3(0, 45, 0), &node);
        k_Animation* order[] = {&a, &b, &c, &spin};
        for (k_Animation* animation : order) {
            animation->start();
        }
        for (int i = 0; i < 50; ++i) {
            for (int j = 0; j < 4; ++j) {
                order[reversed ? 3 - j : j]->update(0.03);
            }
        }
        return std::make_pair(node.getTranslation(), node.getRotation());
    };
    const auto forward = runThree(false);
    const auto backward = runThree(true);
    const double t = 1.5;
    const float x = static_cast<float>(1 + t + 3 * std::fabs(std::sin(pi * t / 6)));
    const float y = static_cast<float>(1 + 2 * std::sin(pi * t / 4) - 2 * t);
    const float z = static_cast<float>(1 + std::sin(pi * t / 2));
    expectVector(forward.first, x, y, z, 1e-4f);
    expectVector(backward.first, x, y, z, 1e-4f);
    EXPECT_NEAR(forward.second.y, 67.5f, 1e-3f);
    EXPECT_EQ(forward.second.y, backward.second.y);
}

TEST(Animation, LookAheadMatchesSteppingAndLeavesEverythingAsItWas) {
    k_GenericSceneNode node;
    node.setTranslation(k_Vector3(1, 2, 3));
    k_MoveAnimation move(k_Vector3(2, 0, -1), &node);
    k_SnakeMoveAnimation snake(k_Vector3(0, 1, 0), k_Vector3(4, 0, 2), 3.0, &node, true);
    k_RotationAnimation spin(k_Vector3(0, 90, 0), &node);
    EXPECT_EQ(move.translationChangeOver(1.0).x, 0.0f); // stopped: moves nothing
    k_Animation* all[] = {&move, &snake, &spin};
    for (k_Animation* animation : all) {
        animation->start();
    }
    run(snake, 0.7, 0.01, [] {}); // mid-swing, so the look-ahead starts from a running time
    const k_Vector3 start = node.getTranslation();
    const double time = snake.getTime();
    const k_Vector3 ahead = start + move.translationChangeOver(1.3) +
                            snake.translationChangeOver(1.3) + spin.translationChangeOver(1.3);
    EXPECT_EQ(node.getTranslation().x, start.x);
    EXPECT_EQ(snake.getTime(), time);
    expectVector(spin.translationChangeOver(1.3), 0, 0, 0, 0);
    // Stepping accumulates float roundings the closed form does not have.
    for (int i = 0; i < 130; ++i) {
        for (k_Animation* animation : all) {
            animation->update(0.01);
        }
    }
    expectVector(node.getTranslation(), ahead.x, ahead.y, ahead.z, 1e-4f);
}

TEST(Animation, NoLookAheadGoesBeyondTheBoundOfItsMotion) {
    // Over spans short and long, from every point of a swing: the bound holds and is reached
    // where it can be (a long span swings the full range).
    k_GenericSceneNode node;
    k_MoveAnimation move(k_Vector3(3, 0, -4), &node);
    k_SnakeMoveAnimation swing(k_Vector3(0, 1, 0), k_Vector3(4, 0, 3), 1.5, &node, false);
    k_SnakeMoveAnimation bounce(k_Vector3(0, 0, 0), k_Vector3(0, 2, 0), 0.4, &node, true);
    k_SnakeMoveAnimation still(k_Vector3(1, 0, 0), k_Vector3(9, 9, 9), 0.0, &node, false);
    k_Animation* all[] = {&move, &swing, &bounce, &still};
    for (k_Animation* animation : all) {
        animation->start();
    }
    EXPECT_DOUBLE_EQ(move.translationChangeBound(2.0), 10.0);
    EXPECT_DOUBLE_EQ(still.translationChangeBound(2.0), 2.0); // no swing: the drift alone
    EXPECT_NEAR(swing.translationChangeBound(100.0), 100.0 + 10.0, 1e-9);
    EXPECT_NEAR(bounce.translationChangeBound(100.0), 2.0, 1e-9); // |sin| spans 0 to 1
    for (int step = 0; step < 300; ++step) {
        for (double span : {0.01, 0.1, 0.25, 0.7, 2.0}) {
            for (const k_Animation* animation : all) {
                EXPECT_LE(animation->translationChangeOver(span).length(),
                          animation->translationChangeBound(span) * (1.0 + 1e-5) + 1e-6)
                    << "step " << step << " span " << span;
            }
        }
        for (k_Animation* animation : all) {
            animation->update(0.01);
        }
    }
}
