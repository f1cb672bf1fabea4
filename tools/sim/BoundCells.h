#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "tools/sim/BoundBox.h"
#include "tools/sim/WorldRecording.h"

// One frame's cells for the bound: which could hold an admissible viewpoint and which could
// see some sample point of the target from somewhere inside. Both err towards yes: a cell is
// ruled out only when no point of it can qualify, so every real viewpoint that qualifies lies
// in a cell marked so.
class k_BoundCells {
public:
    /// clearCenter: the cell's centre itself is an admissible viewpoint that sees some sample
    /// point; the search prefers such cells among equally good ways, so that the path it
    /// reports sees as it claims.
    enum : std::uint8_t { admissible = 1, visible = 2, clearCenter = 4 };

    struct Band {
        double inner = 0.0;
        double outer = 0.0;
    };

    /// `refinement`: how many times a cell whose answer depends on where in it the camera is
    /// gets split in eight to decide; each split halves the slack of the test.
    k_BoundCells(double cellSize, double margin, int refinement);

    /// Flags for the cells of `box` (index order of the box): admissible, and visible (only
    /// ever with admissible).
    void classify(const std::vector<k_WorldRecording::Sphere>& bodies, int target, const Band& band,
                  const k_BoundBox& box, std::vector<std::uint8_t>& flags);

    /// The lattice box that holds every cell of the band about `center`.
    k_BoundBox boxAround(const k_WorldRecording::Point& center, double outer) const;

private:
    struct Body {
        double x, y, z, r;
    };
    /// 0: no point of the cube sees; 1: some point could; 2: its centre does.
    int visibleFrom(double qx, double qy, double qz, double halfEdge, int depth) const;
    void markAdmissible(const Band& band, const k_BoundBox& box,
                        std::vector<std::uint8_t>& flags) const;

    /// Which of `orders` suits an eye at this offset from the target's centre.
    std::size_t orderFor(double x, double y, double z) const;

    static constexpr int orderBins = 8;
    std::vector<std::array<std::uint8_t, 64>> orders;
    double cellSize;
    double margin;
    int refinement;
    double coverCos;
    std::array<std::array<double, 3>, 64> directions;
    std::array<double, 64> directionL1;
    // The frame being classified.
    Body center{0, 0, 0, 0};
    std::vector<Body> bodies;
    std::vector<Body> occluders;
    std::vector<const Body*> candidates;
    double largestCandidate = 0.0;
    mutable std::uint8_t lastSeen = 0;
    mutable std::array<const Body*, 64> lastBlocker{};
    std::vector<std::vector<int>> blockOccluders;
};
