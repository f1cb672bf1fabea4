#pragma once

#include <functional>
#include <vector>

#include "tools/sim/WorldRecording.h"

// How the bound searches; every approximation it makes errs on the camera's side, so that no
// real camera path within the band and the speed limit loses sight of the target less often.
struct k_BoundSettings {
    /// Edge of the target-relative cubic cells; 0 or less: chosen from the rest distance
    /// (see k_VisibilityBound::cellSizeFor).
    double cellSize = 0.0;
    /// The band of admissible viewpoints: no nearer the target's centre than nearFactor * D
    /// and no farther than farFactor * D.
    double nearFactor = 0.5;
    double farFactor = 3.0;
    /// Seconds between the search's moves from cell to cell; the frames in between are
    /// counted as if the camera could be anywhere within its reach.
    double searchStep = 0.1;
    /// The figures "from" this time count the frames with frame * dt at or after it.
    double fromSeconds = 2.0;
};

struct k_BoundResult {
    /// False when the search was stopped before its end: then no figure below holds, and
    /// `framesSearched` says how far it got.
    bool finished = true;
    long framesSearched = 0;
    /// Frames in which no admissible viewpoint sees any of the target's sample points.
    long unavoidableFrames = 0;
    /// The fewest hidden frames of any camera path from the start within the speed limit.
    long reachableHiddenFrames = 0;
    long unavoidableFramesFrom2s = 0;
    long reachableHiddenFramesFrom2s = 0;
    /// Per frame (index frame - 1): whether it is unavoidable, and whether the bound's path
    /// counts it hidden.
    std::vector<bool> unavoidable;
    std::vector<bool> hidden;
    /// One camera position per frame: the path the bound found, looking at the target's
    /// centre (where there is no target, the position held from before).
    std::vector<k_WorldRecording::Point> path;
    /// The settings used, the cell size resolved.
    k_BoundSettings settings;
    double seconds = 0.0;
    /// Largest number of cells of one frame's grid, and the bytes the search held at most.
    long peakCells = 0;
    long peakBytes = 0;
};

class k_VisibilityBound {
public:
    /// `stop` is asked between search steps; once it says yes, the search gives up and the
    /// result is marked unfinished (a bound of a world takes minutes in a crowd).
    static k_BoundResult compute(const k_WorldRecording& recording,
                                 const k_BoundSettings& settings = k_BoundSettings{},
                                 const std::function<bool()>& stop = {});
    /// The cell edge used when the settings leave it to the bound: D / 6, which keeps a 30 s
    /// world of 300 bodies within a minute on one core; D / 8 takes twice as long and, with
    /// its own path, gave nothing tighter on the worlds measured.
    static double cellSizeFor(double restDistance);
};
