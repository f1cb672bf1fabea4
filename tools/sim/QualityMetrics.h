#pragma once

#include <limits>
#include <vector>

#include "math/SegmentDistance.h"

// How well the camera kept clear of the bodies and in sight of its target, judged against
// the bodies' true bounding spheres with no clearance added. Worked out in double with the
// segment distance of math/, apart from the planner's length-limited float ray test, so that
// it checks the planner rather than repeats it.
class k_QualityMetrics {
public:
    struct Sphere {
        double x, y, z, radius;
    };
    using Point = k_DoublePoint;

    /// Points spread over the target's sphere for its visible share.
    static constexpr int visibilityPoints = 64;

    /// What one frame showed; visibleShare and hidden mean nothing without a target.
    struct FrameSample {
        long frame = 0;
        bool hasTarget = false;
        double visibleShare = 0.0;
        bool hidden = false;
        bool engulfed = false;
        bool inside = false;
        /// Nearer the target's centre than the band's near edge, or beyond its far edge (see
        /// setRestDistance); never without a target or a band.
        bool nearTarget = false;
        bool farFromTarget = false;
    };

    /// The figures of the frames from some time on (see figures()). Turn rates in degrees
    /// per second; "settled" leaves out the frames within a second after a change of target
    /// or a push of the camera out of a body, where a fast turn is the point.
    struct Figures {
        long frames = 0;
        long framesWithTarget = 0;
        /// Mean over the frames with a target.
        double meanVisibleShare = 0.0;
        long belowHalfFrames = 0;
        long hiddenFrames = 0;
        long engulfedFrames = 0;
        /// Hidden but not engulfed: frames some other viewpoint might have saved.
        long avoidableHiddenFrames = 0;
        long insideFrames = 0;
        /// Runs of consecutive avoidable hidden frames.
        long spells = 0;
        double spellsPerMinute = 0.0;
        double spellP95Seconds = 0.0;
        double longestSpellSeconds = 0.0;
        double pathLength = 0.0;
        double turnRateP99 = 0.0;
        double turnRateMax = 0.0;
        double settledTurnRateP99 = 0.0;
        double settledTurnRateMax = 0.0;
        /// Frames with a target whose camera stood nearer its centre than the band allows,
        /// or beyond the band; 0 without a band.
        long nearFrames = 0;
        long farFrames = 0;
    };

    /// The band of distances from the target's centre that the bound assumes a camera keeps
    /// to, as factors of the rest distance: nearer than half of it the target fills the
    /// view, beyond three times it is small.
    static constexpr double nearFactor = 0.5;
    static constexpr double farFactor = 3.0;

    /// The share of the target's sphere points that face the camera and whose segment from
    /// it passes strictly outside every other body; 0 when none face it (the camera inside
    /// the target, or no target).
    static double visibleShare(const Point& camera, const std::vector<Sphere>& bodies, int target);

    /// The distance from the target's centre at which the camera comes to rest; the frames
    /// from now on count as near or far against the band it gives. 0 (the default) or less:
    /// no band, no frame counts.
    void setRestDistance(double distance) { restDistance = distance; }
    double getRestDistance() const { return restDistance; }
    bool hasBand() const { return restDistance > 0.0; }

    /// One frame: the camera, the bodies, and the index of the target among them (-1 for
    /// none). The target never counts as an obstacle.
    void addFrame(long frame, const Point& camera, const std::vector<Sphere>& bodies, int target);

    /// The camera's motion in one frame: eye and look-at point after it, and the time step.
    /// Adds the way travelled and the turn of the view direction since the previous call.
    void addView(long frame, const Point& eye, const Point& lookAt, double dt);
    /// A frame whose planning step pushed the camera out of a body: its turn may be fast.
    void addPushOut(long frame) { disturbances.push_back(frame); }

    /// The figures of the frames at or after `fromSeconds` (frame * dt), their spells cut
    /// at that time.
    Figures figures(double dt, double fromSeconds = 0.0) const;
    /// The latest frame's sample and turn rate (0 before two views).
    const FrameSample& getLastSample() const { return lastSample; }
    double getLastViewTurnRate() const { return lastTurnRate; }

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
    double restDistance = 0.0;
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
    double lastTurnRate = 0.0;
    struct ViewSample {
        long frame;
        double turnRate;
        double step;
    };
    std::vector<FrameSample> samples;
    std::vector<ViewSample> views;
    /// Frames of target changes and push-outs, in order.
    std::vector<long> disturbances;
    FrameSample lastSample;
    int lastTarget = -1;
    double minClearance = std::numeric_limits<double>::infinity();
    long minClearanceFrame = 0;
    bool clearanceSeen = false;
};
