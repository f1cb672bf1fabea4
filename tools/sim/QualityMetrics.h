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

    long getFrames() const { return frames; }
    long getFramesWithTarget() const { return framesWithTarget; }
    long getOccludedFrames() const { return occludedFrames; }
    long getInsideFrames() const { return insideFrames; }
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
    double minClearance = std::numeric_limits<double>::infinity();
    long minClearanceFrame = 0;
    bool clearanceSeen = false;
};
