#pragma once

#include <cstdint>
#include <vector>

#include "planning/Ray.h"

class k_Artifact;

// A snapshot of the registered bodies for one search, taken when the search starts (the
// bodies do not move while it runs), and a uniform grid over their centres that answers the
// segment test of k_InformationProvider with the same bool while testing only the bodies
// near the segment. The grid is conservative: a body is skipped only when no rounding of
// k_Ray::hits could report it hit, and every body that is tested is tested with k_Ray::hits
// itself. Small scenes are walked in registry order, exactly as the reference does.
// Building reuses its buffers, so a warm grid allocates nothing.
class k_SphereGrid {
public:
    /// Scenes this small are walked, not gridded: a grid would not pay for itself.
    static constexpr std::size_t linearWalkLimit = 24;

    k_SphereGrid();

    /// Takes the centres and enlarged radii of the non-null bodies, in order, and bins them.
    void build(const std::vector<k_Artifact*>& registry);

    /// Same answer as k_InformationProvider::isSegmentBlocked on the snapshot; adds the
    /// number of k_Ray::hits calls to `sphereTests`.
    bool isSegmentBlocked(const k_Ray& segment, const k_Artifact* ignored,
                          std::uint64_t& sphereTests) const;

    std::size_t getBodyCount() const { return bodies.size(); }
    /// Bodies tested by every query: non-finite or far-out data, or too large for a cell.
    std::size_t getAlwaysTestedCount() const { return alwaysTested.size(); }
    bool isGridded() const { return gridded; }

private:
    struct Body {
        k_BoundingSphere sphere;
        const k_Artifact* artifact;
    };

    /// Tests the bodies in order, skipping `ignored`, until one is hit.
    static bool walk(const Body* first, const Body* last, const k_Ray& segment,
                     const k_Artifact* ignored, std::uint64_t& sphereTests);
    static bool walk(const std::vector<Body>& list, const k_Ray& segment, const k_Artifact* ignored,
                     std::uint64_t& sphereTests);
    bool chooseCells(std::size_t griddedCount, double meanRadius);
    int cellCoordinate(double value, int axis) const;

    std::vector<Body> bodies;
    std::vector<Body> alwaysTested;
    /// Gridded bodies ordered by cell; cell c holds cellBodies[cellStart[c] .. cellStart[c+1]).
    std::vector<Body> cellBodies;
    std::vector<std::uint32_t> cellStart;
    std::vector<std::uint32_t> cellOf;
    bool gridded;
    double origin[3];
    double cellSize;
    /// 1 / cellSize: binning and queries multiply by it, the same way, so they agree.
    double cellsPerUnit;
    int cells[3];
    /// Largest enlarged radius among the gridded bodies.
    double largestRadius;
};
