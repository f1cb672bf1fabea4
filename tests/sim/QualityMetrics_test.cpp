#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "math/Constants.h"
#include "tools/sim/QualityMetrics.h"

namespace {

using Point = k_QualityMetrics::Point;
using Sphere = k_QualityMetrics::Sphere;

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

// The target, radius 1 at the origin, seen from far below: exactly the 32 points of the
// lower hemisphere face the camera (the point k has height 1 - (2k + 1) / 64, never 0), and
// their segments run almost vertically, at each point's distance from the y axis.
TEST(QualityMetrics, VisibleShareAgainstHandWorkedCases) {
    const Point below{0, -1e6, 0};
    const Sphere target{0, 0, 0, 1};
    EXPECT_DOUBLE_EQ(k_QualityMetrics::visibleShare(below, {target}, 0), 1.0);
    // A body of radius 0.33 on the axis under the target hides the two points nearest the
    // pole, 0.176 and 0.303 from the axis (the next is 0.348 away): 30 of 32 stay seen.
    const Sphere underneath{0, -3, 0, 0.33};
    EXPECT_DOUBLE_EQ(k_QualityMetrics::visibleShare(below, {target, underneath}, 0), 30.0 / 32.0);
    // The same body behind the target or beside the segments hides nothing.
    EXPECT_DOUBLE_EQ(k_QualityMetrics::visibleShare(below, {target, Sphere{0, 3, 0, 0.33}}, 0),
                     1.0);
    EXPECT_DOUBLE_EQ(k_QualityMetrics::visibleShare(below, {Sphere{1.5, -3, 0, 0.2}, target}, 1),
                     1.0);
    // A body that covers the whole view: hidden.
    EXPECT_DOUBLE_EQ(k_QualityMetrics::visibleShare(below, {target, Sphere{0, -5, 0, 3}}, 0), 0.0);
    // From inside the target no point faces the camera; without a target there is nothing.
    EXPECT_DOUBLE_EQ(k_QualityMetrics::visibleShare(Point{0, 0.2, 0}, {target}, 0), 0.0);
    EXPECT_DOUBLE_EQ(k_QualityMetrics::visibleShare(below, {target}, -1), 0.0);
}

TEST(QualityMetrics, EngulfedTargetIsHiddenButNotAvoidably) {
    k_QualityMetrics metrics;
    const Sphere target{0, 0, 0, 1};
    // The target lies wholly inside a body of radius 5, the camera outside it.
    metrics.addFrame(1, Point{20, 0, 0}, {target, Sphere{1, 0, 0, 5}}, 0);
    EXPECT_TRUE(metrics.getLastSample().hidden);
    EXPECT_TRUE(metrics.getLastSample().engulfed);
    // A wall between camera and target hides it too, and that one could be avoided.
    metrics.addFrame(2, Point{20, 0, 0}, {target, Sphere{10, 0, 0, 4}}, 0);
    EXPECT_TRUE(metrics.getLastSample().hidden);
    EXPECT_FALSE(metrics.getLastSample().engulfed);
    const k_QualityMetrics::Figures figures = metrics.figures(1.0);
    EXPECT_EQ(figures.hiddenFrames, 2);
    EXPECT_EQ(figures.engulfedFrames, 1);
    EXPECT_EQ(figures.avoidableHiddenFrames, 1);
    EXPECT_EQ(figures.belowHalfFrames, 2);
    EXPECT_EQ(figures.spells, 1);
}

// Frames of 0.5 s: hidden behind a wall in frames 2-3 and 5-7, seen in the others; frame 9
// has no target, frame 10 is hidden again.
TEST(QualityMetrics, SpellsAreRunsOfAvoidableHiddenFramesCutAtTheWindow) {
    const Sphere target{0, 0, -10, 1};
    const Sphere wall{0, 0, -5, 3};
    const Sphere away{30, 0, -5, 3};
    k_QualityMetrics metrics;
    for (long frame = 1; frame <= 10; ++frame) {
        const bool hidden = (frame >= 2 && frame <= 3) || (frame >= 5 && frame <= 7) || frame == 10;
        metrics.addFrame(frame, Point{0, 0, 0}, {target, hidden ? wall : away},
                         frame == 9 ? -1 : 0);
    }
    const k_QualityMetrics::Figures all = metrics.figures(0.5);
    EXPECT_EQ(all.frames, 10);
    EXPECT_EQ(all.framesWithTarget, 9);
    EXPECT_EQ(all.hiddenFrames, 6);
    EXPECT_DOUBLE_EQ(all.meanVisibleShare, 3.0 / 9.0);
    EXPECT_EQ(all.spells, 3);
    EXPECT_DOUBLE_EQ(all.spellsPerMinute, 3.0 / (5.0 / 60.0));
    // Spells of 1.0, 1.5 and 0.5 s: the 95th percentile by nearest rank is the longest.
    EXPECT_DOUBLE_EQ(all.spellP95Seconds, 1.5);
    EXPECT_DOUBLE_EQ(all.longestSpellSeconds, 1.5);
    // From 3 s (frame 6) the second spell counts only its last two frames.
    const k_QualityMetrics::Figures later = metrics.figures(0.5, 3.0);
    EXPECT_EQ(later.frames, 5);
    EXPECT_EQ(later.spells, 2);
    EXPECT_DOUBLE_EQ(later.longestSpellSeconds, 1.0);
}

TEST(QualityMetrics, SettledTurnRatesLeaveOutASecondAfterTargetChangesAndPushOuts) {
    const Sphere first{0, 0, -10, 1};
    const Sphere second{10, 0, 0, 1};
    k_QualityMetrics metrics;
    // Frames of 0.25 s. The first target appears in frame 1, the camera is pushed out of a
    // body in frame 5 and the target changes in frame 12. The view turns 90 degrees in
    // frame 3, 45 in frame 6, 9 in frame 10 and 18 in frame 12: only frame 10 is more than
    // 1 s after all of them.
    const double headings[] = {0, 0, 0, 90, 90, 90, 135, 135, 135, 135, 144, 144, 162, 162, 162};
    for (long frame = 1; frame <= 14; ++frame) {
        metrics.addFrame(frame, Point{0, 0, 0}, {first, second}, frame < 12 ? 0 : 1);
        if (frame == 5) {
            metrics.addPushOut(frame);
        }
        const double radians = headings[frame] * pi / 180.0;
        metrics.addView(frame, Point{0, 0, 0}, Point{std::sin(radians), 0, -std::cos(radians)},
                        0.25);
    }
    const k_QualityMetrics::Figures figures = metrics.figures(0.25);
    EXPECT_NEAR(figures.turnRateMax, 360.0, 1e-9);
    EXPECT_NEAR(figures.settledTurnRateMax, 36.0, 1e-9);
    EXPECT_NEAR(figures.settledTurnRateP99, 36.0, 1e-9);
}

} // namespace

namespace {

TEST(QualityMetrics, FramingCountsFramesOutsideTheBandStrictly) {
    const Sphere target{0, 0, 0, 1};
    struct Case {
        double distance;
        bool nearTarget, farFromTarget;
    } cases[] = {
        {4.9, true, false}, {5.0, false, false}, {30.0, false, false}, {30.1, false, true}};
    k_QualityMetrics metrics;
    metrics.setRestDistance(10.0);
    long frame = 0;
    for (const Case& c : cases) {
        metrics.addFrame(++frame, Point{0, c.distance, 0}, {target}, 0);
        EXPECT_EQ(metrics.getLastSample().nearTarget, c.nearTarget) << c.distance;
        EXPECT_EQ(metrics.getLastSample().farFromTarget, c.farFromTarget) << c.distance;
    }
    // Without a target the distance means nothing.
    metrics.addFrame(++frame, Point{0, 100, 0}, {target}, -1);
    EXPECT_FALSE(metrics.getLastSample().farFromTarget);
    const k_QualityMetrics::Figures all = metrics.figures(1.0);
    EXPECT_EQ(all.nearFrames, 1);
    EXPECT_EQ(all.farFrames, 1);
    // Frames 1-3 fall before 4 s: only the far frame 4 is left.
    const k_QualityMetrics::Figures later = metrics.figures(1.0, 4.0);
    EXPECT_EQ(later.nearFrames, 0);
    EXPECT_EQ(later.farFrames, 1);

    // Without a rest distance there is no band.
    k_QualityMetrics unbanded;
    unbanded.addFrame(1, Point{0, 1000, 0}, {target}, 0);
    EXPECT_FALSE(unbanded.hasBand());
    EXPECT_EQ(unbanded.figures(1.0).farFrames, 0);
}

} // namespace
