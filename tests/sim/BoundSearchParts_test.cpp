#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "tools/sim/DistanceTransform.h"
#include "tools/sim/ReachFilter.h"

TEST(BoundDistanceTransform, MatchesTheNearestMarkedCellByBruteForce) {
    const int nx = 7, ny = 5, nz = 6;
    std::mt19937 random(3);
    for (int trial = 0; trial < 20; ++trial) {
        std::vector<std::int32_t> values(nx * ny * nz, k_DistanceTransform::far);
        std::vector<int> marked;
        for (int n = 0; n < static_cast<int>(values.size()); ++n) {
            if (random() % 23 == 0) {
                values[static_cast<std::size_t>(n)] = 0;
                marked.push_back(n);
            }
        }
        const std::vector<std::int32_t> before = values;
        k_DistanceTransform transform;
        transform.squared(values, nx, ny, nz);
        for (int n = 0; n < static_cast<int>(values.size()); ++n) {
            std::int32_t best = k_DistanceTransform::far;
            for (const int m : marked) {
                const int dx = n % nx - m % nx, dy = (n / nx) % ny - (m / nx) % ny,
                          dz = n / (nx * ny) - m / (nx * ny);
                best = std::min(best, dx * dx + dy * dy + dz * dz);
            }
            ASSERT_EQ(values[static_cast<std::size_t>(n)], best) << "trial " << trial;
        }
    }
}

TEST(BoundReachFilter, ReachesEveryOffsetNeededAndIsTighterThanACube) {
    for (const double radius : {0.0, 0.6, 1.7, 3.2, 5.5}) {
        k_ReachFilter filter(radius);
        const int top = static_cast<int>(std::floor(radius)) + 1;
        for (int z = -top; z <= top; ++z) {
            for (int y = -top; y <= top; ++y) {
                for (int x = -top; x <= top; ++x) {
                    const auto gap = [](int n) { return std::max(std::abs(n) - 1, 0); };
                    if (gap(x) * gap(x) + gap(y) * gap(y) + gap(z) * gap(z) <= radius * radius) {
                        ASSERT_TRUE(filter.reaches(x, y, z))
                            << radius << ": " << x << " " << y << " " << z;
                    }
                }
            }
        }
        const long cube = (2L * top + 1) * (2L * top + 1) * (2L * top + 1);
        EXPECT_LE(filter.reachedOffsets(), cube) << radius;
        if (radius > 3.0) {
            EXPECT_LT(filter.reachedOffsets(), cube) << radius;
        }
    }
}

TEST(BoundReachFilter, ErosionIsTheLeastOverTheOffsetsReached) {
    // Lines along all thirteen directions cut by the box's faces at every angle: with the box
    // padded by the filter's extent, as the bound uses it, the chained sliding minima must agree
    // with the brute-force least over the offsets the filter says it reaches.
    k_ReachFilter filter(2.3);
    const k_BoundBox inner{-3, 2, 0, 9, 7, 8};
    const k_BoundBox box = inner.grown(filter.extent());
    std::mt19937 random(5);
    std::vector<std::int32_t> values(box.size(), k_ReachFilter::unreachable);
    for (int k = inner.z0; k < inner.z0 + inner.nz; ++k) {
        for (int j = inner.y0; j < inner.y0 + inner.ny; ++j) {
            for (int i = inner.x0; i < inner.x0 + inner.nx; ++i) {
                if (random() % 7 == 0) {
                    values[box.index(i, j, k)] = static_cast<std::int32_t>(random() % 100);
                }
            }
        }
    }
    std::vector<std::int32_t> eroded = values;
    filter.erode(eroded, box);
    const int e = filter.extent();
    for (int k = inner.z0; k < inner.z0 + inner.nz; ++k) {
        for (int j = inner.y0; j < inner.y0 + inner.ny; ++j) {
            for (int i = inner.x0; i < inner.x0 + inner.nx; ++i) {
                std::int32_t best = k_ReachFilter::unreachable;
                for (int z = -e; z <= e; ++z) {
                    for (int y = -e; y <= e; ++y) {
                        for (int x = -e; x <= e; ++x) {
                            if (filter.reaches(x, y, z) && inner.contains(i + x, j + y, k + z)) {
                                best = std::min(best, values[box.index(i + x, j + y, k + z)]);
                            }
                        }
                    }
                }
                ASSERT_EQ(eroded[box.index(i, j, k)], best) << i << " " << j << " " << k;
            }
        }
    }
}
