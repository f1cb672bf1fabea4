// What a planner is given each step and what becomes of its command: the framework's side of
// every planner, tried with a planner that answers from the values alone.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <set>
#include <string>

#include "camera/Camera.h"
#include "planning/InformationProvider.h"
#include "planning/MotionPlanner.h"
#include "planning/PlannerRegistry.h"
#include "planning/PlanningTestScene.h"
#include "planning/VisibilityPlanner.h"

namespace {

// Answers every step with what `answer` makes of the input, keeping a copy of each input.
class k_ValuePlanner : public k_MotionPlanner {
public:
    k_ValuePlanner(k_InformationProvider* provider, bool withBodies)
        : k_MotionPlanner(provider, nullptr, nullptr) {
        if (withBodies) {
            wantBodies(nullptr);
        }
    }
    std::function<k_PlannerCommand(const k_PlannerInput&)> answer;
    std::function<void()> failWith;
    std::vector<k_PlannerInput> inputs;

    using k_MotionPlanner::failStep;

protected:
    k_PlannerCommand decide(const k_PlannerInput& input) override {
        inputs.push_back(input);
        if (failWith) {
            failWith();
        }
        return answer(input);
    }
};

k_PlannerCommand commandTowards(const k_Vector3& point) {
    return k_PlannerCommand{point, point + k_Vector3(1, 0, 0), point, point};
}

class PlannerBoundaryTest : public ::testing::Test {
protected:
    void SetUp() override {
        target = scene.add(k_Vector3(0, 0, -20), 1.0f, 10);
        scene.add(k_Vector3(5, 0, -10), 2.0f);
        camera.setPosition(k_Vector3(0, 0, 0));
    }
    k_TestScene scene;
    k_InformationProvider provider;
    k_Camera camera{2.0, 30.0, 5.0, 2.0};
    k_TestBody* target = nullptr;
};

} // namespace

TEST_F(PlannerBoundaryTest, TheInputCountsStepsAndTimeAndCarriesTheCameraTargetAndBodies) {
    k_ValuePlanner planner(&provider, true);
    planner.answer = [](const k_PlannerInput& input) { return commandTowards(input.targetCenter); };
    planner.setCamera(&camera);
    planner.plan(0.25);
    planner.plan(0.5);
    ASSERT_EQ(planner.inputs.size(), 2u);
    const k_PlannerInput& second = planner.inputs[1];
    EXPECT_EQ(second.step, 2);
    EXPECT_DOUBLE_EQ(second.time, 0.75);
    EXPECT_DOUBLE_EQ(second.dt, 0.5);
    EXPECT_EQ(second.targetIndex, 0);
    EXPECT_TRUE(exactlyEqual(second.targetCenter, k_Vector3(0, 0, -20)));
    EXPECT_FLOAT_EQ(second.targetRadius, 1.0f);
    EXPECT_EQ(second.camera.maxSpeed, 5.0);
    EXPECT_EQ(second.camera.stopDistance, 2.0);
    // The camera as it stood before this step's motion: moved by the first step only.
    EXPECT_FALSE(exactlyEqual(second.camera.position, k_Vector3(0, 0, 0)));
    ASSERT_EQ(second.bodies.size(), 2u);
    EXPECT_TRUE(exactlyEqual(second.bodies[1].center, k_Vector3(5, 0, -10)));
    EXPECT_FLOAT_EQ(second.bodies[1].radius, 2.0f);
    // Without animations nothing moves.
    EXPECT_TRUE(exactlyEqual(second.bodies[1].velocity, k_Vector3(0, 0, 0)));
    EXPECT_NE(second.forecast, nullptr);

    // A new camera starts the count again; a planner that did not ask gets no bodies.
    k_ValuePlanner lean(&provider, false);
    lean.answer = planner.answer;
    lean.setCamera(&camera);
    lean.plan(0.1);
    lean.setCamera(&camera);
    lean.plan(0.1);
    EXPECT_EQ(lean.inputs.back().step, 1);
    EXPECT_TRUE(lean.inputs.back().bodies.empty());
    EXPECT_EQ(lean.inputs.back().forecast, nullptr);
}

TEST_F(PlannerBoundaryTest, TheCommandIsWhatTheCameraSteersByAndLooksAt) {
    k_ValuePlanner planner(&provider, false);
    const k_Vector3 aside(10, 0, 0);
    planner.answer = [&](const k_PlannerInput&) {
        return k_PlannerCommand{aside, aside * 2.0f, aside, k_Vector3(0, 5, 0)};
    };
    planner.setCamera(&camera);
    planner.plan(0.1);
    EXPECT_TRUE(exactlyEqual(camera.getWaypoint(), aside));
    EXPECT_TRUE(exactlyEqual(camera.getNextWaypoint(), aside * 2.0f));
    EXPECT_TRUE(exactlyEqual(camera.getLookTarget(), k_Vector3(0, 5, 0)));
    // Moved by its own bounded acceleration: 2 per s^2 for 0.1 s.
    EXPECT_GT(camera.getPosition().x, 0.0f);
    EXPECT_LE(camera.getVelocity().length(), 2.0f * 0.1f + 1e-6f);
    EXPECT_FALSE(planner.hasFailed());
}

TEST_F(PlannerBoundaryTest, AnUnusableCommandOrAFailedStepLeavesTheCameraAndEndsPlanning) {
    for (const float bad :
         {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
        k_ValuePlanner planner(&provider, false);
        planner.answer = [bad](const k_PlannerInput& input) {
            k_PlannerCommand command = commandTowards(input.targetCenter);
            command.lookTarget.y = bad;
            return command;
        };
        camera.reset(k_Vector3(0, 0, 0), k_Vector3(0, 0, -1));
        planner.setCamera(&camera);
        planner.plan(0.1);
        planner.plan(0.1);
        EXPECT_TRUE(planner.hasFailed());
        EXPECT_EQ(planner.getFailure(),
                  "step 1: a coordinate of the command is not a finite number");
        EXPECT_EQ(planner.inputs.size(), 1u); // nothing planned after the failure
        EXPECT_TRUE(exactlyEqual(camera.getPosition(), k_Vector3(0, 0, 0)));
        EXPECT_TRUE(std::isfinite(camera.getLookTarget().y));
    }

    k_ValuePlanner failing(&provider, false);
    failing.answer = [](const k_PlannerInput& input) { return commandTowards(input.targetCenter); };
    failing.failWith = [&failing] {
        failing.failStep("step 1: no answer");
        failing.failStep("a second reason"); // the first one stands
    };
    failing.setCamera(&camera);
    failing.plan(0.1);
    EXPECT_EQ(failing.getFailure(), "step 1: no answer");
    EXPECT_TRUE(exactlyEqual(camera.getPosition(), k_Vector3(0, 0, 0)));
    failing.setCamera(&camera); // a failed planner stays failed
    EXPECT_TRUE(failing.hasFailed());
}

TEST(PlannerRegistry, EveryEntryIsBuiltByItsKindUnderItsOwnName) {
    k_InformationProvider provider;
    const auto& entries = k_PlannerRegistry::entries();
    ASSERT_GE(entries.size(), 2u);
    std::set<std::string> names;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_TRUE(names.insert(entries[i].name).second) << entries[i].name;
        EXPECT_STREQ(wordOf(static_cast<k_PlannerKind>(i)), entries[i].name);
        EXPECT_NE(k_PlannerRegistry::make(static_cast<k_PlannerKind>(i), {&provider}), nullptr);
    }
    EXPECT_STREQ(entries[0].name, "default");
    const auto visibility = k_PlannerRegistry::make(k_PlannerKind::visibility, {&provider});
    EXPECT_NE(dynamic_cast<k_VisibilityPlanner*>(visibility.get()), nullptr);
    // A kind beyond the table (say, from a newer summary) builds the default.
    const auto beyond =
        k_PlannerRegistry::make(static_cast<k_PlannerKind>(entries.size()), {&provider});
    EXPECT_EQ(dynamic_cast<k_VisibilityPlanner*>(beyond.get()), nullptr);
}

TEST(PlannerRegistry, TheHelpNamesEveryPlannerInLinesThatFit) {
    const std::string help = k_PlannerRegistry::helpText();
    for (const auto& entry : k_PlannerRegistry::entries()) {
        EXPECT_NE(help.find(std::string(entry.name) + " ("), std::string::npos) << entry.name;
    }
    std::size_t start = 0;
    while (start <= help.size()) {
        std::size_t end = help.find('\n', start);
        end = end == std::string::npos ? help.size() : end;
        EXPECT_LE(end - start, 64u) << help.substr(start, end - start);
        start = end + 1;
    }
}
