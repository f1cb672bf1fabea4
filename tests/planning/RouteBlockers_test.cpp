// Which blocking bodies the route in use was shaped by.
#include <gtest/gtest.h>

#include "planning/RouteBlockers.h"

namespace {

TEST(RouteBlockers, KeepsTheBodiesEachPointGoesAroundAndDropsTheOthers) {
    // Eye at the origin, target at z = 20, one intermediate point sideways at x = 6.
    const std::vector<k_Vector3> route{k_Vector3(0, 0, 0), k_Vector3(6, 0, 10),
                                       k_Vector3(0, 0, 20)};
    const k_BoundingSphere inTheWay(k_Vector3(0, 0, 10), 3);
    const k_BoundingSphere triedElsewhere(k_Vector3(-12, 0, 10), 3);
    const k_BoundingSphere behindTheEye(k_Vector3(0, 0, -6), 3);
    const std::vector<k_BoundingSphere> kept =
        routeBlockers(route, {triedElsewhere, inTheWay, behindTheEye});
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].center.z, 10.0f);
}

TEST(RouteBlockers, AStraightRouteKeepsWhatItCrossesAndATouchingBodyIsNotCrossed) {
    const std::vector<k_Vector3> straight{k_Vector3(0, 0, 0), k_Vector3(0, 0, 20)};
    const k_BoundingSphere crossed(k_Vector3(1, 0, 10), 2);
    const k_BoundingSphere touching(k_Vector3(0, 4, 10), 4);
    const k_BoundingSphere pastTheEnd(k_Vector3(0, 0, 23), 2.5f);
    const std::vector<k_BoundingSphere> kept =
        routeBlockers(straight, {touching, crossed, pastTheEnd});
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].center.x, 1.0f);
    EXPECT_TRUE(routeBlockers({}, {crossed}).empty());
    EXPECT_TRUE(routeBlockers({k_Vector3(1, 0, 10)}, {crossed}).empty());
}

} // namespace
