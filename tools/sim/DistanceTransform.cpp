#include "tools/sim/DistanceTransform.h"

#include <algorithm>

void k_DistanceTransform::line(std::int32_t* first, long stride, int n) {
    input.resize(static_cast<std::size_t>(n));
    vertices.resize(static_cast<std::size_t>(n));
    bounds.resize(static_cast<std::size_t>(n) + 1);
    int cells = 0;
    for (int i = 0; i < n; ++i) {
        input[static_cast<std::size_t>(i)] = first[i * stride];
    }
    // Cells still `far` never win against a marked one, so they stay out of the envelope;
    // without them the parabolas' crossings stay well inside double's exact integers.
    for (int q = 0; q < n; ++q) {
        if (input[static_cast<std::size_t>(q)] >= far) {
            continue;
        }
        const double fq = input[static_cast<std::size_t>(q)];
        if (cells == 0) {
            vertices[0] = q;
            bounds[0] = -1e300;
            cells = 1;
            continue;
        }
        double crossing = 0.0;
        for (;;) {
            const int p = vertices[static_cast<std::size_t>(cells - 1)];
            const double fp = input[static_cast<std::size_t>(p)];
            crossing = ((fq + static_cast<double>(q) * q) - (fp + static_cast<double>(p) * p)) /
                       (2.0 * (q - p));
            if (cells > 1 && crossing <= bounds[static_cast<std::size_t>(cells - 1)]) {
                --cells;
                continue;
            }
            break;
        }
        vertices[static_cast<std::size_t>(cells)] = q;
        bounds[static_cast<std::size_t>(cells)] = crossing;
        ++cells;
    }
    if (cells == 0) {
        return;
    }
    bounds[static_cast<std::size_t>(cells)] = 1e300;
    int k = 0;
    for (int q = 0; q < n; ++q) {
        while (bounds[static_cast<std::size_t>(k) + 1] < q) {
            ++k;
        }
        const int p = vertices[static_cast<std::size_t>(k)];
        const long value = static_cast<long>(input[static_cast<std::size_t>(p)]) +
                           static_cast<long>(q - p) * (q - p);
        first[q * stride] = static_cast<std::int32_t>(std::min<long>(value, far));
    }
}

void k_DistanceTransform::squared(std::vector<std::int32_t>& values, int nx, int ny, int nz) {
    const long sx = 1, sy = nx, sz = static_cast<long>(nx) * ny;
    for (int k = 0; k < nz; ++k) {
        for (int j = 0; j < ny; ++j) {
            line(values.data() + k * sz + j * sy, sx, nx);
        }
    }
    for (int k = 0; k < nz; ++k) {
        for (int i = 0; i < nx; ++i) {
            line(values.data() + k * sz + i, sy, ny);
        }
    }
    for (int j = 0; j < ny; ++j) {
        for (int i = 0; i < nx; ++i) {
            line(values.data() + j * sy + i, sz, nz);
        }
    }
}
