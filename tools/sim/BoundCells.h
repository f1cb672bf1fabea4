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

    /// Segment tests made since construction: the work classifying takes, counted.
    std::uint64_t getSegmentTests() const { return segmentTests; }

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

    /// Whether one body hides every sample point of `group` from every point of the cube about
    /// q whose half diagonal, or the group's spread if larger, is `shrink`.
    bool groupHidden(std::size_t group, double qx, double qy, double qz, double shrink) const;

    /// Which of `orders` suits an eye at this offset from the target's centre.
    std::size_t orderFor(double x, double y, double z) const;

    static constexpr int orderBins = 8;
    std::vector<std::array<std::uint8_t, 64>> orders;
    // Sample points close together on the target, in a tree: the whole target, four quarters
    // of sixteen, sixteen groups of four. In a crowd one body mostly hides a whole group from
    // a whole small cube, which one test can show. Groups 0-15 are the fours, 16-19 the
    // quarters (each of four fours), 20 the whole.
    static constexpr std::size_t groupSize = 4;
    static constexpr std::size_t groupCount = 64 / groupSize;
    static constexpr std::size_t quarterCount = 4;
    static constexpr std::size_t wholeGroup = groupCount + quarterCount;
    struct SampleGroup {
        /// The mean of the members' directions, and the farthest member from it (on a unit
        /// sphere).
        std::array<double, 3> mean{};
        double spread = 0.0;
    };
    std::array<SampleGroup, wholeGroup + 1> groups;
    std::array<std::array<std::uint8_t, groupSize>, groupCount> groupMembers{};
    std::array<std::uint8_t, groupCount> quarterOf{};
    /// Per bin of `orders`: the fours in the order their first member comes there, and the
    /// quarters in the order their first four comes.
    std::vector<std::array<std::uint8_t, groupCount>> groupOrders;
    std::vector<std::array<std::uint8_t, quarterCount>> quarterOrders;
    mutable std::array<const Body*, wholeGroup + 1> lastGroupBlocker{};
    /// Per group: tries since its test last settled it; a group that keeps failing is tried
    /// only now and then, as neighbouring cubes mostly fare alike.
    mutable std::array<std::uint8_t, wholeGroup + 1> groupMisses{};
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
    mutable std::uint64_t segmentTests = 0;
    mutable std::array<const Body*, 64> lastBlocker{};
    std::vector<std::vector<int>> blockOccluders;
};
