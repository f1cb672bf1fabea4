#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "planning/InformationProvider.h"
#include "planning/PlanningTestScene.h"

namespace {
k_Ray segmentBetween(const k_Vector3& from, const k_Vector3& to) {
    k_Vector3 direction = to - from;
    const float length = direction.length();
    direction.normalize();
    return k_Ray(from, direction, length);
}

bool sameList(const std::vector<k_Vector3>& a, const std::vector<k_Vector3>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!exactlyEqual(a[i], b[i])) {
            return false;
        }
    }
    return true;
}

// Points far from everything the searches below place, to fill a list to a given length.
std::vector<k_Vector3> listOf(std::size_t count, const k_Vector3& first) {
    std::vector<k_Vector3> list{first};
    for (std::size_t i = 1; i < count; ++i) {
        list.push_back(k_Vector3(1000.0f + 10.0f * static_cast<float>(i), 500.0f, 0.0f));
    }
    return list;
}

const k_Vector3 origin(0, 0, 0);
const k_Vector3 goalOnAxis(0, 0, -20);
} // namespace

class PathSearchTest : public ::testing::Test {
protected:
    k_InformationProvider provider;
    k_TestScene scene;
};

TEST_F(PathSearchTest, CandidatesFaceTheReferencePointNearestFirst) {
    EXPECT_TRUE(provider.buildCandidates(k_Vector3(1, 2, 3), k_Vector3(1, 2, 3)).empty());

    const k_Vector3 from(3, -1, 2);
    const k_Vector3 center(-2, 4, 1);
    const float radius = (from - center).length();
    const std::vector<k_Vector3> candidates = provider.buildCandidates(from, center);
    ASSERT_EQ(candidates.size(), 128u);
    float previous = 0.0f;
    for (const k_Vector3& c : candidates) {
        EXPECT_NEAR((c - center).length(), radius, 1e-4f);
        const k_Vector3 toC = c - from;
        EXPECT_GE(dot(toC, toC), previous);
        previous = dot(toC, toC);
    }
    // About a fifth of the sphere: nothing beyond 60 degrees from `from` seen from the centre.
    k_Vector3 axis = from - center;
    axis.normalize();
    for (k_Vector3 c : candidates) {
        c = c - center;
        c.normalize();
        EXPECT_GT(dot(c, axis), 0.5f);
    }
}

TEST_F(PathSearchTest, FreeWayAppendsOnlyTheStart) {
    std::vector<k_Vector3> list{goalOnAxis};
    ASSERT_TRUE(provider.findPath(origin, goalOnAxis, nullptr, list, 0));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_TRUE(exactlyEqual(list[1], origin));

    // The ignored body lying across the way changes nothing.
    k_TestBody* across = scene.add(k_Vector3(0, 0, -10), 3.0f);
    std::vector<k_Vector3> ignoring{goalOnAxis};
    ASSERT_TRUE(provider.findPath(origin, goalOnAxis, across, ignoring, 0));
    EXPECT_TRUE(sameList(ignoring, list));
}

TEST_F(PathSearchTest, GoesAroundOneBodyOnTheAxisWithOneIntermediateGoal) {
    scene.add(k_Vector3(0, 0, -10), 1.0f);
    const std::vector<k_Vector3> candidates = provider.buildCandidates(origin, goalOnAxis);
    ASSERT_EQ(candidates.size(), 128u);
    for (const k_Vector3& c : candidates) {
        EXPECT_FALSE(exactlyEqual(c, origin));
    }

    std::vector<k_Vector3> list{goalOnAxis};
    ASSERT_TRUE(provider.findPath(origin, goalOnAxis, nullptr, list, 0));
    ASSERT_EQ(list.size(), 3u);
    EXPECT_TRUE(exactlyEqual(list[0], goalOnAxis));
    EXPECT_TRUE(exactlyEqual(list[2], origin));
    const k_Vector3 intermediate = list[1];
    EXPECT_NEAR((intermediate - goalOnAxis).length(), 10.0f, 1e-4f);
    EXPECT_NEAR(std::hypot(intermediate.x, intermediate.y), 2.24f, 0.01f);

    // The search tried the five blocked probes nearest the start and the sixth, which was
    // free, then one nested call whose straight way was free.
    EXPECT_EQ(provider.getStats().findPathCalls, 2u);
    EXPECT_EQ(provider.getStats().segmentTests, 8u);
    EXPECT_EQ(provider.getStats().sphereTests, 8u);
}

TEST_F(PathSearchTest, RouteReadFromItsEndIsAChainOfFreeSegments) {
    // A wall of bodies straddling the way, wider than one detour at the midpoint radius.
    for (int i = -2; i <= 2; ++i) {
        scene.add(k_Vector3(1.5f * static_cast<float>(i), 0.3f, -12.0f), 1.2f);
    }
    const std::vector<k_Vector3> before{goalOnAxis, k_Vector3(50, 50, 50)};
    std::vector<k_Vector3> list(before);
    ASSERT_TRUE(provider.findPath(origin, goalOnAxis, nullptr, list, 0));
    ASSERT_GE(list.size(), before.size() + 2);
    EXPECT_TRUE(exactlyEqual(list[0], before[0]));
    EXPECT_TRUE(exactlyEqual(list[1], before[1]));
    EXPECT_TRUE(exactlyEqual(list.back(), origin));

    const std::size_t lastIntermediate = list.size() - 2;
    EXPECT_FALSE(
        provider.isSegmentBlocked(segmentBetween(origin, list[lastIntermediate]), nullptr));
    k_Vector3 previous = goalOnAxis;
    for (std::size_t i = before.size(); i <= lastIntermediate; ++i) {
        EXPECT_FALSE(provider.isSegmentBlocked(segmentBetween(previous, list[i]), nullptr)) << i;
        previous = list[i];
    }
}

TEST_F(PathSearchTest, DepthAndListLengthLimitsFailWithoutTouchingTheList) {
    scene.add(k_Vector3(0, 0, -10), 1.0f);
    const std::vector<k_Vector3> one{goalOnAxis};
    std::vector<k_Vector3> list(one);
    EXPECT_FALSE(provider.findPath(origin, goalOnAxis, nullptr, list, 4));
    EXPECT_FALSE(provider.findPath(origin, goalOnAxis, nullptr, list, 7)); // no endless retry
    EXPECT_FALSE(provider.findPath(origin, goalOnAxis, nullptr, list, -1));
    EXPECT_TRUE(sameList(list, one));

    const std::vector<k_Vector3> sixteen = listOf(16, goalOnAxis);
    list = sixteen;
    EXPECT_FALSE(provider.findPath(origin, k_Vector3(20, 0, 0), nullptr, list, 0));
    EXPECT_TRUE(sameList(list, sixteen));

    // Fifteen entries and a free way: the start is appended, making sixteen.
    list = listOf(15, goalOnAxis);
    EXPECT_TRUE(provider.findPath(origin, k_Vector3(20, 0, 0), nullptr, list, 0));
    EXPECT_EQ(list.size(), 16u);
}

TEST_F(PathSearchTest, TrialListMustStayWithinFifteenEntries) {
    scene.add(k_Vector3(0, 0, -10), 1.0f);

    // Thirteen entries: intermediate goal and start make fifteen, which is accepted.
    std::vector<k_Vector3> list = listOf(13, goalOnAxis);
    EXPECT_TRUE(provider.findPath(origin, goalOnAxis, nullptr, list, 0));
    EXPECT_EQ(list.size(), 15u);

    // Fourteen: every detour would end with sixteen entries, at every depth, so the whole
    // search fails although nested searches succeeded, and the list is as it was.
    const std::vector<k_Vector3> fourteen = listOf(14, goalOnAxis);
    list = fourteen;
    EXPECT_FALSE(provider.findPath(origin, goalOnAxis, nullptr, list, 0));
    EXPECT_TRUE(sameList(list, fourteen));
}

TEST_F(PathSearchTest, EnclosedGoalFailsAtEveryDepth) {
    // Twelve bodies on the corners of an icosahedron around the goal: every probe from it
    // runs into one of them at all four sphere sizes.
    const float golden = (1.0f + std::sqrt(5.0f)) / 2.0f;
    const float corners[12][3] = {{0, 1, golden},   {0, -1, golden},  {0, 1, -golden},
                                  {0, -1, -golden}, {1, golden, 0},   {-1, golden, 0},
                                  {1, -golden, 0},  {-1, -golden, 0}, {golden, 0, 1},
                                  {-golden, 0, 1},  {golden, 0, -1},  {-golden, 0, -1}};
    for (const auto& c : corners) {
        k_Vector3 direction(c[0], c[1], c[2]);
        direction.normalize();
        scene.add(goalOnAxis + direction * 3.0f, 2.0f);
    }
    const std::vector<k_Vector3> before{goalOnAxis, k_Vector3(7, 7, 7)};
    std::vector<k_Vector3> list(before);
    EXPECT_FALSE(provider.findPath(origin, goalOnAxis, nullptr, list, 0));
    EXPECT_TRUE(sameList(list, before));
    // Depths 0 to 3 each test the straight way and 128 probes; depth 4 gives up at once.
    EXPECT_EQ(provider.getStats().findPathCalls, 5u);
    EXPECT_EQ(provider.getStats().segmentTests, 4u * 129u);
}

TEST_F(PathSearchTest, StartEqualToGoalIsBlockedOnlyAtABodyCentre) {
    const k_Vector3 point(4, 5, 6);
    std::vector<k_Vector3> list{point};
    EXPECT_TRUE(provider.findPath(point, point, nullptr, list, 0));
    EXPECT_EQ(list.size(), 2u);

    scene.add(point, 1.0f);
    list = {point};
    EXPECT_FALSE(provider.findPath(point, point, nullptr, list, 0));
    EXPECT_EQ(list.size(), 1u);
}

TEST_F(PathSearchTest, ProximityRuleSkipsGoalsWithinATenthOfAListedPoint) {
    // The intermediate goal chosen around one body, then the same search with a point near
    // it already listed: 0.05 away it is skipped, 0.15 away it is tried, in both strategies.
    scene.add(k_Vector3(0, 0, -10), 1.0f);
    for (k_SearchStrategy strategy : {k_SearchStrategy::reference, k_SearchStrategy::fast}) {
        provider.setStrategy(strategy);
        std::vector<k_Vector3> list{goalOnAxis};
        ASSERT_TRUE(provider.findPath(origin, goalOnAxis, nullptr, list, 0));
        ASSERT_EQ(list.size(), 3u);
        const k_Vector3 chosen = list[1];
        for (float offset : {0.05f, 0.15f}) {
            std::vector<k_Vector3> crowded{goalOnAxis, chosen + k_Vector3(offset, 0, 0)};
            ASSERT_TRUE(provider.findPath(origin, goalOnAxis, nullptr, crowded, 0));
            ASSERT_EQ(crowded.size(), 4u);
            EXPECT_EQ(exactlyEqual(crowded[2], chosen), offset > 0.1f) << offset;
        }
    }
}

TEST_F(PathSearchTest, DenseWorldStopsAtTheBudgetAlikeInBothStrategies) {
    // A cloud of bodies between start and goal that makes the unbounded search go deep.
    addDenseCloud(scene);
    provider.setSearchBudget(0);
    std::vector<k_Vector3> unbounded{goalOnAxis};
    provider.findPath(origin, goalOnAxis, nullptr, unbounded, 0);
    const std::uint64_t needed = provider.getStats().segmentTests;
    ASSERT_GT(needed, 1000u);
    ASSERT_GT(unbounded.size(), 3u);
    EXPECT_FALSE(provider.getStats().searchBudgetReached);

    const std::uint64_t budget = 500;
    provider.setSearchBudget(budget);
    k_PlanningStats first;
    std::vector<k_Vector3> firstPartial;
    for (k_SearchStrategy strategy :
         {k_SearchStrategy::reference, k_SearchStrategy::fast, k_SearchStrategy::fast}) {
        provider.setStrategy(strategy);
        provider.resetStats();
        const std::vector<k_Vector3> before{goalOnAxis, k_Vector3(50, 50, 50)};
        std::vector<k_Vector3> list(before);
        EXPECT_FALSE(provider.findPath(origin, goalOnAxis, nullptr, list, 0));
        EXPECT_TRUE(sameList(list, before));
        const k_PlanningStats stats = provider.getStats();
        EXPECT_TRUE(stats.searchBudgetReached);
        EXPECT_EQ(stats.segmentTests, budget);
        // Later searches of the same step fail at once, without a test.
        EXPECT_FALSE(provider.findPath(goalOnAxis, origin, nullptr, list, 0));
        EXPECT_EQ(provider.getStats().segmentTests, budget);
        EXPECT_EQ(provider.getStats().findPathCalls, stats.findPathCalls);

        const std::vector<k_Vector3>& partial = provider.getPartialRoute().getChain();
        ASSERT_GE(partial.size(), 3u);
        EXPECT_TRUE(exactlyEqual(provider.getPartialRoute().getStart(), origin));
        if (first.segmentTests == 0) {
            first = stats;
            firstPartial = partial;
        }
        EXPECT_EQ(stats.findPathCalls, first.findPathCalls);
        EXPECT_TRUE(sameList(partial, firstPartial));
    }
    // A new step starts with the whole budget again.
    provider.resetStats();
    EXPECT_TRUE(provider.getPartialRoute().isEmpty());
    std::vector<k_Vector3> list{k_Vector3(0, 0, 30)};
    EXPECT_TRUE(provider.findPath(k_Vector3(0, 0, 20), k_Vector3(0, 0, 30), nullptr, list, 0));
}
