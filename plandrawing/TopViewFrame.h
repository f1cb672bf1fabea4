#pragma once

struct k_PlanSnapshot;

// Where the plan overlay's top view looks and how far it sees, kept steady from frame to frame:
// the half-width moves in steps of 1, 2 and 5 times a power of ten, widening at once when the
// plan no longer fits but narrowing only after the plan has stayed well inside a smaller step
// for a while; the centre glides after the plan's middle with a time constant of scene time,
// so a picture every frame and one every tenth frame see the same motion. Pure arithmetic:
// whoever completes the plan snapshot frames it after every step, and the overlay draws with
// the snapshot's copy.
class k_TopViewFrame {
public:
    /// The plan's smallest and largest x and z, in world units.
    struct Extent {
        double lowX, lowZ, highX, highZ;
    };

    /// The plan fills at most this share of the half-width (it is padded by the rest).
    static constexpr double fill = 0.7;
    /// A smaller step is taken only when the plan fits it at this share of `fill` ...
    static constexpr double narrowFill = 0.8;
    /// ... for this many seconds of scene time in a row.
    static constexpr double narrowDelay = 1.5;
    /// The centre closes this share of its distance to the plan's middle per e-fold time.
    static constexpr double glideSeconds = 0.4;
    /// The half-width never drops below this, so a short plan still shows its surroundings.
    static constexpr double leastHalfWidth = 10.0;

    /// What the top view must hold of `plan`: the eye, the target's sphere, the route's
    /// points and the spheres that shaped it; what is not finite is left out, and nothing
    /// finite leaves the extent empty (infinite bounds, low above high).
    static Extent extentOf(const k_PlanSnapshot& plan);

    /// Frames `extent` at scene time `time`. The first call, a call after the scene time went
    /// back (a new scene) and a call with a non-finite extent start afresh: centred on the
    /// plan (the origin when nothing is finite), in the smallest step that holds it.
    void frame(const Extent& extent, double time);

    double getCenterX() const { return centerX; }
    double getCenterZ() const { return centerZ; }
    double getHalfWidth() const { return halfWidth; }

    /// The smallest of 1, 2, 5 times a power of ten that is at least `value` (positive).
    static double stepAtLeast(double value);
    /// The largest of 1, 2, 5 times a power of ten that is at most `value` (positive): the
    /// length of a scale bar.
    static double stepAtMost(double value);

private:
    bool framed = false;
    double lastTime = 0.0;
    double centerX = 0.0;
    double centerZ = 0.0;
    double halfWidth = leastHalfWidth;
    /// Scene time since the plan first fitted a smaller step, or -1 while it does not.
    double narrowSince = -1.0;
};
