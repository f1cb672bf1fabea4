#pragma once

#include <cstdint>
#include <vector>

// Exact squared Euclidean distances on a grid, in cells: every value becomes the least of
// value(j) + |i - j|^2 over the grid's cells j. Given 0 on marked cells and `far` elsewhere, that
// is the squared distance to the nearest marked cell (or `far` where none is marked). Separable
// lower envelopes of parabolas, linear in the cells.
class k_DistanceTransform {
public:
    static constexpr std::int32_t far = 1 << 28;

    /// `values` holds nx * ny * nz cells, x fastest.
    void squared(std::vector<std::int32_t>& values, int nx, int ny, int nz);

private:
    void line(std::int32_t* first, long stride, int n);

    std::vector<std::int32_t> input;
    std::vector<int> vertices;
    std::vector<double> bounds;
};
