// The visibility planner: it keeps a hidden target in sight where the default planner does
// not, keeps its work bounded among dense moving bodies, and runs the same way twice.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "animation/AnimationManager.h"
#include "camera/Camera.h"
#include "planning/InformationProvider.h"
#include "planning/MotionPlanner.h"
#include "planning/PlanningTestScene.h"
#include "planning/VisibilityPlanner.h"
#include "platform/Random.h"

namespace {

// A target whose view from the camera's start is hidden by a body half way, with the camera
// already at the default's distance, and a second body swinging through nearby. Returns
// the eye after every frame of `seconds` at dt 0.02, and whether a body hid the target's
// centre then (strictly closer than its radius to the segment, as the simulator counts).
struct HiddenTargetRun {
    std::vector<k_Vector3> eyes;
    std::vector<bool> hidden;
};

HiddenTargetRun runHiddenTarget(bool visibility, double seconds) {
    k_TestScene scene;
    const k_Vector3 center(0, 0, -20);
    scene.add(center, 1.0f, 10);
    const std::vector<k_TestBody*> others{scene.add(k_Vector3(0, 0.3f, -16.5f), 1.2f),
                                          scene.add(k_Vector3(12, 0, -20), 1.5f)};
    k_AnimationManager animations;
    animations.addSnakeMoveAnimation(k_Vector3(0, 0, 0), k_Vector3(-6, 4, 0), 3.0, others[1],
                                     false);
    k_InformationProvider provider;
    k_Camera camera(10.0, 5.0, 8.0, 6.0);
    camera.setPosition(k_Vector3(0, 0, -13));
    camera.setLookAt(center);
    k_MotionPlanner standard(&provider, &camera, nullptr);
    k_VisibilityPlanner seeing(&provider, &camera, nullptr, &animations);
    k_MotionPlanner& planner = visibility ? seeing : standard;
    randomSeed(5);

    HiddenTargetRun run;
    const double dt = 0.02;
    for (int frame = 0; frame < static_cast<int>(std::lround(seconds / dt)); ++frame) {
        animations.update(dt);
        planner.plan(dt);
        const k_Vector3 eye = camera.getPosition();
        const k_Vector3 sight = center - eye;
        bool hidden = false;
        for (const k_TestBody* body : others) {
            const k_Vector3 offset = body->getTranslation() - eye;
            const float along = std::clamp(dot(offset, sight) / dot(sight, sight), 0.0f, 1.0f);
            const k_Vector3 closest = offset - sight * along;
            hidden = hidden || closest.length() < body->radius;
        }
        run.eyes.push_back(eye);
        run.hidden.push_back(hidden);
    }
    return run;
}

} // namespace

TEST(VisibilityPlanner, UncoversAHiddenTargetThatTheDefaultLeavesHidden) {
    const HiddenTargetRun standard = runHiddenTarget(false, 10.0);
    const HiddenTargetRun seeing = runHiddenTarget(true, 10.0);
    ASSERT_TRUE(standard.hidden.front());
    ASSERT_TRUE(seeing.hidden.front());
    // The default holds its distance behind the body; the other is in the clear within 3 s
    // and stays there, the swinging body notwithstanding.
    EXPECT_TRUE(standard.hidden.back());
    const auto firstClear = std::find(seeing.hidden.begin(), seeing.hidden.end(), false);
    EXPECT_LT(firstClear - seeing.hidden.begin(), 150);
    EXPECT_EQ(std::count(firstClear, seeing.hidden.end(), true), 0);
}

TEST(VisibilityPlanner, DenseSwingingBodiesKeepEveryStepWithinTheBound) {
    k_TestScene scene;
    scene.add(k_Vector3(0, 0, 0), 1.0f, 10);
    k_AnimationManager animations;
    for (int i = 0; i < 600; ++i) {
        // A lattice of 10 x 6 x 10 small bodies round the target, each swinging its own way.
        const k_Vector3 at(static_cast<float>(i % 10 * 3 - 14),
                           static_cast<float>(i / 10 % 6 * 3 - 8),
                           static_cast<float>(i / 60 * 3 - 14));
        if (at.length() > 3.0f) {
            k_TestBody* body = scene.add(at, 0.8f);
            animations.addSnakeMoveAnimation(k_Vector3(0, 0, 0), k_Vector3(1, i % 3, 2),
                                             2.0 + i % 5, body, false);
        }
    }
    k_InformationProvider provider;
    provider.setSearchBudget(5);
    k_Camera camera(75.0, 5.0, 125.0, 10.0);
    camera.setPosition(k_Vector3(0, 0, 40));
    camera.setLookAt(k_Vector3(0, 0, 0));
    k_VisibilityPlanner planner(&provider, &camera, nullptr, &animations);
    for (int step = 0; step < 200; ++step) {
        animations.update(0.02);
        planner.plan(0.02);
        // The searches' budget, and the scoring's cap overrun by one candidate at most; the
        // distances: the scoring's and three probes' caps, each overrun by one candidate or
        // frame, and the searches' five segment tests of all bodies (under 20,000 in all).
        ASSERT_LE(planner.getLastStepStats().segmentTests,
                  5u + k_VisibilityPlanner::maxScoringTests + 12u)
            << step;
        ASSERT_LE(planner.getLastStepStats().sphereTests,
                  k_VisibilityPlanner::maxScoringDistances + 3u * 30000u + 20000u)
            << step;
        ASSERT_TRUE(std::isfinite(camera.getPosition().length())) << step;
    }
    EXPECT_GT(planner.getBudgetHits(), 0u);
}

TEST(VisibilityPlanner, SameRunSameWay) {
    const HiddenTargetRun first = runHiddenTarget(true, 6.0);
    const HiddenTargetRun second = runHiddenTarget(true, 6.0);
    ASSERT_EQ(first.eyes.size(), second.eyes.size());
    for (std::size_t i = 0; i < first.eyes.size(); ++i) {
        ASSERT_TRUE(exactlyEqual(first.eyes[i], second.eyes[i])) << "frame " << i;
    }
}
