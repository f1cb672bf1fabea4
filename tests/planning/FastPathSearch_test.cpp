// Differential tests of the fast search strategy against the reference: the same candidate
// order, the same segment answers, the same routes and counts, the same camera runs.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "camera/Camera.h"
#include "planning/CandidateOrder.h"
#include "planning/InformationProvider.h"
#include "planning/MotionPlanner.h"
#include "planning/PlanSnapshot.h"
#include "planning/PlanningTestScene.h"
#include "planning/SphereGrid.h"
#include "platform/Random.h"
#include "scenegraph/ArtifactRegistry.h"

namespace {
bool sameBits(const k_Vector3& a, const k_Vector3& b) {
    return std::memcmp(&a, &b, sizeof(k_Vector3)) == 0;
}

bool sameBits(const std::vector<k_Vector3>& a, const std::vector<k_Vector3>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!sameBits(a[i], b[i])) {
            return false;
        }
    }
    return true;
}

// Test scenes come from a fixed-seed generator of their own, so that they do not disturb
// the project's generator, which the planner draws from.
class k_Dice {
public:
    explicit k_Dice(unsigned seed) : engine(seed) {}
    float uniform(float low, float high) {
        return std::uniform_real_distribution<float>(low, high)(engine);
    }
    int integer(int low, int high) { return std::uniform_int_distribution<int>(low, high)(engine); }
    k_Vector3 inCube(float half) {
        return k_Vector3(uniform(-half, half), uniform(-half, half), uniform(-half, half));
    }

private:
    std::mt19937 engine;
};

// A swarm like the demo's last scene: bodies of radius 1 to 3 in a cube.
void addSwarm(k_TestScene& scene, k_Dice& dice, int count, float half) {
    for (int i = 0; i < count; ++i) {
        scene.add(dice.inCube(half), dice.uniform(1.0f, 3.0f));
    }
}

k_Ray segmentBetween(const k_Vector3& from, const k_Vector3& to) {
    k_Vector3 direction = to - from;
    const float length = direction.length();
    direction.normalize();
    return k_Ray(from, direction, length);
}
} // namespace

class FastPathSearchTest : public ::testing::Test {
protected:
    void SetUp() override { reference.setStrategy(k_SearchStrategy::reference); }

    // Both strategies answer the same query on the same registry; returns the fast result.
    bool compareFindPath(const k_Vector3& start, const k_Vector3& goal, const k_Artifact* ignored,
                         const std::vector<k_Vector3>& list) {
        std::vector<k_Vector3> referenceList(list);
        std::vector<k_Vector3> fastList(list);
        reference.resetStats();
        fast.resetStats();
        const bool referenceFound = reference.findPath(start, goal, ignored, referenceList, 0);
        const bool fastFound = fast.findPath(start, goal, ignored, fastList, 0);
        EXPECT_EQ(fastFound, referenceFound);
        EXPECT_TRUE(sameBits(fastList, referenceList));
        EXPECT_EQ(fast.getStats().findPathCalls, reference.getStats().findPathCalls);
        EXPECT_EQ(fast.getStats().segmentTests, reference.getStats().segmentTests);
        return fastFound;
    }

    k_InformationProvider reference;
    k_InformationProvider fast;
    k_TestScene scene;
};

TEST_F(FastPathSearchTest, CandidateOrderMatchesTheFullSortIncludingTies) {
    const std::vector<k_Vector3>& directions = fast.getSampleDirections();
    k_CandidateOrder order(directions);
    std::vector<k_Vector3> candidates;
    auto check = [&](const k_Vector3& from, const k_Vector3& center) {
        order.build(from, center, candidates);
        EXPECT_TRUE(sameBits(candidates, reference.buildCandidates(from, center)))
            << "from " << from.x << ' ' << from.y << ' ' << from.z << " center " << center.x << ' '
            << center.y << ' ' << center.z;
    };

    k_Dice dice(7);
    for (int i = 0; i < 2000; ++i) {
        check(dice.inCube(100.0f), dice.inCube(100.0f));
    }
    const std::uint64_t sortsOfGeneralPositions = order.getFullSorts();

    // Symmetric positions give many equal distances: along the axes, along the sample
    // directions themselves (one candidate equals the reference point and is skipped), on
    // integer grids, and at tiny and huge radii.
    for (int axis = 0; axis < 3; ++axis) {
        for (float length : {0.5f, 1.0f, 3.0f, 20.0f, 1000.0f}) {
            k_Vector3 offset(0, 0, 0);
            (axis == 0 ? offset.x : axis == 1 ? offset.y : offset.z) = length;
            check(offset, k_Vector3(0, 0, 0));
            check(k_Vector3(0, 0, 0), offset);
            check(k_Vector3(5, 5, 5) + offset, k_Vector3(5, 5, 5));
        }
    }
    for (std::size_t i = 0; i < directions.size(); i += 7) {
        check(directions[i] * 10.0f, k_Vector3(0, 0, 0));
        check(k_Vector3(1, -2, 3) + directions[i] * 0.25f, k_Vector3(1, -2, 3));
    }
    for (int i = 0; i < 300; ++i) {
        const k_Vector3 from(static_cast<float>(dice.integer(-3, 3)),
                             static_cast<float>(dice.integer(-3, 3)),
                             static_cast<float>(dice.integer(-3, 3)));
        check(from, k_Vector3(0, 0, 0));
    }
    check(k_Vector3(1e-30f, 0, 0), k_Vector3(0, 0, 0));
    check(k_Vector3(1e-3f, 2e-3f, 0), k_Vector3(0, 0, 0));
    check(k_Vector3(3e18f, 0, 0), k_Vector3(0, 0, 0));
    check(k_Vector3(2, 2, 2), k_Vector3(2, 2, 2)); // nothing to sort
    check(k_Vector3(NAN, 0, 0), k_Vector3(0, 0, 0));

    // Ties did occur, and the bucket pass did most of the work elsewhere.
    EXPECT_GT(order.getFullSorts(), sortsOfGeneralPositions + 20);
    EXPECT_LT(sortsOfGeneralPositions, 100u);
}

TEST_F(FastPathSearchTest, GridAnswersEverySegmentLikeTheRegistryWalk) {
    k_Dice dice(11);
    for (int count : {30, 300, 3000}) {
        scene.root.removeAllChildren();
        addSwarm(scene, dice, count, 30.0f);
        // Bodies the grid must not lose: one far out, one much larger than the rest, one of
        // negative radius, one with a NaN centre (which blocks every segment in the walk).
        scene.add(k_Vector3(5e6f, 0, 0), 2.0f);
        scene.add(k_Vector3(0, 45, 0), 12.0f);
        scene.add(k_Vector3(-20, 0, 40), -2.0f);
        k_SphereGrid grid;
        grid.build(artifactRegistry);
        ASSERT_TRUE(grid.isGridded());
        EXPECT_GE(grid.getAlwaysTestedCount(), 1u);

        std::uint64_t gridTests = 0;
        int blocked = 0;
        const int queries = 3000;
        for (int q = 0; q < queries; ++q) {
            k_Ray segment;
            const int kind = q % 4;
            if (kind == 0) { // anywhere, any length
                segment = segmentBetween(dice.inCube(80.0f), dice.inCube(80.0f));
            } else if (kind == 1) { // short hops inside the swarm
                const k_Vector3 from = dice.inCube(30.0f);
                segment = segmentBetween(from, from + dice.inCube(4.0f));
            } else if (kind == 2) { // grazing a body at about its enlarged radius
                const k_Artifact* body = artifactRegistry[dice.integer(0, count - 1)];
                const k_Vector3 c = body->getTranslation();
                const float r = body->getRadius() + 0.5f + dice.uniform(-1e-4f, 1e-4f);
                const k_Vector3 side(r, 0, 0);
                segment =
                    segmentBetween(c + side + k_Vector3(0, -5, 0), c + side + k_Vector3(0, 5, 0));
            } else { // from far away into the swarm, as the camera starts
                segment = segmentBetween(k_Vector3(0, -50, -620) + dice.inCube(50.0f),
                                         dice.inCube(20.0f));
            }
            if (q % 97 == 0) {
                segment.length = 0.0f;
            }
            const k_Artifact* ignored =
                q % 3 == 0 ? artifactRegistry[dice.integer(0, count - 1)] : nullptr;
            const bool expected = fast.isSegmentBlocked(segment, ignored);
            ASSERT_EQ(grid.isSegmentBlocked(segment, ignored, gridTests), expected)
                << "count " << count << " query " << q;
            blocked += expected ? 1 : 0;
        }
        EXPECT_GT(blocked, queries / 10);
        EXPECT_LT(blocked, queries);
        if (count == 3000) {
            EXPECT_LT(gridTests * 10, fast.getStats().sphereTests);
        }
    }

    // A NaN centre blocks everything, gridded or not.
    scene.add(k_Vector3(NAN, 0, 0), 1.0f);
    k_SphereGrid grid;
    grid.build(artifactRegistry);
    std::uint64_t tests = 0;
    EXPECT_TRUE(grid.isSegmentBlocked(
        segmentBetween(k_Vector3(900, 900, 900), k_Vector3(901, 900, 900)), nullptr, tests));
}

TEST_F(FastPathSearchTest, SmallScenesAreWalkedInRegistryOrderWithTheSameCounts) {
    scene.add(k_Vector3(0, 0, -10), 1.0f);
    scene.add(k_Vector3(3, 0, -10), 1.0f);
    for (k_InformationProvider* provider : {&reference, &fast}) {
        std::vector<k_Vector3> list{k_Vector3(0, 0, -20)};
        provider->resetStats();
        ASSERT_TRUE(provider->findPath(k_Vector3(0, 0, 0), k_Vector3(0, 0, -20), nullptr, list, 0));
    }
    EXPECT_EQ(fast.getStats().sphereTests, reference.getStats().sphereTests);
    EXPECT_EQ(fast.getStats().segmentTests, reference.getStats().segmentTests);
}

TEST_F(FastPathSearchTest, RoutesAndCountsMatchOnRandomScenes) {
    k_Dice dice(23);
    int found = 0;
    int nested = 0;
    int queries = 0;
    for (int sceneIndex = 0; sceneIndex < 12; ++sceneIndex) {
        scene.root.removeAllChildren();
        const int count = sceneIndex % 3 == 0 ? 20 : (sceneIndex % 3 == 1 ? 100 : 400);
        addSwarm(scene, dice, count, 15.0f + 2.0f * static_cast<float>(sceneIndex));
        for (int q = 0; q < 25; ++q) {
            const k_Artifact* goalBody = artifactRegistry[dice.integer(0, count - 1)];
            const k_Vector3 goal = goalBody->getTranslation();
            const k_Vector3 start = q % 5 == 0 ? k_Vector3(0, -50, -620) : dice.inCube(40.0f);
            std::vector<k_Vector3> list{goal};
            for (int extra = q % 4; extra > 1; --extra) {
                list.push_back(dice.inCube(50.0f));
            }
            const k_Artifact* ignored = q % 6 == 5 ? nullptr : goalBody;
            found += compareFindPath(start, goal, ignored, list) ? 1 : 0;
            nested += fast.getStats().findPathCalls > 1 ? 1 : 0;
            ++queries;
            if (::testing::Test::HasFailure()) {
                FAIL() << "scene " << sceneIndex << " query " << q;
            }
        }
    }
    // The queries cover straight ways, detours and failures.
    EXPECT_GT(found, queries / 2);
    EXPECT_LT(found, queries);
    EXPECT_GT(nested, queries / 4);
}

TEST_F(FastPathSearchTest, RoutesMatchWhereEqualDistancesDecide) {
    // Bodies on the axis between start and goal make every probe ring symmetric: which of
    // the equal-distance candidates comes first decides the route.
    for (int layout = 0; layout < 6; ++layout) {
        scene.root.removeAllChildren();
        for (int i = 0; i <= layout; ++i) {
            scene.add(k_Vector3(0, 0, -10.0f + 3.0f * static_cast<float>(i)), 1.0f + 0.5f * i);
        }
        for (int i = 0; i < 30; ++i) { // a ring around the goal, enough to grid the scene
            const float angle = 0.2094395f * static_cast<float>(i);
            scene.add(k_Vector3(6.0f * std::cos(angle), 6.0f * std::sin(angle), -20.0f), 1.0f);
        }
        compareFindPath(k_Vector3(0, 0, 0), k_Vector3(0, 0, -20), nullptr, {k_Vector3(0, 0, -20)});
        compareFindPath(k_Vector3(0, 0, -20), k_Vector3(0, 0, 0), nullptr, {k_Vector3(0, 0, 0)});
        compareFindPath(k_Vector3(0, 20, -10), k_Vector3(0, -20, -10), nullptr, {});
    }
    compareFindPath(k_Vector3(0, 0, 0), k_Vector3(0, 0, 0), nullptr, {});
}

TEST_F(FastPathSearchTest, PlannerRunsAreIdenticalStepByStep) {
    // The same moving scene planned from the same seed by each strategy, with and without
    // the record of blocking bodies: every step gives the camera the same bits and the search
    // the same counts, and both strategies record the same bodies.
    struct Step {
        k_Vector3 position, lookAt, up, velocity;
        k_PlanningStats stats;
        std::vector<k_BoundingSphere> blocking;
    };
    auto run = [&](k_SearchStrategy strategy, bool compare, bool record, std::uint64_t budget = 0) {
        scene.root.removeAllChildren();
        k_Dice dice(31);
        scene.add(k_Vector3(0, 0, 0), 1.0f, 100);
        addSwarm(scene, dice, 150, 15.0f);
        std::vector<k_Vector3> velocities;
        for (std::size_t i = 0; i < artifactRegistry.size(); ++i) {
            velocities.push_back(dice.inCube(6.0f));
        }
        k_InformationProvider provider;
        provider.setStrategy(strategy);
        provider.setCompareReference(compare, 3);
        provider.setSearchBudget(budget);
        k_Camera camera(75, 5, 125, 10);
        camera.setPosition(k_Vector3(0, -50, -620));
        camera.setUp(k_Vector3(0, 1, 0));
        camera.setLookAt(k_Vector3(0, 0, 0));
        k_MotionPlanner planner(&provider, &camera, nullptr);
        k_PlanSnapshot snapshot;
        if (record) {
            planner.setPlanSnapshot(&snapshot);
        }
        randomSeed(2);
        std::vector<Step> steps;
        for (int frame = 0; frame < 900; ++frame) {
            for (std::size_t i = 0; i < artifactRegistry.size(); ++i) {
                k_TestBody* body = static_cast<k_TestBody*>(artifactRegistry[i]);
                body->setTranslation(body->getTranslation() + velocities[i] * 0.016f);
            }
            planner.plan(0.016);
            steps.push_back({camera.getPosition(),
                             camera.getLookAt(),
                             camera.getUp(),
                             camera.getVelocity(),
                             planner.getLastStepStats(),
                             {}});
            if (record) {
                steps.back().blocking = snapshot.blockers;
            }
        }
        return steps;
    };
    const std::vector<Step> referenceSteps = run(k_SearchStrategy::reference, false, true);
    const std::vector<Step> fastSteps = run(k_SearchStrategy::fast, false, false);
    const std::vector<Step> recordedSteps = run(k_SearchStrategy::fast, false, true);
    // Side by side: the reference runs first on a copy of every search and must agree.
    const std::vector<Step> comparedSteps = run(k_SearchStrategy::fast, true, false);
    ASSERT_EQ(fastSteps.size(), referenceSteps.size());
    ASSERT_EQ(recordedSteps.size(), referenceSteps.size());
    ASSERT_EQ(comparedSteps.size(), referenceSteps.size());
    std::uint64_t searches = 0;
    std::size_t blockedSteps = 0;
    std::int64_t referenceTime = 0;
    for (std::size_t i = 0; i < fastSteps.size(); ++i) {
        const Step& a = referenceSteps[i];
        for (const Step& b : {fastSteps[i], recordedSteps[i], comparedSteps[i]}) {
            ASSERT_TRUE(sameBits(a.position, b.position) && sameBits(a.lookAt, b.lookAt) &&
                        sameBits(a.up, b.up) && sameBits(a.velocity, b.velocity))
                << "frame " << i;
            ASSERT_EQ(a.stats.findPathCalls, b.stats.findPathCalls) << "frame " << i;
            ASSERT_EQ(a.stats.segmentTests, b.stats.segmentTests) << "frame " << i;
            ASSERT_EQ(a.stats.relocationAttempts, b.stats.relocationAttempts) << "frame " << i;
            ASSERT_EQ(a.stats.targetIndex, b.stats.targetIndex) << "frame " << i;
        }
        ASSERT_EQ(recordedSteps[i].stats.sphereTests, fastSteps[i].stats.sphereTests);
        ASSERT_EQ(recordedSteps[i].blocking.size(), a.blocking.size()) << "frame " << i;
        for (std::size_t k = 0; k < a.blocking.size(); ++k) {
            ASSERT_TRUE(sameBits(recordedSteps[i].blocking[k].center, a.blocking[k].center) &&
                        recordedSteps[i].blocking[k].radius == a.blocking[k].radius)
                << "frame " << i << " body " << k;
        }
        // A step that went around something noted what blocked it, and only then.
        EXPECT_EQ(a.blocking.empty(), a.stats.findPathCalls <= 1) << "frame " << i;
        blockedSteps += a.blocking.empty() ? 0 : 1;
        EXPECT_EQ(comparedSteps[i].stats.referenceMismatches, 0u);
        EXPECT_EQ(comparedSteps[i].stats.referenceSphereTests, a.stats.sphereTests);
        EXPECT_EQ(fastSteps[i].stats.referenceSearchNanoseconds, 0);
        EXPECT_GE(comparedSteps[i].stats.comparisonNanoseconds,
                  comparedSteps[i].stats.referenceSearchNanoseconds);
        referenceTime += comparedSteps[i].stats.referenceSearchNanoseconds;
        searches += a.stats.findPathCalls > 2 ? 1 : 0;
    }
    EXPECT_GT(referenceTime, 0);
    EXPECT_GT(searches, 10u); // the run went around bodies, not just straight in
    EXPECT_GT(blockedSteps, 10u);

    // With a work bound that some steps reach: the same again, and the same on a rerun.
    const std::uint64_t budget = 40;
    const std::vector<Step> boundedReference =
        run(k_SearchStrategy::reference, false, false, budget);
    const std::vector<Step> boundedFast = run(k_SearchStrategy::fast, false, false, budget);
    const std::vector<Step> boundedAgain = run(k_SearchStrategy::fast, true, false, budget);
    std::uint64_t hits = 0;
    for (std::size_t i = 0; i < boundedFast.size(); ++i) {
        const Step& a = boundedReference[i];
        for (const Step& b : {boundedFast[i], boundedAgain[i]}) {
            ASSERT_TRUE(sameBits(a.position, b.position) && sameBits(a.velocity, b.velocity))
                << "frame " << i;
            ASSERT_EQ(a.stats.segmentTests, b.stats.segmentTests) << "frame " << i;
            ASSERT_EQ(a.stats.searchBudgetReached, b.stats.searchBudgetReached) << "frame " << i;
        }
        EXPECT_LE(a.stats.segmentTests, budget);
        hits += a.stats.searchBudgetReached ? 1 : 0;
    }
    EXPECT_GT(hits, 0u);
}
