#include <gtest/gtest.h>

#include <vector>

#include "math/Vector3.h"
#include "planning/Route.h"

namespace {

void expectPoints(const k_Route& route, const std::vector<k_Vector3>& expected) {
    ASSERT_EQ(route.getPoints().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_TRUE(exactlyEqual(route.getPoints()[i], expected[i])) << "point " << i;
    }
}

const k_Vector3 goal(0, 0, -20), near(1, 0, -15), far(2, 0, -8), side(0, 0, -1);
const k_Vector3 elsewhere(9, 9, 9);

} // namespace

TEST(Route, StraightRouteIsTheGoalAlone) {
    k_Route route;
    EXPECT_TRUE(route.isEmpty());
    route.headFor(goal);
    expectPoints(route, {goal});
    EXPECT_TRUE(exactlyEqual(route.getWaypoint(), goal));
    EXPECT_TRUE(exactlyEqual(route.getNextWaypointOr(elsewhere), elsewhere));
}

TEST(Route, SearchFromTheEyeSkipsItsStartSidePoint) {
    // Listed from the goal outwards: goal, near (to the goal), far, the start-side point.
    k_Route route;
    route.takeSearch({goal, near, far, side}, k_SearchDirection::fromEye);
    expectPoints(route, {side, far, near, goal});
    EXPECT_TRUE(exactlyEqual(route.getWaypoint(), far));
    EXPECT_TRUE(exactlyEqual(route.getNextWaypoint(), near));
    // A straight way: only the goal is steered for.
    route.takeSearch({goal, side}, k_SearchDirection::fromEye);
    EXPECT_TRUE(exactlyEqual(route.getWaypoint(), goal));
    EXPECT_TRUE(exactlyEqual(route.getNextWaypoint(), goal));
    EXPECT_TRUE(exactlyEqual(route.getNextWaypointOr(elsewhere), elsewhere));
}

TEST(Route, SearchFromTheGoalNeverSteersForTheGoal) {
    // From the goal back to the eye the list runs from the eye's side: goal, far (from the
    // goal, near the eye), near, the search's start-side point by the goal.
    k_Route route;
    route.takeSearch({goal, far, near, side}, k_SearchDirection::fromGoal);
    expectPoints(route, {far, near, side, goal});
    EXPECT_TRUE(exactlyEqual(route.getWaypoint(), far));
    EXPECT_TRUE(exactlyEqual(route.getNextWaypoint(), near));
    route.takeSearch({goal, side}, k_SearchDirection::fromGoal);
    expectPoints(route, {side, goal});
    EXPECT_TRUE(exactlyEqual(route.getWaypoint(), side));
    EXPECT_TRUE(exactlyEqual(route.getNextWaypoint(), side));
}

TEST(Route, ChainsHaveNoStartSidePointInEitherDirection) {
    k_Route route;
    // Newest goal last: from the eye it lies nearest the eye, so it is steered for first.
    route.takeChain({goal, near, far}, k_SearchDirection::fromEye);
    expectPoints(route, {far, near, goal});
    EXPECT_TRUE(exactlyEqual(route.getWaypoint(), far));
    EXPECT_TRUE(exactlyEqual(route.getNextWaypoint(), near));
    route.takeChain({goal, near}, k_SearchDirection::fromEye);
    EXPECT_TRUE(exactlyEqual(route.getWaypoint(), near));
    EXPECT_TRUE(exactlyEqual(route.getNextWaypoint(), goal));
    // From the goal, the first goal placed lies nearest the eye.
    route.takeChain({goal, far, near}, k_SearchDirection::fromGoal);
    expectPoints(route, {far, near, goal});
    EXPECT_TRUE(exactlyEqual(route.getWaypoint(), far));
    EXPECT_TRUE(exactlyEqual(route.getNextWaypoint(), near));
    route.takeChain({goal, far}, k_SearchDirection::fromGoal);
    EXPECT_TRUE(exactlyEqual(route.getWaypoint(), far));
    EXPECT_TRUE(exactlyEqual(route.getNextWaypoint(), far));
}
