#pragma once

#include <limits>
#include <vector>

// How well the camera kept clear of the bodies and in sight of its target, judged against
// the bodies' true bounding spheres with no clearance added. Worked out in double with its
// own segment-sphere distance, apart from the planner's length-limited float ray test, so
// that it checks the planner rather than repeats it.
class k_QualityMetrics {
public:
    struct Sphere {
        double x, y, z, radius;
    };
    struct Point {
        double x, y, z;
    };

    /// Distance from `center` to the closest point of the segment from a to b.
    static double segmentDistance(const Point& a, const Point& b, const Point& center);

    /// One frame: the camera, the bodies, and the index of the target among them (-1 for
    /// none). The target never counts as an obstacle.
    void addFrame(long frame, const Point& camera, const std::vector<Sphere>& bodies, int target);

    /// The camera's motion in one frame: eye and look-at point after it, and the time step.
    /// Adds the way travelled and the turn of the view direction since the previous call.
    void addView(long frame, const Point& eye, const Point& lookAt, double dt);

    long getFrames() const { return frames; }
    long getFramesWithTarget() const { return framesWithTarget; }
    long getOccludedFrames() const { return occludedFrames; }
    long getInsideFrames() const { return insideFrames; }
    /// Frames whose target's centre lies strictly inside another body: occluded from
    /// anywhere, so no camera can do better than this share.
    long getEngulfedFrames() const { return engulfedFrames; }
    double engulfedFraction() const;
    /// Length of the eye's way over all frames.
    double getTravelled() const { return travelled; }
    /// Fastest turn of the view direction (eye to look-at point) in degrees per second, and
    /// the first frame that reached it; 0 before two frames.
    double getMaxViewTurn() const { return maxViewTurn; }
    long getMaxViewTurnFrame() const { return maxViewTurnFrame; }
    /// Occluded frames over frames with a target; 0 when no frame had one.
    double occludedFraction() const;
    /// Frames with the camera inside a body over all frames; 0 before any frame.
    double insideFraction() const;
    /// True once some frame had a body other than the target.
    bool hasClearance() const { return clearanceSeen; }
    double getMinClearance() const { return minClearance; }
    long getMinClearanceFrame() const { return minClearanceFrame; }

private:
    long frames = 0;
    long framesWithTarget = 0;
    long occludedFrames = 0;
    long insideFrames = 0;
    long engulfedFrames = 0;
    double travelled = 0.0;
    double maxViewTurn = 0.0;
    long maxViewTurnFrame = 0;
    bool hasView = false;
    Point lastEye{0.0, 0.0, 0.0};
    Point lastView{0.0, 0.0, 0.0};
    double minClearance = std::numeric_limits<double>::infinity();
    long minClearanceFrame = 0;
    bool clearanceSeen = false;
};
