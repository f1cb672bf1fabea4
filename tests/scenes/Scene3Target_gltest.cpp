// Scene 3's change of target: the bouncing ball's height becomes its interest after each
// planning step, so the planner sees the previous frame's interest.
#include "planning/MotionPlanner.h"
#include "scenes/HeightInterest.h"
#include "tests/scenes/SceneTestSupport.h"

namespace {

class Scene3Test : public SceneTest {
protected:
    void SetUp() override {
        load(3);
        ball = scene.getHeightArtifact();
        ASSERT_NE(ball, nullptr);
        ASSERT_EQ(artifactRegistry.at(0), ball);
    }
    int targetOfLastStep() const { return scene.getPlanner()->getLastStepStats().targetIndex; }
    /// Puts the ball at height y and runs a frame of no time, which moves nothing.
    void frameAtHeight(float y) {
        ball->setTranslation(k_Vector3(0.0f, y, 0.0f));
        scene.update(0.0);
    }

    k_Artifact* ball = nullptr;
};

TEST_F(Scene3Test, FirstStepStillSeesTheCreationInterest) {
    // Even high up, the first step targets the bouncing ball: its 100 from creation holds
    // until the step is over.
    frameAtHeight(9.0f);
    EXPECT_EQ(targetOfLastStep(), 0);
    EXPECT_EQ(ball->getInterest(), 10);
    scene.update(0.0);
    EXPECT_EQ(targetOfLastStep(), 1);
}

TEST_F(Scene3Test, InterestFollowsHeightAndTheTieGoesToTheBouncingBall) {
    const struct {
        float height;
        int interest;
        int nextTarget;
    } cases[] = {
        {10.0f, 0, 1}, {9.95f, 0, 1},  {5.0f, 50, 0}, {-3.0f, 100, 0},
        {12.0f, 0, 1}, {6.99f, 30, 0}, {7.0f, 30, 0}, {7.05f, 29, 1},
    };
    for (const auto& c : cases) {
        frameAtHeight(c.height);
        EXPECT_EQ(ball->getInterest(), c.interest) << "height " << c.height;
        scene.update(0.0);
        EXPECT_EQ(targetOfLastStep(), c.nextTarget) << "height " << c.height;
    }
}

TEST_F(Scene3Test, TargetSwitchesTwicePerBounce) {
    // 16 s in 50 ms frames: above height 7 (|sin| > 0.7, from about 1.97 s after each ground
    // contact to 1.97 s before the next) the second ball is the target.
    int previousTarget = 0;
    int switches = 0;
    int secondBallFrames = 0;
    for (int frame = 0; frame < 320; ++frame) {
        const int interestBefore = ball->getInterest();
        scene.update(0.05);
        const int target = targetOfLastStep();
        ASSERT_EQ(target, interestBefore >= 30 ? 0 : 1) << "frame " << frame;
        ASSERT_EQ(ball->getInterest(), interestFromHeight(ball->getTranslation().y));
        switches += target != previousTarget ? 1 : 0;
        secondBallFrames += target == 1 ? 1 : 0;
        previousTarget = target;
    }
    EXPECT_EQ(switches, 4);
    // About 4.05 s of every 8 s cycle, in frames of 50 ms, one frame late at each switch.
    EXPECT_NEAR(secondBallFrames, 2 * 81, 4);
}

} // namespace
