#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "tools/sim/BoundBox.h"

// Where a camera can get to between two steps of the bound's search: from any point of one cell
// to any point of another no more than `radius` cells away. Two cells are that close when their
// offset n has |(|n| - 1)+| <= radius (the cubes' own size counts). The least value over that set
// of offsets is taken as a chain of sliding minima along the thirteen lattice directions (axes,
// face and body diagonals): their sum is a zonotope, chosen as the smallest found that holds every
// offset needed, so the filter can only let the camera reach more, never less.
class k_ReachFilter {
public:
    /// `cubes`: the offsets between whole cells (as above); without, between the cells' centres
    /// only (|n| <= radius).
    explicit k_ReachFilter(double radius, bool cubes = true);

    /// Replaces every value of the box's cells by the least within reach; cells beyond the box
    /// count as unreachable, so give the box room for the whole reach around the cells of
    /// interest (extent()).
    void erode(std::vector<std::int32_t>& values, const k_BoundBox& box);
    /// How far (in cells, along any axis) the filter reaches.
    int extent() const { return reach; }
    /// True when the filter reaches from offset (0, 0, 0) to offset n.
    bool reaches(int x, int y, int z) const;
    /// Number of offsets reached, and of those a ball-exact filter would reach: how loose it is.
    long reachedOffsets() const { return reachedCount; }
    long neededOffsets() const { return neededCount; }
    /// Steps along axes, face diagonals and body diagonals.
    std::array<int, 3> steps() const { return {axisSteps, faceSteps, bodySteps}; }

    static constexpr std::int32_t unreachable = 1 << 29;

private:
    void slide(std::vector<std::int32_t>& values, const k_BoundBox& box, int dx, int dy, int dz,
               int steps);
    void erodeWith(std::vector<std::int32_t>& values, const k_BoundBox& box, int axis, int face,
                   int body);
    bool holdsNeeded(int axis, int face, int body, long& reached);

    double radius;
    bool cubes;
    int axisSteps = 1;
    int faceSteps = 0;
    int bodySteps = 0;
    int reach = 1;
    long reachedCount = 0;
    long neededCount = 0;
    std::vector<char> reachedTable;
    std::vector<std::int32_t> line;
    std::vector<std::int32_t> prefix;
    std::vector<std::int32_t> suffix;
};
