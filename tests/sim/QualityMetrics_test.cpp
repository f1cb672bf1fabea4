#include <gtest/gtest.h>

#include <vector>

#include "tools/sim/QualityMetrics.h"

namespace {

using Point = k_QualityMetrics::Point;
using Sphere = k_QualityMetrics::Sphere;

TEST(QualityMetrics, SegmentDistanceUsesTheClosestPointOfTheSegment) {
    const Point a{0, 0, 0}, b{0, 0, -10};
    EXPECT_DOUBLE_EQ(k_QualityMetrics::segmentDistance(a, b, Point{3, 0, -5}), 3.0);
    // Beyond either end the distance is to that end, not to the infinite line.
    EXPECT_DOUBLE_EQ(k_QualityMetrics::segmentDistance(a, b, Point{0, 4, -13}), 5.0);
    EXPECT_DOUBLE_EQ(k_QualityMetrics::segmentDistance(a, b, Point{0, 3, 4}), 5.0);
    // A segment of no length is its one point.
    EXPECT_DOUBLE_EQ(k_QualityMetrics::segmentDistance(a, a, Point{0, 3, 4}), 5.0);
}

// Camera at the origin, target of radius 1 ten units down -z (index 0), obstacles around.
TEST(QualityMetrics, OcclusionCountsOnlyBodiesThatTheSegmentEntersStrictly) {
    const Point camera{0, 0, 0};
    const Sphere target{0, 0, -10, 1};
    struct Case {
        Sphere obstacle;
        bool occluded;
    } cases[] = {
        {{0.5, 0, -5, 1}, true},   // on the line of sight
        {{1, 0, -5, 1}, false},    // touches it exactly: not through
        {{0, 0, -12, 1.5}, false}, // past the target's centre, reaching back only to -10.5
        {{0, 0, -11, 1.5}, true},  // past the centre but reaching over it: the planner's
                                   // centre-limited ray test would miss this one
        {{0, 0, 3, 2}, false},     // behind the camera
    };
    for (const Case& c : cases) {
        k_QualityMetrics metrics;
        metrics.addFrame(1, camera, {target, c.obstacle}, 0);
        EXPECT_EQ(metrics.getOccludedFrames(), c.occluded ? 1 : 0)
            << "obstacle at z " << c.obstacle.z << " radius " << c.obstacle.radius;
    }
}

TEST(QualityMetrics, TheTargetIsNeverAnObstacle) {
    k_QualityMetrics metrics;
    // The camera stands inside the target, which lies across its own line of sight.
    metrics.addFrame(1, Point{0, 0, 0}, {Sphere{0, 0, -1, 5}}, 0);
    EXPECT_EQ(metrics.getInsideFrames(), 0);
    EXPECT_EQ(metrics.getOccludedFrames(), 0);
    EXPECT_FALSE(metrics.hasClearance());
    // Without a target the same body counts.
    metrics.addFrame(2, Point{0, 0, 0}, {Sphere{0, 0, -1, 5}}, -1);
    EXPECT_EQ(metrics.getInsideFrames(), 1);
    EXPECT_DOUBLE_EQ(metrics.getMinClearance(), -4.0);
    EXPECT_EQ(metrics.getMinClearanceFrame(), 2);
}

TEST(QualityMetrics, FractionsAndLeastClearanceOverARun) {
    k_QualityMetrics metrics;
    const Sphere target{0, 0, -10, 1};
    const Sphere wall{0, 0, -5, 1};
    // Frame 1: line of sight through the wall, 4 units from it.
    metrics.addFrame(1, Point{0, 0, 0}, {target, wall}, 0);
    // Frame 2: beside the wall, clear view, clearance 2.
    metrics.addFrame(2, Point{3, 0, -5}, {target, wall}, 0);
    // Frame 3: on the wall's far surface, looking away from it: not strictly inside, not
    // occluded, clearance 0.
    metrics.addFrame(3, Point{0, 0, -6}, {target, wall}, 0);
    // Frame 4: no target; inside the wall by a half.
    metrics.addFrame(4, Point{0, 0.5, -5}, {target, wall}, -1);

    EXPECT_EQ(metrics.getFrames(), 4);
    EXPECT_EQ(metrics.getFramesWithTarget(), 3);
    EXPECT_DOUBLE_EQ(metrics.occludedFraction(), 1.0 / 3.0);
    EXPECT_DOUBLE_EQ(metrics.insideFraction(), 0.25);
    EXPECT_DOUBLE_EQ(metrics.getMinClearance(), -0.5);
    EXPECT_EQ(metrics.getMinClearanceFrame(), 4);
}

TEST(QualityMetrics, EngulfedTargetsWayTravelledAndFastestTurn) {
    k_QualityMetrics metrics;
    const Sphere target{0, 0, -10, 1};
    // The target's centre 1.5 inside a body of radius 2: occluded from anywhere; then 2.5
    // away, outside it.
    metrics.addFrame(1, Point{5, 0, -10}, {target, Sphere{0, 0, -8.5, 2}}, 0);
    metrics.addFrame(2, Point{5, 0, -10}, {target, Sphere{0, 0, -7.5, 2}}, 0);
    EXPECT_EQ(metrics.getOccludedFrames(), 1);
    EXPECT_EQ(metrics.getEngulfedFrames(), 1);
    EXPECT_DOUBLE_EQ(metrics.engulfedFraction(), 0.5);

    // 3 then 4 units of way; the view turns by 90 degrees in the second frame of 0.5 s and
    // not at all in the third.
    metrics.addView(1, Point{0, 0, 0}, Point{0, 0, -1}, 0.5);
    metrics.addView(2, Point{3, 0, 0}, Point{4, 0, 0}, 0.5);
    metrics.addView(3, Point{3, 4, 0}, Point{5, 4, 0}, 0.5);
    EXPECT_DOUBLE_EQ(metrics.getTravelled(), 7.0);
    EXPECT_NEAR(metrics.getMaxViewTurn(), 180.0, 1e-9);
    EXPECT_EQ(metrics.getMaxViewTurnFrame(), 2);
}

} // namespace
