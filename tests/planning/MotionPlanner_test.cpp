#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <functional>
#include <vector>

#include "camera/Camera.h"
#include "planning/InformationProvider.h"
#include "planning/MotionPlanner.h"
#include "planning/PlanSnapshot.h"
#include "planning/PlanningTestScene.h"
#include "platform/Random.h"

namespace {

// Records what the planner hands the camera. The motion itself belongs to the camera's own
// tests, so update() only counts unless a test asks for the real motion.
class k_RecordingCamera : public k_Camera {
public:
    k_RecordingCamera() : k_Camera(2.0, 30.0, 5.0, 2.0) {}

    struct Path {
        k_Vector3 waypoint, nextWaypoint, goal;
    };
    struct Reset {
        k_Vector3 eye, lookAtPoint;
    };

    void setPath(k_Vector3 w, k_Vector3 n, k_Vector3 g) override {
        paths.push_back({w, n, g});
        k_Camera::setPath(w, n, g);
    }
    void reset(k_Vector3 eye, k_Vector3 lookAtPoint) override {
        resets.push_back({eye, lookAtPoint});
        k_Camera::reset(eye, lookAtPoint);
    }
    void update(double dt) override {
        updates.push_back(dt);
        if (runMotion) {
            k_Camera::update(dt);
        }
    }

    std::vector<Path> paths;
    std::vector<Reset> resets;
    std::vector<double> updates;
    bool runMotion = false;
};

// The real provider, except that findPath answers can be scripted and every call of the
// virtual queries is recorded (nested findPath calls included, since they use the same slot).
class k_ScriptedProvider : public k_InformationProvider {
public:
    // Only the reference search makes its nested calls through the virtual slot.
    k_ScriptedProvider() { setStrategy(k_SearchStrategy::reference); }

    struct Answer {
        bool found;
        std::vector<k_Vector3> appended;
    };
    struct Call {
        k_Vector3 start, goal;
        const k_Artifact* ignored;
        std::vector<k_Vector3> listBefore;
        int depth;
    };

    k_Artifact* getTarget() const override {
        if (onQuery) {
            onQuery();
        }
        return k_InformationProvider::getTarget();
    }
    bool findPath(const k_Vector3& start, const k_Vector3& goal, const k_Artifact* ignored,
                  std::vector<k_Vector3>& waypoints, int depth) override {
        if (onQuery) {
            onQuery();
        }
        calls.push_back({start, goal, ignored, waypoints, depth});
        if (answers.empty()) {
            return k_InformationProvider::findPath(start, goal, ignored, waypoints, depth);
        }
        const Answer answer = answers.front();
        answers.pop_front();
        if (answer.found) {
            waypoints.insert(waypoints.end(), answer.appended.begin(), answer.appended.end());
        }
        return answer.found;
    }
    bool isInsideArtifact(const k_Vector3& point, const k_Artifact* ignored,
                          double margin) const override {
        ++insideCalls;
        return k_InformationProvider::isInsideArtifact(point, ignored, margin);
    }

    std::deque<Answer> answers;
    std::vector<Call> calls;
    mutable int insideCalls = 0;
    std::function<void()> onQuery;
};

const k_Vector3 targetCenter(0, 0, -20);
const k_Vector3 cameraStart(0, 0, 0);

} // namespace

class MotionPlannerTest : public ::testing::Test {
protected:
    void SetUp() override {
        camera.setPosition(cameraStart);
        camera.setLookAt(k_Vector3(0, 0, -1));
        target = scene.add(targetCenter, 1.0f, 10);
        randomSeed(12345);
    }

    k_TestScene scene;
    k_ScriptedProvider provider;
    k_RecordingCamera camera;
    k_MotionPlanner planner{&provider, nullptr, nullptr};
    k_TestBody* target = nullptr;
};

TEST_F(MotionPlannerTest, WithoutCameraNothingHappens) {
    planner.plan(0.1);
    EXPECT_TRUE(planner.isIdle());
    EXPECT_EQ(planner.getWaitEvent().getName(), "WaitEvent");
    EXPECT_TRUE(provider.calls.empty());
    EXPECT_EQ(provider.insideCalls, 0);
    planner.waitUntilIdle(); // returns at once
}

TEST_F(MotionPlannerTest, StepRunsWithTheIdleFlagResetAndEndsWithItSet) {
    planner.setCamera(&camera);
    int queriesWhileBusy = 0;
    provider.onQuery = [&] { queriesWhileBusy += planner.isIdle() ? 0 : 1; };
    planner.plan(0.1);
    EXPECT_GE(queriesWhileBusy, 2); // getTarget and the forward search
    EXPECT_TRUE(planner.isIdle());

    // Also after a step without target.
    target->setInterest(0);
    planner.plan(0.1);
    EXPECT_TRUE(planner.isIdle());
}

TEST_F(MotionPlannerTest, NoTargetLeavesTheCameraUntouchedAndDrawsNothing) {
    target->setInterest(0);
    scene.add(cameraStart, 5.0f); // the camera even stands inside a body
    planner.setCamera(&camera);
    planner.plan(0.1);

    EXPECT_TRUE(camera.updates.empty());
    EXPECT_TRUE(camera.paths.empty());
    EXPECT_TRUE(camera.resets.empty());
    EXPECT_TRUE(exactlyEqual(camera.getPosition(), cameraStart));
    EXPECT_TRUE(exactlyEqual(camera.getLookAt(), k_Vector3(0, 0, -1)));
    EXPECT_EQ(planner.getLastStepStats().targetIndex, -1);

    randomSeed(12345);
    const int expectedDraw = randomNext();
    randomSeed(12345);
    camera.runMotion = true;
    planner.plan(0.1);
    EXPECT_EQ(randomNext(), expectedDraw);
}

TEST_F(MotionPlannerTest, ForwardRouteIsReadFromItsEnd) {
    planner.setCamera(&camera);
    const k_Vector3 a(1, 0, -15), b(2, 0, -8), start(0, 0, 0);
    provider.answers = {{true, {a, b, start}}};
    planner.plan(0.25);

    ASSERT_EQ(provider.calls.size(), 1u);
    const k_ScriptedProvider::Call& call = provider.calls[0];
    EXPECT_TRUE(exactlyEqual(call.start, cameraStart));
    EXPECT_TRUE(exactlyEqual(call.goal, targetCenter));
    EXPECT_EQ(call.ignored, target);
    ASSERT_EQ(call.listBefore.size(), 1u);
    EXPECT_TRUE(exactlyEqual(call.listBefore[0], targetCenter));
    EXPECT_EQ(call.depth, 0);

    ASSERT_EQ(camera.paths.size(), 1u);
    EXPECT_TRUE(exactlyEqual(camera.paths[0].waypoint, b));
    EXPECT_TRUE(exactlyEqual(camera.paths[0].nextWaypoint, a));
    EXPECT_TRUE(exactlyEqual(camera.paths[0].goal, targetCenter));
    EXPECT_TRUE(exactlyEqual(camera.getLookTarget(), targetCenter));
    ASSERT_EQ(camera.updates.size(), 1u);
    EXPECT_EQ(camera.updates[0], 0.25);

    // With two entries (target, start) both are the one second from the end: the target.
    provider.answers = {{true, {start}}};
    planner.plan(0.25);
    ASSERT_EQ(camera.paths.size(), 2u);
    EXPECT_TRUE(exactlyEqual(camera.paths[1].waypoint, targetCenter));
    EXPECT_TRUE(exactlyEqual(camera.paths[1].nextWaypoint, targetCenter));
}

TEST_F(MotionPlannerTest, ReversedRouteIsReadFromItsFrontAfterTheForwardSearchFails) {
    planner.setCamera(&camera);
    const k_Vector3 nearCamera(1, 0, -3), further(2, 0, -9), end(0, 0.5f, -19);
    provider.answers = {{false, {}}, {true, {nearCamera, further, end}}};
    planner.plan(0.1);

    ASSERT_EQ(provider.calls.size(), 2u);
    const k_ScriptedProvider::Call& reversed = provider.calls[1];
    EXPECT_TRUE(exactlyEqual(reversed.start, targetCenter));
    EXPECT_TRUE(exactlyEqual(reversed.goal, cameraStart));
    EXPECT_EQ(reversed.ignored, target);
    ASSERT_EQ(reversed.listBefore.size(), 1u);
    EXPECT_EQ(reversed.depth, 0);
    ASSERT_EQ(camera.paths.size(), 1u);
    EXPECT_TRUE(exactlyEqual(camera.paths[0].waypoint, nearCamera));
    EXPECT_TRUE(exactlyEqual(camera.paths[0].nextWaypoint, further));

    provider.answers = {{false, {}}, {true, {end}}};
    planner.plan(0.1);
    ASSERT_EQ(camera.paths.size(), 2u);
    EXPECT_TRUE(exactlyEqual(camera.paths[1].waypoint, end));
    EXPECT_TRUE(exactlyEqual(camera.paths[1].nextWaypoint, end));
}

TEST_F(MotionPlannerTest, StraightApproachWhenBothSearchesFail) {
    camera.setPosition(k_Vector3(3, 0, -16));
    planner.setCamera(&camera);
    provider.answers = {{false, {}}, {false, {}}};
    planner.plan(0.1);

    EXPECT_EQ(provider.calls.size(), 2u);
    ASSERT_EQ(camera.paths.size(), 1u);
    EXPECT_TRUE(exactlyEqual(camera.paths[0].waypoint, targetCenter));
    EXPECT_TRUE(exactlyEqual(camera.paths[0].goal, targetCenter));
    const k_Vector3 beyond = camera.paths[0].nextWaypoint - targetCenter;
    EXPECT_NEAR(beyond.x, -0.6f, 1e-6f);
    EXPECT_NEAR(beyond.z, -0.8f, 1e-6f);
    EXPECT_EQ(camera.updates.size(), 1u);
}

TEST_F(MotionPlannerTest, TargetOverlappingAnotherBodyIsApproachedWithoutSearch) {
    // Radius 1 plus a quarter of the target's radius 1 reaches 1.25 from this body's centre;
    // the target's centre lies 1.2 away.
    scene.add(targetCenter + k_Vector3(1.2f, 0, 0), 1.0f);
    planner.setCamera(&camera);
    planner.plan(0.1);
    EXPECT_TRUE(provider.calls.empty());
    ASSERT_EQ(camera.paths.size(), 1u);
    EXPECT_TRUE(exactlyEqual(camera.paths[0].waypoint, targetCenter));
    EXPECT_TRUE(exactlyEqual(camera.paths[0].nextWaypoint, targetCenter + k_Vector3(0, 0, -1)));
}

TEST_F(MotionPlannerTest, CameraInsideOnlyTheTargetStaysWhereItIs) {
    camera.setPosition(targetCenter + k_Vector3(0, 0.5f, 0));
    planner.setCamera(&camera);
    randomSeed(7);
    planner.plan(0.1);
    EXPECT_TRUE(camera.resets.empty());
    EXPECT_EQ(planner.getLastStepStats().relocationAttempts, 0u);
    randomSeed(7);
    const int first = randomNext();
    randomSeed(7);
    planner.plan(0.1);
    EXPECT_EQ(randomNext(), first);
}

TEST_F(MotionPlannerTest, RelocationDrawsSixValuesPerAttemptAroundTheTarget) {
    // A body around the target's centre takes in probes at 1 or 2 stop distances (3 and 5
    // from the centre: stop distance 2, target radius 1); probes at 7, 9, 11 lie outside.
    scene.add(targetCenter, 6.0f);
    scene.add(cameraStart, 1.0f);
    planner.setCamera(&camera);
    randomSeed(2024);
    planner.plan(0.1);

    ASSERT_FALSE(camera.resets.empty());
    randomSeed(2024);
    for (std::size_t i = 0; i < camera.resets.size(); ++i) {
        const int multiplier = randomNext() % 5 + 1;
        float components[5];
        for (float& c : components) {
            c = static_cast<float>((randomNext() % 200) / 100.0 - 1.0);
        }
        k_Vector3 direction(components[0], components[1], components[2]);
        direction.normalize();
        const k_Vector3 expectedEye =
            targetCenter + direction * static_cast<float>(multiplier * 2.0 + 1.0);
        EXPECT_TRUE(exactlyEqual(camera.resets[i].eye, expectedEye)) << "attempt " << i;
        const k_Vector3 look = camera.resets[i].lookAtPoint;
        EXPECT_EQ(look.y, expectedEye.y);
        EXPECT_EQ(look.x, expectedEye.x + components[3]);
        EXPECT_EQ(look.z, expectedEye.z + components[4]);
        // Only the last attempt leaves the body around the target.
        EXPECT_EQ(multiplier >= 3, i + 1 == camera.resets.size()) << "attempt " << i;
    }
    const int nextDraw = randomNext();
    EXPECT_EQ(planner.getLastStepStats().relocationAttempts, camera.resets.size());
    EXPECT_FALSE(planner.getLastStepStats().relocationLimitReached);

    // The step went on from the last probe: the target overlaps the body around it, so the
    // camera heads straight in from there.
    EXPECT_TRUE(provider.calls.empty());
    ASSERT_EQ(camera.paths.size(), 1u);
    k_Vector3 heading = targetCenter - camera.resets.back().eye;
    heading.normalize();
    EXPECT_TRUE(exactlyEqual(camera.paths[0].nextWaypoint, targetCenter + heading));
    EXPECT_EQ(camera.updates.size(), 1u);

    // Exactly six draws per attempt: the generator continues right after them.
    randomSeed(2024);
    for (std::size_t i = 0; i < 6 * camera.resets.size(); ++i) {
        randomNext();
    }
    EXPECT_EQ(randomNext(), nextDraw);
}

TEST_F(MotionPlannerTest, RelocationGivesUpAfterAThousandAttemptsAndPlansOn) {
    // No probe point (at most 11 from the target) can leave this body.
    scene.add(targetCenter + k_Vector3(0, 1, 0), 50.0f);
    planner.setCamera(&camera);
    planner.plan(0.1);

    EXPECT_EQ(camera.resets.size(), 1000u);
    EXPECT_EQ(planner.getLastStepStats().relocationAttempts, 1000u);
    EXPECT_TRUE(planner.getLastStepStats().relocationLimitReached);
    EXPECT_TRUE(exactlyEqual(camera.getPosition(), camera.resets.back().eye));
    // The target overlaps that body too, so the step ends with the straight approach.
    EXPECT_EQ(camera.paths.size(), 1u);
    EXPECT_EQ(camera.updates.size(), 1u);
    EXPECT_TRUE(planner.isIdle());
}

TEST_F(MotionPlannerTest, RealSearchAndMotionAroundOneBody) {
    scene.add(k_Vector3(0, 0, -10), 1.0f);
    camera.runMotion = true;
    planner.setCamera(&camera);
    planner.plan(0.1);

    ASSERT_EQ(camera.paths.size(), 1u);
    // Route: target, intermediate goal, camera position; the waypoint is the intermediate
    // goal and the next waypoint the target.
    const k_Vector3 intermediate = camera.paths[0].waypoint;
    EXPECT_NEAR((intermediate - targetCenter).length(), 10.0f, 1e-4f);
    EXPECT_NEAR(std::hypot(intermediate.x, intermediate.y), 2.24f, 0.01f);
    EXPECT_TRUE(exactlyEqual(camera.paths[0].nextWaypoint, targetCenter));
    EXPECT_TRUE(exactlyEqual(camera.getGoal(), targetCenter));
    EXPECT_TRUE(exactlyEqual(camera.getLookTarget(), targetCenter));
    EXPECT_FALSE(exactlyEqual(camera.getPosition(), cameraStart)); // it started to move
}

TEST_F(MotionPlannerTest, SnapshotHoldsTheStepsPlanInTravelOrder) {
    k_TestBody* blocker = scene.add(k_Vector3(0, 0, -10), 1.0f);
    k_TestBody* aside = scene.add(k_Vector3(30, 0, 0), 2.0f);
    camera.runMotion = true;
    planner.setCamera(&camera);
    k_PlanSnapshot snapshot;
    provider.answers = {{true, {k_Vector3(0, 0, 0)}}};
    planner.plan(0.1); // not watched: nothing filled
    EXPECT_FALSE(snapshot.planned);
    // Watched from now on: filled at once from the latest step, without blocking bodies.
    planner.setPlanSnapshot(&snapshot);
    EXPECT_TRUE(snapshot.planned && snapshot.hasTarget);
    EXPECT_EQ(snapshot.route.size(), 3u);

    const k_Vector3 a(1, 0, -15), b(2, 0, -8), start(0, 0, 0);
    provider.answers = {{true, {a, b, start}}};
    planner.plan(0.1);
    ASSERT_TRUE(snapshot.planned);
    EXPECT_TRUE(exactlyEqual(snapshot.eye, camera.getPosition()));
    EXPECT_TRUE(exactlyEqual(snapshot.lookAt, camera.getLookAt()));
    ASSERT_TRUE(snapshot.hasTarget);
    EXPECT_TRUE(exactlyEqual(snapshot.target.center, targetCenter));
    EXPECT_EQ(snapshot.target.radius, 1.0f);
    const std::vector<k_Vector3> travel{camera.getPosition(), start, b, a, targetCenter};
    ASSERT_EQ(snapshot.route.size(), travel.size());
    for (std::size_t i = 0; i < travel.size(); ++i) {
        EXPECT_TRUE(exactlyEqual(snapshot.route[i], travel[i])) << i;
    }
    ASSERT_EQ(snapshot.curve.size(), static_cast<std::size_t>(k_PlanSnapshot::curveSamples) + 1);
    EXPECT_TRUE(exactlyEqual(snapshot.curve.front(), camera.getPosition()));
    EXPECT_TRUE(exactlyEqual(snapshot.curve.back(), camera.getWaypoint()));
    ASSERT_EQ(snapshot.bodies.size(), 2u); // all but the target
    EXPECT_TRUE(exactlyEqual(snapshot.bodies[0].center, blocker->getTranslation()));
    EXPECT_TRUE(exactlyEqual(snapshot.bodies[1].center, aside->getTranslation()));
    EXPECT_TRUE(snapshot.blockers.empty()); // the scripted search tested no segment

    // The real search goes around the blocker, which the snapshot names, enlarged, once.
    provider.answers.clear();
    planner.plan(0.1);
    ASSERT_EQ(snapshot.blockers.size(), 1u);
    EXPECT_TRUE(exactlyEqual(snapshot.blockers[0].center, blocker->getTranslation()));
    EXPECT_EQ(snapshot.blockers[0].radius, 1.5f);
    ASSERT_EQ(snapshot.route.size(), 4u); // eye, start-side point, intermediate goal, target
    EXPECT_TRUE(exactlyEqual(snapshot.route[2], camera.getWaypoint()));

    // Without a target: the camera and the bodies, no route; a new camera: no route yet.
    target->setInterest(0);
    planner.plan(0.1);
    EXPECT_TRUE(snapshot.planned);
    EXPECT_FALSE(snapshot.hasTarget);
    EXPECT_TRUE(snapshot.route.empty() && snapshot.curve.empty() && snapshot.blockers.empty());
    EXPECT_EQ(snapshot.bodies.size(), 3u);
    planner.setCamera(&camera);
    EXPECT_TRUE(snapshot.planned);
    EXPECT_FALSE(snapshot.hasTarget);
    EXPECT_TRUE(snapshot.route.empty());

    // Unwatched again: the blocking bodies are no longer listened for.
    target->setInterest(10);
    planner.setPlanSnapshot(nullptr);
    snapshot.clear();
    planner.plan(0.1);
    EXPECT_FALSE(snapshot.planned);
}

TEST_F(MotionPlannerTest, PartialRouteIsSteeredFromItsGoalNearestTheEye) {
    // A cloud between the eye and the target that a budget of 1,200 segment tests stops the
    // search in after it placed several intermediate goals: the camera heads for the newest
    // (nearest the eye) and then the one before it, and the route runs that way.
    addDenseCloud(scene);
    provider.setSearchBudget(1200);
    planner.setCamera(&camera);
    k_PlanSnapshot snapshot;
    planner.setPlanSnapshot(&snapshot);
    planner.plan(0.1);
    ASSERT_TRUE(planner.getLastStepStats().searchBudgetReached);
    const k_PartialRoute& partial = provider.getPartialRoute();
    ASSERT_EQ(partial.getDirection(), k_SearchDirection::fromEye);
    const std::vector<k_Vector3>& chain = partial.getChain();
    ASSERT_GE(chain.size(), 3u); // the target and two or more intermediate goals
    ASSERT_EQ(camera.paths.size(), 1u);
    EXPECT_TRUE(exactlyEqual(camera.paths[0].waypoint, chain.back()));
    EXPECT_TRUE(exactlyEqual(camera.paths[0].nextWaypoint, chain[chain.size() - 2]));
    EXPECT_TRUE(exactlyEqual(camera.paths[0].goal, targetCenter));
    ASSERT_EQ(snapshot.route.size(), chain.size() + 1);
    for (std::size_t i = 0; i < chain.size(); ++i) {
        EXPECT_TRUE(exactlyEqual(snapshot.route[i + 1], chain[chain.size() - 1 - i])) << i;
    }
}

TEST_F(MotionPlannerTest, StepStatisticsAgreeWithIndependentCounts) {
    // Registry: a far body first (visited by every walk and never hit), the target, a
    // blocker on the way from the camera's start, and a trap that forces a relocation when
    // the second step starts inside it.
    scene.root.removeAllChildren();
    k_TestBody* far = scene.add(k_Vector3(100, 100, 100), 1.0f);
    target = scene.add(targetCenter, 1.0f, 10);
    k_TestBody* blocker = scene.add(k_Vector3(0, 0, -10), 1.0f);
    const k_Vector3 trapCenter(30, 0, 0);
    k_TestBody* trap = scene.add(trapCenter, 1.0f);
    const std::vector<k_TestBody*> obstacles{far, blocker, trap};
    auto radiusQueries = [&] {
        int sum = 0;
        for (const k_TestBody* body : obstacles) {
            sum += body->radiusQueries;
        }
        return sum;
    };

    // Count the queries made by the point tests, so the rest are the segment tests'.
    int farByInside = 0, allByInside = 0;
    struct k_Counting : k_ScriptedProvider {
        std::function<void(bool)> around;
        bool isInsideArtifact(const k_Vector3& p, const k_Artifact* i, double m) const override {
            around(true);
            const bool inside = k_ScriptedProvider::isInsideArtifact(p, i, m);
            around(false);
            return inside;
        }
    } counting;
    int farBefore = 0, allBefore = 0;
    counting.around = [&](bool before) {
        if (before) {
            farBefore = far->radiusQueries;
            allBefore = radiusQueries();
        } else {
            farByInside += far->radiusQueries - farBefore;
            allByInside += radiusQueries() - allBefore;
        }
    };

    k_MotionPlanner countingPlanner(&counting, &camera, nullptr);
    randomSeed(99);
    for (int step = 0; step < 2; ++step) {
        for (k_TestBody* body : obstacles) {
            body->radiusQueries = 0;
        }
        farByInside = allByInside = 0;
        counting.calls.clear();
        if (step == 1) {
            camera.setPosition(trapCenter);
        }
        camera.resets.clear();
        countingPlanner.plan(0.1);

        const k_PlanningStats& stats = countingPlanner.getLastStepStats();
        EXPECT_EQ(stats.targetIndex, 1);
        EXPECT_EQ(stats.relocationAttempts, camera.resets.size());
        EXPECT_EQ(stats.findPathCalls, counting.calls.size());
        EXPECT_EQ(stats.segmentTests, static_cast<std::uint64_t>(far->radiusQueries - farByInside));
        EXPECT_EQ(stats.sphereTests, static_cast<std::uint64_t>(radiusQueries() - allByInside));
        EXPECT_GT(stats.segmentTests, 0u);
        EXPECT_GE(stats.stepMicroseconds, 0);
        if (step == 0) {
            EXPECT_EQ(stats.findPathCalls, 2u); // one nested search around the blocker
            EXPECT_EQ(stats.segmentTests, 8u);
        } else {
            EXPECT_GT(stats.relocationAttempts, 0u);
        }
    }
}

TEST_F(MotionPlannerTest, BudgetFallbacksStayFiniteAndReachTheTarget) {
    // A body 1.3 off the axis blocks the straight way (its segment radius is 1.5) without
    // enclosing the eye that passes it; a budget of one segment test stops every search
    // while the body is in the way. The camera starts at rest between the target and a
    // stale waypoint behind it: an eye kept on that straight line brakes through zero near
    // the target and then speeds off backward for good.
    const k_Vector3 target(0, 0, 0);
    for (k_BudgetFallback fallback : {k_BudgetFallback::straightApproach,
                                      k_BudgetFallback::keepPath, k_BudgetFallback::partialRoute}) {
        // Any node's teardown empties the registry, so every round registers its own bodies.
        scene.root.removeAllChildren();
        scene.add(target, 1.0f, 10);
        scene.add(k_Vector3(0, 1.3f, 10), 1.0f);
        k_InformationProvider bounded;
        bounded.setSearchBudget(1);
        k_Camera eye(75.0, 5.0, 300.0, 15.0);
        eye.reset(k_Vector3(0, 0, 20), target);
        eye.setPath(k_Vector3(0, 0, 30), k_Vector3(0, 0, 29), target);
        k_MotionPlanner bound(&bounded, &eye, nullptr);
        bound.setBudgetFallback(fallback);
        float farthest = 0.0f;
        for (int step = 0; step < 3000; ++step) {
            bound.plan(0.016);
            ASSERT_TRUE(std::isfinite(eye.getPosition().length())) << step;
            farthest = std::max(farthest, (eye.getPosition() - target).length());
        }
        EXPECT_GT(bound.getBudgetHits(), 0u) << static_cast<int>(fallback);
        EXPECT_LE(bound.getLastStepStats().segmentTests, 1u);
        EXPECT_LT(farthest, 30.0f);
        // At rest about the stop distance from the target, on the far side of the blocker.
        EXPECT_LT((eye.getPosition() - target).length(), 16.0f);
        EXPECT_LT(eye.getVelocity().length(), 2.0f);
    }
}
