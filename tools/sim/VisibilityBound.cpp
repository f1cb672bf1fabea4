#include "tools/sim/VisibilityBound.h"

#include <algorithm>
#include <bitset>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <limits>

#include "math/Constants.h"
#include "planning/VisibleShare.h"
#include "tools/sim/BoundCells.h"
#include "tools/sim/DistanceTransform.h"
#include "tools/sim/ReachFilter.h"

namespace {

using Sphere = k_WorldRecording::Sphere;
using Point = k_WorldRecording::Point;
using Mask = std::uint16_t;

constexpr std::int32_t unreachable = k_ReachFilter::unreachable;
constexpr int longestWindow = 16;

double asFloat(double value) {
    return static_cast<double>(static_cast<float>(value));
}

int bitsOf(Mask mask) {
    return static_cast<int>(std::bitset<16>(mask).count());
}

std::int32_t plus(std::int32_t cost, int frames) {
    return cost >= unreachable ? unreachable : cost + frames;
}

// True when every sample point of the target lies strictly inside some other body: each sight
// line then starts inside that body, so no viewpoint anywhere sees any of them.
bool buried(const std::vector<Sphere>& bodies, int target) {
    const Sphere& t = bodies[static_cast<std::size_t>(target)];
    const double cx = asFloat(t.x), cy = asFloat(t.y), cz = asFloat(t.z), r = asFloat(t.radius);
    for (int k = 0; k < k_VisibleShare::samplePoints; ++k) {
        const auto direction = k_VisibleShare::sampleDirection(k);
        const double px = cx + r * direction[0], py = cy + r * direction[1],
                     pz = cz + r * direction[2];
        bool inside = false;
        for (std::size_t i = 0; i < bodies.size() && !inside; ++i) {
            if (i == static_cast<std::size_t>(target)) {
                continue;
            }
            const double dx = px - asFloat(bodies[i].x), dy = py - asFloat(bodies[i].y),
                         dz = pz - asFloat(bodies[i].z), br = asFloat(bodies[i].radius);
            inside = dx * dx + dy * dy + dz * dz < br * br;
        }
        if (!inside) {
            return false;
        }
    }
    return true;
}

// What the search needs of one frame: the band it judges it by. A frame without a target keeps
// the band of the nearest frame with one, so the grid has somewhere to be.
struct FrameBand {
    bool hasTarget = false;
    bool buried = false;
    Point center{0.0, 0.0, 0.0};
    k_BoundCells::Band band;
    k_BoundBox box;
};

bool outsideEveryBody(const Point& q, const std::vector<Sphere>& bodies, double margin) {
    for (const Sphere& body : bodies) {
        const double dx = q.x - body.x, dy = q.y - body.y, dz = q.z - body.z;
        const double reach = body.radius + margin;
        if (dx * dx + dy * dy + dz * dz < reach * reach) {
            return false;
        }
    }
    return true;
}

double distanceOf(const Point& a, const Point& b) {
    return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) +
                     (a.z - b.z) * (a.z - b.z));
}

// The first frame whose band the camera can surely reach from its start in time: a real
// admissible point is found within reach (the nearest point of the band towards the start, or
// one of a spread of points over the band). Finding it late only frees more frames, which errs
// on the camera's side.
long firstReachableFrame(const k_WorldRecording& recording, const std::vector<FrameBand>& bands) {
    const double golden = pi * (3.0 - std::sqrt(5.0));
    const Point& start = recording.cameraStart;
    for (std::size_t i = 0; i < bands.size(); ++i) {
        const FrameBand& frame = bands[i];
        if (!frame.hasTarget) {
            continue;
        }
        const double reach = recording.maxSpeed * static_cast<double>(i + 1) * recording.dt;
        const double away = distanceOf(start, frame.center);
        if (away - frame.band.outer > reach) {
            continue;
        }
        const std::vector<Sphere>& bodies = recording.frames[i].bodies;
        const double along = std::clamp(away, frame.band.inner, frame.band.outer);
        Point nearest = frame.center;
        if (away > 0.0) {
            nearest = Point{frame.center.x + (start.x - frame.center.x) * along / away,
                            frame.center.y + (start.y - frame.center.y) * along / away,
                            frame.center.z + (start.z - frame.center.z) * along / away};
        } else {
            nearest.x += along;
        }
        if (distanceOf(start, nearest) <= reach &&
            outsideEveryBody(nearest, bodies, recording.margin)) {
            return static_cast<long>(i + 1);
        }
        const int probes = 256;
        for (const double radius :
             {frame.band.inner, 0.5 * (frame.band.inner + frame.band.outer), frame.band.outer}) {
            for (int p = 0; p < probes; ++p) {
                const double y = 1.0 - 2.0 * (p + 0.5) / probes;
                const double ring = std::sqrt(1.0 - y * y);
                const Point q{frame.center.x + radius * ring * std::cos(p * golden),
                              frame.center.y + radius * y,
                              frame.center.z + radius * ring * std::sin(p * golden)};
                if (distanceOf(start, q) <= reach &&
                    outsideEveryBody(q, bodies, recording.margin)) {
                    return static_cast<long>(i + 1);
                }
            }
        }
    }
    return static_cast<long>(bands.size()) + 1;
}

// Cells of `box` marked 0 where some cell within one step along every axis (the cubes touching
// or overlapping) is visible, `far` elsewhere, on `grown` (which holds `box`).
void nearVisible(const std::vector<std::uint8_t>& flags, const k_BoundBox& box,
                 const k_BoundBox& grown, std::vector<std::int32_t>& field) {
    field.assign(grown.size(), k_DistanceTransform::far);
    for (int k = 0; k < box.nz; ++k) {
        for (int j = 0; j < box.ny; ++j) {
            for (int i = 0; i < box.nx; ++i) {
                if (flags[static_cast<std::size_t>((k * box.ny + j) * box.nx + i)] &
                    k_BoundCells::visible) {
                    field[grown.index(box.x0 + i, box.y0 + j, box.z0 + k)] = 0;
                }
            }
        }
    }
    // Three passes of a three-cell minimum, one along each axis.
    const long sx = 1, sy = grown.nx, sz = static_cast<long>(grown.nx) * grown.ny;
    const auto pass = [&](long stride, int n, long outerStride, int outer, long innerStride,
                          int inner) {
        for (int a = 0; a < outer; ++a) {
            for (int c = 0; c < inner; ++c) {
                std::int32_t* first = field.data() + a * outerStride + c * innerStride;
                std::int32_t previous = k_DistanceTransform::far;
                for (int q = 0; q < n; ++q) {
                    const std::int32_t here = first[q * stride];
                    const std::int32_t after =
                        q + 1 < n ? first[(q + 1) * stride] : k_DistanceTransform::far;
                    first[q * stride] = std::min(std::min(previous, here), after);
                    previous = here;
                }
            }
        }
    };
    pass(sx, grown.nx, sz, grown.nz, sy, grown.ny);
    pass(sy, grown.ny, sz, grown.nz, sx, grown.nx);
    pass(sz, grown.nz, sy, grown.ny, sx, grown.nx);
}

// Sets `bit` for every cell of `cells` whose centre is not a clear viewpoint in the frame
// classified on `box`.
void markUnclear(const std::vector<std::uint8_t>& flags, const k_BoundBox& box,
                 const k_BoundBox& cells, Mask bit, std::vector<Mask>& masks) {
    std::size_t n = 0;
    for (int k = cells.z0; k < cells.z0 + cells.nz; ++k) {
        for (int j = cells.y0; j < cells.y0 + cells.ny; ++j) {
            for (int i = cells.x0; i < cells.x0 + cells.nx; ++i, ++n) {
                if (!box.contains(i, j, k) ||
                    (flags[box.index(i, j, k)] & k_BoundCells::clearCenter) == 0) {
                    masks[n] |= bit;
                }
            }
        }
    }
}

// For every cell of `cells`, whether no visible cell lies within `radius` cells of it: set
// `bit` in its mask then.
void markFar(const std::vector<std::int32_t>& squared, const k_BoundBox& grown,
             const k_BoundBox& cells, double radius, Mask bit, std::vector<Mask>& masks) {
    const double limit = radius * radius;
    std::size_t n = 0;
    for (int k = cells.z0; k < cells.z0 + cells.nz; ++k) {
        for (int j = cells.y0; j < cells.y0 + cells.ny; ++j) {
            for (int i = cells.x0; i < cells.x0 + cells.nx; ++i, ++n) {
                const bool near = grown.contains(i, j, k) && squared[grown.index(i, j, k)] <= limit;
                if (!near) {
                    masks[n] |= bit;
                }
            }
        }
    }
}

double boxDistance(const Point& p, const k_BoundBox& box, std::size_t index, double cellSize) {
    const int i = static_cast<int>(index % static_cast<std::size_t>(box.nx));
    const int j = static_cast<int>((index / static_cast<std::size_t>(box.nx)) %
                                   static_cast<std::size_t>(box.ny));
    const int k = static_cast<int>(index / (static_cast<std::size_t>(box.nx) * box.ny));
    const auto gap = [&](double v, int cell) {
        const double low = cell * cellSize, high = (cell + 1) * cellSize;
        return v < low ? low - v : (v > high ? v - high : 0.0);
    };
    const double gx = gap(p.x, box.x0 + i), gy = gap(p.y, box.y0 + j), gz = gap(p.z, box.z0 + k);
    return std::sqrt(gx * gx + gy * gy + gz * gz);
}

Point cellCenter(const k_BoundBox& box, std::size_t index, double cellSize) {
    const int i = static_cast<int>(index % static_cast<std::size_t>(box.nx));
    const int j = static_cast<int>((index / static_cast<std::size_t>(box.nx)) %
                                   static_cast<std::size_t>(box.ny));
    const int k = static_cast<int>(index / (static_cast<std::size_t>(box.nx) * box.ny));
    return Point{(box.x0 + i + 0.5) * cellSize, (box.y0 + j + 0.5) * cellSize,
                 (box.z0 + k + 0.5) * cellSize};
}

// One step of the search over a window: the window's frames judged from the cell the camera
// starts it in (startMasks) or ends it in (endMasks), or as out of the band (outsideMask).
struct WindowStep {
    k_BoundBox startBox;
    k_BoundBox endBox;
    int frames = 0;
    std::vector<Mask> startMasks;
    std::vector<Mask> endMasks;
    /// End cells the camera may be in coming from its start before it was ever in a grid
    /// (within reach of the start), and coming back from beyond the grids (within reach of
    /// the outside of the start's grid).
    std::vector<char> enterable;
    std::vector<char> returnable;
    /// Frames (as in the masks) in which the cell's centre is not itself a clear viewpoint:
    /// the start cell's over the window's first half, the end cell's over its second.
    std::vector<Mask> startSoft;
    std::vector<Mask> endSoft;
    Mask firstHalf = 0;
    Mask outsideMask = 0;
};

// The least cost at a window's boundary: in each cell of the grid, before the camera was ever
// in one (it starts out of the band), and after it left them all.
struct Costs {
    std::vector<std::int32_t> cells;
    std::int32_t before = unreachable;
    std::int32_t after = unreachable;
};

// Frames hidden when the camera leaves the grid in the window (hidden by `inside` until it
// goes, by `outside` from then on) or enters it (the other way round), at the best frame for it.
Mask leaving(Mask inside, Mask outside, int frames) {
    Mask best = outside;
    for (int g = 1; g < frames; ++g) {
        const Mask below = static_cast<Mask>((1u << g) - 1u);
        const Mask hidden = static_cast<Mask>((inside & below) | (outside & ~below));
        if (bitsOf(hidden) < bitsOf(best)) {
            best = hidden;
        }
    }
    return best;
}

Mask entering(Mask outside, Mask inside, int frames) {
    Mask best = inside;
    for (int g = 1; g < frames; ++g) {
        const Mask below = static_cast<Mask>((1u << g) - 1u);
        const Mask hidden = static_cast<Mask>((outside & below) | (inside & ~below));
        if (bitsOf(hidden) < bitsOf(best)) {
            best = hidden;
        }
    }
    return best;
}

// Least costs at the end of a window from those at its start; `counted` keeps only the frames
// a figure counts. A hidden frame costs `weight`; with `soft`, each frame whose cell's centre
// is not clear costs 1 more, which (weight exceeding the frames) only breaks ties: of equally
// good ways the search keeps to the one whose cells see from their centres, and (`centres`)
// whose centres are no farther apart than the camera can go: a move that needs the cells' size
// to be made in time costs 1 more too.
void advance(const WindowStep& step, Mask counted, int weight, bool soft, k_ReachFilter& filter,
             k_ReachFilter* centres, const Costs& cost, Costs& next,
             std::vector<std::int32_t>& work, std::vector<std::int32_t>& spare) {
    const Mask startBits = step.firstHalf & counted;
    const Mask endBits = static_cast<Mask>(~step.firstHalf) & counted;
    const Mask outsideBits = step.outsideMask & counted;
    const k_BoundBox grown =
        step.startBox.grown(std::max(filter.extent(), centres != nullptr ? centres->extent() : 0));
    work.assign(grown.size(), unreachable);
    next.before = plus(cost.before, weight * bitsOf(outsideBits));
    next.after = plus(cost.after, weight * bitsOf(outsideBits));
    std::size_t n = 0;
    for (int k = step.startBox.z0; k < step.startBox.z0 + step.startBox.nz; ++k) {
        for (int j = step.startBox.y0; j < step.startBox.y0 + step.startBox.ny; ++j) {
            for (int i = step.startBox.x0; i < step.startBox.x0 + step.startBox.nx; ++i, ++n) {
                const std::int32_t here = cost.cells[n];
                if (here >= unreachable) {
                    continue;
                }
                work[grown.index(i, j, k)] =
                    here + weight * bitsOf(step.startMasks[n] & startBits) +
                    (soft ? bitsOf(step.startSoft[n] & step.firstHalf) : 0);
                next.after = std::min(next.after,
                                      here + weight * bitsOf(leaving(step.startMasks[n] & counted,
                                                                     outsideBits, step.frames)));
            }
        }
    }
    if (centres != nullptr) {
        spare = work;
        centres->erode(spare, grown);
    }
    filter.erode(work, grown);
    if (centres != nullptr) {
        for (std::size_t m = 0; m < work.size(); ++m) {
            work[m] = std::min(plus(work[m], 1), spare[m]);
        }
    }
    next.cells.assign(step.endBox.size(), unreachable);
    n = 0;
    for (int k = step.endBox.z0; k < step.endBox.z0 + step.endBox.nz; ++k) {
        for (int j = step.endBox.y0; j < step.endBox.y0 + step.endBox.ny; ++j) {
            for (int i = step.endBox.x0; i < step.endBox.x0 + step.endBox.nx; ++i, ++n) {
                std::int32_t best = unreachable;
                if (grown.contains(i, j, k)) {
                    best = plus(work[grown.index(i, j, k)],
                                weight * bitsOf(step.endMasks[n] & endBits));
                }
                if (step.enterable[n] || step.returnable[n]) {
                    const int entry =
                        weight *
                        bitsOf(entering(outsideBits, step.endMasks[n] & counted, step.frames));
                    if (step.enterable[n]) {
                        best = std::min(best, plus(cost.before, entry));
                    }
                    if (step.returnable[n]) {
                        best = std::min(best, plus(cost.after, entry));
                    }
                }
                next.cells[n] = plus(
                    best, soft ? bitsOf(step.endSoft[n] & static_cast<Mask>(~step.firstHalf)) : 0);
            }
        }
    }
}

// What a search stopped before frame `searched` + 1 reports: no figures, no path.
k_BoundResult unfinished(const k_BoundSettings& settings, long searched,
                         std::chrono::steady_clock::time_point started) {
    k_BoundResult result;
    result.finished = false;
    result.framesSearched = searched;
    result.settings = settings;
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return result;
}

} // namespace

double k_VisibilityBound::cellSizeFor(double restDistance) {
    return restDistance > 0.0 ? restDistance / 6.0 : 1.0;
}

k_BoundResult k_VisibilityBound::compute(const k_WorldRecording& recording,
                                         const k_BoundSettings& settings,
                                         const std::function<bool()>& stop) {
    const auto started = std::chrono::steady_clock::now();
    k_BoundResult result;
    result.settings = settings;
    if (result.settings.cellSize <= 0.0) {
        result.settings.cellSize = cellSizeFor(recording.restDistance);
    }
    const double cellSize = result.settings.cellSize;
    const long frameCount = static_cast<long>(recording.frames.size());
    const double dt = recording.dt;
    const double speed = std::max(recording.maxSpeed, 0.0);
    const int window =
        std::clamp(static_cast<int>(std::lround(result.settings.searchStep / std::max(dt, 1e-12))),
                   1, longestWindow);
    result.settings.searchStep = window * dt;
    result.unavoidable.assign(static_cast<std::size_t>(frameCount), false);
    result.hidden.assign(static_cast<std::size_t>(frameCount), false);
    result.path.assign(static_cast<std::size_t>(frameCount), recording.cameraStart);

    k_BoundCells cells(cellSize, recording.margin, 2);
    std::vector<FrameBand> bands(static_cast<std::size_t>(frameCount));
    for (long f = 0; f < frameCount; ++f) {
        const k_WorldRecording::Frame& frame = recording.frames[static_cast<std::size_t>(f)];
        FrameBand& band = bands[static_cast<std::size_t>(f)];
        band.hasTarget =
            frame.target >= 0 && static_cast<std::size_t>(frame.target) < frame.bodies.size();
        if (!band.hasTarget) {
            continue;
        }
        const Sphere& target = frame.bodies[static_cast<std::size_t>(frame.target)];
        band.center = Point{asFloat(target.x), asFloat(target.y), asFloat(target.z)};
        const double rest = recording.restDistanceOf(frame);
        band.band.inner = result.settings.nearFactor * rest;
        band.band.outer = result.settings.farFactor * rest;
        band.box = cells.boxAround(band.center, band.band.outer);
        band.buried = buried(frame.bodies, frame.target);
    }
    // Frames without a target borrow the band of the nearest earlier one (or later one).
    long lastWithTarget = -1;
    for (long f = 0; f < frameCount; ++f) {
        if (bands[static_cast<std::size_t>(f)].hasTarget) {
            lastWithTarget = f;
        } else if (lastWithTarget >= 0) {
            FrameBand& band = bands[static_cast<std::size_t>(f)];
            const FrameBand& from = bands[static_cast<std::size_t>(lastWithTarget)];
            band.box = from.box;
            band.center = from.center;
            band.band = from.band;
        }
    }
    long nextWithTarget = -1;
    for (long f = frameCount - 1; f >= 0; --f) {
        FrameBand& band = bands[static_cast<std::size_t>(f)];
        if (band.hasTarget) {
            nextWithTarget = f;
        } else if (band.box.size() == 0 && nextWithTarget >= 0) {
            const FrameBand& from = bands[static_cast<std::size_t>(nextWithTarget)];
            band.box = from.box;
            band.center = from.center;
            band.band = from.band;
        }
    }
    if (frameCount == 0 || nextWithTarget < 0) {
        result.framesSearched = frameCount;
        result.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        return result;
    }
    const long firstReach = firstReachableFrame(recording, bands);
    const auto countedFrom = [&](long frame) {
        return static_cast<double>(frame) * dt >= result.settings.fromSeconds - 1e-9;
    };

    const double reachCells = speed * window * dt / cellSize;
    k_ReachFilter filter(reachCells);
    k_ReachFilter centres(reachCells, false);
    std::vector<std::int32_t> spare;
    const int pad = static_cast<int>(std::ceil(reachCells)) + 2;
    k_DistanceTransform transform;
    std::vector<std::uint8_t> flags;
    std::vector<std::int32_t> field;

    const long windows = (frameCount + window - 1) / window;
    // A hidden frame outweighs every tie-break the whole path can add up; in runs so long that
    // the costs would not fit, no tie-breaks.
    const bool soft = frameCount <= 20000;
    const int weight = soft ? static_cast<int>(frameCount) + 1 : 1;
    std::vector<WindowStep> steps(static_cast<std::size_t>(windows));
    // Least hidden frames so far at each window's start; kept for tracing the path back.
    std::vector<Costs> costs(static_cast<std::size_t>(windows) + 1);
    Costs counting, nextCounting;
    std::vector<std::int32_t> work;
    costs[0].before = 0;
    costs[0].cells.assign(bands[0].box.size(), unreachable);
    counting = costs[0];
    long heldBytes = 0;

    for (long w = 0; w < windows; ++w) {
        const long b = w * window;
        const long e = std::min(b + window, frameCount);
        if (stop && stop()) {
            result = unfinished(result.settings, b, started);
            return result;
        }
        WindowStep& step = steps[static_cast<std::size_t>(w)];
        step.frames = static_cast<int>(e - b);
        step.startBox = bands[static_cast<std::size_t>(std::max(b - 1, 0L))].box;
        step.endBox = bands[static_cast<std::size_t>(e - 1)].box;
        step.startMasks.assign(step.startBox.size(), 0);
        step.endMasks.assign(step.endBox.size(), 0);
        step.startSoft.assign(step.startBox.size(), 0);
        step.endSoft.assign(step.endBox.size(), 0);
        for (long f = b + 1; f <= e; ++f) {
            const FrameBand& band = bands[static_cast<std::size_t>(f - 1)];
            const Mask bit = static_cast<Mask>(1u << (f - b - 1));
            if (f - b <= e - f) {
                step.firstHalf |= bit;
            }
            if (!band.hasTarget) {
                continue;
            }
            if (band.buried || f >= firstReach) {
                step.outsideMask |= bit;
            }
            const k_WorldRecording::Frame& frame =
                recording.frames[static_cast<std::size_t>(f - 1)];
            if (band.buried && f != e) {
                result.unavoidable[static_cast<std::size_t>(f - 1)] = true;
                for (Mask& mask : step.startMasks) {
                    mask |= bit;
                }
                for (Mask& mask : step.endMasks) {
                    mask |= bit;
                }
                continue;
            }
            // Tie-breaks: the start cells over the first half, the end cells over the second.
            const bool firstHalf = (step.firstHalf & bit) != 0;
            cells.classify(frame.bodies, frame.target, band.band, band.box, flags);
            markUnclear(flags, band.box, firstHalf ? step.startBox : step.endBox, bit,
                        firstHalf ? step.startSoft : step.endSoft);
            result.peakCells = std::max(result.peakCells, static_cast<long>(band.box.size()));
            const bool anyVisible =
                !band.buried && std::any_of(flags.begin(), flags.end(), [](std::uint8_t flag) {
                    return (flag & k_BoundCells::visible) != 0;
                });
            if (!anyVisible) {
                result.unavoidable[static_cast<std::size_t>(f - 1)] = true;
                for (Mask& mask : step.startMasks) {
                    mask |= bit;
                }
                for (Mask& mask : step.endMasks) {
                    mask |= bit;
                }
                continue;
            }
            const k_BoundBox grown = band.box.grown(pad);
            nearVisible(flags, band.box, grown, field);
            transform.squared(field, grown.nx, grown.ny, grown.nz);
            const double fromStart = speed * (f - b) * dt / cellSize;
            markFar(field, grown, step.startBox, fromStart, bit, step.startMasks);
            if (f == e) {
                for (std::size_t n = 0; n < flags.size(); ++n) {
                    if ((flags[n] & k_BoundCells::visible) == 0) {
                        step.endMasks[n] |= bit;
                    }
                }
            } else {
                markFar(field, grown, step.endBox, speed * (e - f) * dt / cellSize, bit,
                        step.endMasks);
            }
        }
        // Into the grid: anywhere the camera can have got to from its start by now; coming back
        // from beyond the grids, moreover, only where it can be from beyond the start's grid
        // (at least `beyond` from its target's centre then, by the grid's least half width).
        const double reachFromStart = speed * e * dt;
        const double reachInWindow = speed * (e - b) * dt;
        const FrameBand& startBand = bands[static_cast<std::size_t>(std::max(b - 1, 0L))];
        const FrameBand& endBand = bands[static_cast<std::size_t>(e - 1)];
        const k_BoundBox& startBox = step.startBox;
        const double beyond =
            std::min({startBand.center.x - startBox.x0 * cellSize,
                      (startBox.x0 + startBox.nx) * cellSize - startBand.center.x,
                      startBand.center.y - startBox.y0 * cellSize,
                      (startBox.y0 + startBox.ny) * cellSize - startBand.center.y,
                      startBand.center.z - startBox.z0 * cellSize,
                      (startBox.z0 + startBox.nz) * cellSize - startBand.center.z});
        const double returnFrom =
            beyond - reachInWindow - distanceOf(startBand.center, endBand.center);
        step.enterable.assign(step.endBox.size(), 0);
        step.returnable.assign(step.endBox.size(), 0);
        std::size_t n = 0;
        for (int k = step.endBox.z0; k < step.endBox.z0 + step.endBox.nz; ++k) {
            for (int j = step.endBox.y0; j < step.endBox.y0 + step.endBox.ny; ++j) {
                for (int i = step.endBox.x0; i < step.endBox.x0 + step.endBox.nx; ++i, ++n) {
                    step.enterable[n] = boxDistance(recording.cameraStart, step.endBox, n,
                                                    cellSize) <= reachFromStart;
                    const auto farAxis = [&](int cell, double center) {
                        return std::max(std::abs(cell * cellSize - center),
                                        std::abs((cell + 1) * cellSize - center));
                    };
                    const double fx = farAxis(i, endBand.center.x),
                                 fy = farAxis(j, endBand.center.y),
                                 fz = farAxis(k, endBand.center.z);
                    step.returnable[n] =
                        step.enterable[n] && std::sqrt(fx * fx + fy * fy + fz * fz) >= returnFrom;
                }
            }
        }
        Mask counted = 0;
        for (long f = b + 1; f <= e; ++f) {
            if (countedFrom(f)) {
                counted |= static_cast<Mask>(1u << (f - b - 1));
            }
        }
        advance(step, static_cast<Mask>(~0u), weight, soft, filter, soft ? &centres : nullptr,
                costs[static_cast<std::size_t>(w)], costs[static_cast<std::size_t>(w) + 1], work,
                spare);
        advance(step, counted, 1, false, filter, nullptr, counting, nextCounting, work, spare);
        std::swap(counting, nextCounting);
        heldBytes += static_cast<long>(step.startMasks.size() + step.endMasks.size() +
                                       step.startSoft.size() + step.endSoft.size()) *
                         static_cast<long>(sizeof(Mask)) +
                     static_cast<long>(step.enterable.size() + step.returnable.size()) +
                     static_cast<long>(costs[static_cast<std::size_t>(w) + 1].cells.size()) *
                         static_cast<long>(sizeof(std::int32_t));
    }
    result.peakBytes = heldBytes + static_cast<long>(field.size() + work.size() + spare.size()) * 4;

    // The least over the last window's cells and out of the grids.
    constexpr long before = -1;
    constexpr long after = -2;
    const Costs& last = costs.back();
    std::int32_t best = last.before;
    long bestState = before;
    if (last.after < best) {
        best = last.after;
        bestState = after;
    }
    for (std::size_t m = 0; m < last.cells.size(); ++m) {
        if (last.cells[m] < best) {
            best = last.cells[m];
            bestState = static_cast<long>(m);
        }
    }
    std::int32_t bestCounted = std::min(counting.before, counting.after);
    for (const std::int32_t value : counting.cells) {
        bestCounted = std::min(bestCounted, value);
    }
    result.reachableHiddenFrames = best / weight;
    result.reachableHiddenFramesFrom2s = bestCounted;

    // Back along the windows: at each start, a state whose cost explains the cost at the
    // window's end.
    std::vector<long> states(static_cast<std::size_t>(windows) + 1, before);
    states.back() = bestState;
    for (long w = windows - 1; w >= 0; --w) {
        const WindowStep& step = steps[static_cast<std::size_t>(w)];
        const Costs& from = costs[static_cast<std::size_t>(w)];
        const Costs& to = costs[static_cast<std::size_t>(w) + 1];
        const long endState = states[static_cast<std::size_t>(w) + 1];
        long chosen = before;
        if (endState == before) {
            chosen = before;
        } else if (endState == after) {
            chosen = after;
            if (plus(from.after, weight * bitsOf(step.outsideMask)) != to.after) {
                for (std::size_t m = 0; m < from.cells.size(); ++m) {
                    if (plus(from.cells[m],
                             weight * bitsOf(leaving(step.startMasks[m], step.outsideMask,
                                                     step.frames))) == to.after) {
                        chosen = static_cast<long>(m);
                        break;
                    }
                }
            }
        } else {
            const std::size_t end = static_cast<std::size_t>(endState);
            const std::int32_t target = to.cells[end];
            const Mask endBits = static_cast<Mask>(~step.firstHalf);
            const int endSoft = soft ? bitsOf(step.endSoft[end] & endBits) : 0;
            const int endCost = weight * bitsOf(step.endMasks[end] & endBits) + endSoft;
            const int i = step.endBox.x0 + static_cast<int>(end % step.endBox.nx);
            const int j =
                step.endBox.y0 + static_cast<int>((end / step.endBox.nx) % step.endBox.ny);
            const int k =
                step.endBox.z0 +
                static_cast<int>(end / (static_cast<std::size_t>(step.endBox.nx) * step.endBox.ny));
            const int reach = std::max(filter.extent(), centres.extent());
            bool found = false;
            for (int z = k - reach; z <= k + reach && !found; ++z) {
                for (int y = j - reach; y <= j + reach && !found; ++y) {
                    for (int x = i - reach; x <= i + reach && !found; ++x) {
                        const bool near = soft && centres.reaches(i - x, j - y, k - z);
                        const bool far = filter.reaches(i - x, j - y, k - z);
                        if (!step.startBox.contains(x, y, z) || (!near && !far)) {
                            continue;
                        }
                        const std::size_t m = step.startBox.index(x, y, z);
                        const int startCost =
                            weight * bitsOf(step.startMasks[m] & step.firstHalf) +
                            (soft ? bitsOf(step.startSoft[m] & step.firstHalf) : 0);
                        const std::int32_t through = plus(from.cells[m], startCost + endCost);
                        if ((near && through == target) ||
                            (far && plus(through, soft ? 1 : 0) == target)) {
                            chosen = static_cast<long>(m);
                            found = true;
                        }
                    }
                }
            }
            if (!found) {
                const int entry =
                    weight * bitsOf(entering(step.outsideMask, step.endMasks[end], step.frames)) +
                    endSoft;
                chosen = step.returnable[end] && plus(from.after, entry) == target ? after : before;
            }
        }
        states[static_cast<std::size_t>(w)] = chosen;
    }

    // The path: boundaries at the chosen cells' centres, straight between them, followed at no
    // more than the top speed; out of the band the camera holds where it is. Where the bound
    // counts a frame seen but that way does not see, the step goes instead to the point within
    // the frame's reach, nearest the way, that does.
    const auto seesFrom = [&](const Point& eye, long f) {
        const k_WorldRecording::Frame& frame = recording.frames[static_cast<std::size_t>(f - 1)];
        const FrameBand& band = bands[static_cast<std::size_t>(f - 1)];
        const double away = distanceOf(eye, band.center);
        return away >= band.band.inner && away <= band.band.outer &&
               outsideEveryBody(eye, frame.bodies, recording.margin) &&
               k_QualityMetrics::visibleShare(eye, frame.bodies, frame.target) > 0.0;
    };
    std::vector<Point> detours;
    for (int z = -1; z <= 1; ++z) {
        for (int y = -1; y <= 1; ++y) {
            for (int x = -1; x <= 1; ++x) {
                const double length = std::sqrt(static_cast<double>(x * x + y * y + z * z));
                if (length > 0.0) {
                    for (const double scale : {1.0, 0.5}) {
                        detours.push_back(
                            Point{x / length * scale, y / length * scale, z / length * scale});
                    }
                }
            }
        }
    }
    Point held = recording.cameraStart;
    Point position = recording.cameraStart;
    for (long w = 0; w < windows; ++w) {
        const WindowStep& step = steps[static_cast<std::size_t>(w)];
        const long b = w * window;
        const long e = std::min(b + window, frameCount);
        const long from = states[static_cast<std::size_t>(w)];
        const long to = states[static_cast<std::size_t>(w) + 1];
        const Point begin =
            from >= 0 ? cellCenter(step.startBox, static_cast<std::size_t>(from), cellSize) : held;
        const Point end =
            to >= 0 ? cellCenter(step.endBox, static_cast<std::size_t>(to), cellSize) : begin;
        Mask hiddenBits = step.outsideMask;
        if (from >= 0 && to >= 0) {
            hiddenBits = static_cast<Mask>(
                (step.startMasks[static_cast<std::size_t>(from)] & step.firstHalf) |
                (step.endMasks[static_cast<std::size_t>(to)] & static_cast<Mask>(~step.firstHalf)));
        } else if (to >= 0) {
            hiddenBits = entering(step.outsideMask, step.endMasks[static_cast<std::size_t>(to)],
                                  step.frames);
        } else if (from >= 0) {
            hiddenBits = leaving(step.startMasks[static_cast<std::size_t>(from)], step.outsideMask,
                                 step.frames);
        }
        for (long f = b + 1; f <= e; ++f) {
            const double share = static_cast<double>(f - b) / static_cast<double>(e - b);
            const Point wanted{begin.x + (end.x - begin.x) * share,
                               begin.y + (end.y - begin.y) * share,
                               begin.z + (end.z - begin.z) * share};
            const double stepLength = speed * dt;
            const bool countedSeen = ((hiddenBits >> (f - b - 1)) & 1u) == 0;
            const bool search =
                countedSeen && bands[static_cast<std::size_t>(f - 1)].hasTarget && f >= firstReach;
            // Where the way does not see, aim at the nearest point about it that does (out to
            // two cells): the edge of the shadow the camera is in, as it moves.
            Point aim = wanted;
            if (search && !seesFrom(wanted, f)) {
                bool found = false;
                for (const double radius : {0.5, 1.0, 1.5, 2.0}) {
                    for (const Point& detour : detours) {
                        const Point q{wanted.x + detour.x * radius * cellSize,
                                      wanted.y + detour.y * radius * cellSize,
                                      wanted.z + detour.z * radius * cellSize};
                        if (seesFrom(q, f)) {
                            aim = q;
                            found = true;
                            break;
                        }
                    }
                    if (found) {
                        break;
                    }
                }
            }
            const double gap = distanceOf(position, aim);
            Point next = aim;
            if (gap > stepLength) {
                next = Point{position.x + (aim.x - position.x) * stepLength / gap,
                             position.y + (aim.y - position.y) * stepLength / gap,
                             position.z + (aim.z - position.z) * stepLength / gap};
            }
            if (search && !seesFrom(next, f)) {
                double nearest = std::numeric_limits<double>::infinity();
                for (const Point& detour : detours) {
                    const Point q{position.x + detour.x * stepLength,
                                  position.y + detour.y * stepLength,
                                  position.z + detour.z * stepLength};
                    const double off = distanceOf(q, aim);
                    if (off < nearest && seesFrom(q, f)) {
                        nearest = off;
                        next = q;
                    }
                }
            }
            position = next;
            result.path[static_cast<std::size_t>(f - 1)] = position;
            result.hidden[static_cast<std::size_t>(f - 1)] = (hiddenBits >> (f - b - 1)) & 1u;
        }
        held = end;
    }

    for (long f = 1; f <= frameCount; ++f) {
        const bool lost = result.unavoidable[static_cast<std::size_t>(f - 1)];
        result.unavoidableFrames += lost ? 1 : 0;
        result.unavoidableFramesFrom2s += lost && countedFrom(f) ? 1 : 0;
    }
    result.framesSearched = frameCount;
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return result;
}
