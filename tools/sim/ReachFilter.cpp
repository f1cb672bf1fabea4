#include "tools/sim/ReachFilter.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// How far the filter reaches along an axis: four of the six face diagonals and all four body
// diagonals move along each axis.
int extentOf(int axis, int face, int body) {
    return axis + 4 * face + 4 * body;
}

// Whether offset n is one the camera must be able to reach.
bool needed(int x, int y, int z, double radius, bool cubes) {
    const auto gap = [&](int n) { return cubes ? std::max(std::abs(n) - 1, 0) : std::abs(n); };
    const double squared = static_cast<double>(gap(x)) * gap(x) +
                           static_cast<double>(gap(y)) * gap(y) +
                           static_cast<double>(gap(z)) * gap(z);
    return squared <= radius * radius;
}

} // namespace

k_ReachFilter::k_ReachFilter(double radiusCells, bool cubesValue)
    : radius(std::max(radiusCells, 0.0)), cubes(cubesValue) {
    // Of the combinations that reach no farther along an axis than needed (or one cell more),
    // keep the one that reaches the fewest offsets yet every one needed: checked on the lattice
    // itself, since a zonotope containing the ball need not have every lattice point of it as
    // a sum of its whole steps. The cube (axes only) always qualifies.
    const int top = static_cast<int>(std::floor(radius)) + (cubes ? 1 : 0);
    axisSteps = std::max(top, cubes ? 1 : 0);
    long fewest = std::numeric_limits<long>::max();
    for (int face = 0; 4 * face <= top; ++face) {
        for (int body = 0; 4 * face + 4 * body <= top; ++body) {
            for (int axis = std::max(cubes ? 1 : 0, top - 4 * face - 4 * body);
                 axis <= top + 1 - 4 * face - 4 * body; ++axis) {
                long reached = 0;
                if (holdsNeeded(axis, face, body, reached) && reached < fewest) {
                    fewest = reached;
                    axisSteps = axis;
                    faceSteps = face;
                    bodySteps = body;
                }
            }
        }
    }
    reachedCount = fewest;
    reach = extentOf(axisSteps, faceSteps, bodySteps);
    // Keep the table of offsets reached for tracing a path back.
    long unused = 0;
    holdsNeeded(axisSteps, faceSteps, bodySteps, unused);
}

bool k_ReachFilter::holdsNeeded(int axis, int face, int body, long& reached) {
    const int e = extentOf(axis, face, body);
    const k_BoundBox box{-e, -e, -e, 2 * e + 1, 2 * e + 1, 2 * e + 1};
    std::vector<std::int32_t> values(box.size(), unreachable);
    values[box.index(0, 0, 0)] = 0;
    erodeWith(values, box, axis, face, body);
    reached = 0;
    long need = 0;
    bool holds = true;
    reachedTable.assign(box.size(), 0);
    for (int z = -e; z <= e; ++z) {
        for (int y = -e; y <= e; ++y) {
            for (int x = -e; x <= e; ++x) {
                const bool in = values[box.index(x, y, z)] == 0;
                reachedTable[box.index(x, y, z)] = in ? 1 : 0;
                reached += in ? 1 : 0;
                if (needed(x, y, z, radius, cubes)) {
                    ++need;
                    holds = holds && in;
                }
            }
        }
    }
    // Offsets beyond the extent are needed too when the radius reaches past it.
    const int top = static_cast<int>(std::floor(radius)) + (cubes ? 1 : 0);
    if (top > e) {
        holds = false;
    }
    neededCount = need;
    return holds;
}

bool k_ReachFilter::reaches(int x, int y, int z) const {
    const k_BoundBox box{-reach, -reach, -reach, 2 * reach + 1, 2 * reach + 1, 2 * reach + 1};
    return box.contains(x, y, z) && reachedTable[box.index(x, y, z)] != 0;
}

void k_ReachFilter::erode(std::vector<std::int32_t>& values, const k_BoundBox& box) {
    erodeWith(values, box, axisSteps, faceSteps, bodySteps);
}

void k_ReachFilter::erodeWith(std::vector<std::int32_t>& values, const k_BoundBox& box, int axis,
                              int face, int body) {
    slide(values, box, 1, 0, 0, axis);
    slide(values, box, 0, 1, 0, axis);
    slide(values, box, 0, 0, 1, axis);
    if (face > 0) {
        slide(values, box, 1, 1, 0, face);
        slide(values, box, 1, -1, 0, face);
        slide(values, box, 1, 0, 1, face);
        slide(values, box, 1, 0, -1, face);
        slide(values, box, 0, 1, 1, face);
        slide(values, box, 0, 1, -1, face);
    }
    if (body > 0) {
        slide(values, box, 1, 1, 1, body);
        slide(values, box, 1, 1, -1, body);
        slide(values, box, 1, -1, 1, body);
        slide(values, box, 1, -1, -1, body);
    }
}

// Sliding minimum over 2 * steps + 1 cells along every line of direction (dx, dy, dz) through the
// box, by the blockwise prefix and suffix minima (three comparisons a cell, whatever the width).
void k_ReachFilter::slide(std::vector<std::int32_t>& values, const k_BoundBox& box, int dx, int dy,
                          int dz, int steps) {
    if (steps <= 0) {
        return;
    }
    const int width = 2 * steps + 1;
    const auto inside = [&](int i, int j, int k) {
        return i >= 0 && j >= 0 && k >= 0 && i < box.nx && j < box.ny && k < box.nz;
    };
    const long stride = (static_cast<long>(dz) * box.ny + dy) * box.nx + dx;
    for (int k = 0; k < box.nz; ++k) {
        for (int j = 0; j < box.ny; ++j) {
            for (int i = 0; i < box.nx; ++i) {
                if (inside(i - dx, j - dy, k - dz)) {
                    continue; // not the first cell of its line
                }
                int n = 0;
                while (inside(i + n * dx, j + n * dy, k + n * dz)) {
                    ++n;
                }
                std::int32_t* first =
                    values.data() + (static_cast<long>(k) * box.ny + j) * box.nx + i;
                // The line padded with `steps` unreachable cells at both ends, in whole blocks.
                const int padded = n + 2 * steps;
                const int blocks = (padded + width - 1) / width;
                const int length = blocks * width;
                line.assign(static_cast<std::size_t>(length), unreachable);
                for (int q = 0; q < n; ++q) {
                    line[static_cast<std::size_t>(q + steps)] = first[q * stride];
                }
                prefix.resize(static_cast<std::size_t>(length));
                suffix.resize(static_cast<std::size_t>(length));
                for (int start = 0; start < length; start += width) {
                    prefix[static_cast<std::size_t>(start)] = line[static_cast<std::size_t>(start)];
                    for (int q = start + 1; q < start + width; ++q) {
                        prefix[static_cast<std::size_t>(q)] =
                            std::min(prefix[static_cast<std::size_t>(q - 1)],
                                     line[static_cast<std::size_t>(q)]);
                    }
                    const int last = start + width - 1;
                    suffix[static_cast<std::size_t>(last)] = line[static_cast<std::size_t>(last)];
                    for (int q = last - 1; q >= start; --q) {
                        suffix[static_cast<std::size_t>(q)] =
                            std::min(suffix[static_cast<std::size_t>(q + 1)],
                                     line[static_cast<std::size_t>(q)]);
                    }
                }
                for (int q = 0; q < n; ++q) {
                    // The window of cell q is padded cells q .. q + 2 * steps.
                    first[q * stride] = std::min(suffix[static_cast<std::size_t>(q)],
                                                 prefix[static_cast<std::size_t>(q + 2 * steps)]);
                }
            }
        }
    }
}
