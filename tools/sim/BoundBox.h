#pragma once

#include <cstddef>

// A box of cells of the world lattice the bound works on: cell (i, j, k) is the cube from
// (i, j, k) * cellSize to (i + 1, j + 1, k + 1) * cellSize. Every frame's grid is such a box, so
// moving from one frame's grid to another's is a whole number of cells: the target's motion adds
// no rounding.
struct k_BoundBox {
    int x0 = 0, y0 = 0, z0 = 0;
    int nx = 0, ny = 0, nz = 0;

    std::size_t size() const {
        return static_cast<std::size_t>(nx) * static_cast<std::size_t>(ny) *
               static_cast<std::size_t>(nz);
    }
    bool contains(int i, int j, int k) const {
        return i >= x0 && j >= y0 && k >= z0 && i < x0 + nx && j < y0 + ny && k < z0 + nz;
    }
    /// Index of lattice cell (i, j, k), which must lie in the box.
    std::size_t index(int i, int j, int k) const {
        return (static_cast<std::size_t>(k - z0) * static_cast<std::size_t>(ny) +
                static_cast<std::size_t>(j - y0)) *
                   static_cast<std::size_t>(nx) +
               static_cast<std::size_t>(i - x0);
    }
    /// The same box grown by `cells` on every side.
    k_BoundBox grown(int cells) const {
        return k_BoundBox{x0 - cells,     y0 - cells,     z0 - cells,
                          nx + 2 * cells, ny + 2 * cells, nz + 2 * cells};
    }
};
