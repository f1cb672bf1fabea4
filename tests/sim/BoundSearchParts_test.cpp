#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "tools/sim/BoundCells.h"
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

TEST(BoundCells, ShadowBodiesAndTheBandRuleCellsOutOnlyWhereNoPointOfThemQualifies) {
    // A target of radius 1 at the origin and a body of radius 3 at (0, 0, 6): behind the body
    // (along +z) the whole target is hidden; beside it everything sees.
    const double cell = 10.0 / 6.0;
    k_BoundCells cells(cell, 0.5, 2);
    const std::vector<k_WorldRecording::Sphere> bodies{{0, 0, 0, 1}, {0, 0, 6, 3}};
    const k_BoundCells::Band band{5.0, 30.0};
    const k_BoundBox box = cells.boxAround({0, 0, 0}, band.outer);
    std::vector<std::uint8_t> flags;
    cells.classify(bodies, 0, band, box, flags);
    const auto at = [&](double x, double y, double z) {
        return flags[box.index(static_cast<int>(std::floor(x / cell)),
                               static_cast<int>(std::floor(y / cell)),
                               static_cast<int>(std::floor(z / cell)))];
    };
    EXPECT_EQ(at(0.1, 0.1, 20.0), k_BoundCells::admissible); // in the band, in the shadow
    EXPECT_EQ(at(20.0, 0.1, 0.1),
              k_BoundCells::admissible | k_BoundCells::visible | k_BoundCells::clearCenter);
    EXPECT_EQ(at(0.1, 0.1, 6.0), 0);   // inside the body
    EXPECT_EQ(at(0.1, 0.1, 2.0), 0);   // nearer than the band
    EXPECT_EQ(at(26.0, 26.0, 0.1), 0); // farther
    // Every cell the exact test says sees from its centre is marked seeing: no cell is ruled
    // out that a real viewpoint in it would have qualified.
    for (int k = 0; k < box.nz; k += 3) {
        for (int j = 0; j < box.ny; j += 3) {
            for (int i = 0; i < box.nx; i += 3) {
                const k_WorldRecording::Point q{(box.x0 + i + 0.5) * cell,
                                                (box.y0 + j + 0.5) * cell,
                                                (box.z0 + k + 0.5) * cell};
                const double away = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z);
                const double fromBody = std::sqrt(q.x * q.x + q.y * q.y + (q.z - 6) * (q.z - 6));
                if (away < 5.0 || away > 30.0 || fromBody < 3.5 ||
                    k_QualityMetrics::visibleShare(q, bodies, 0) == 0.0) {
                    continue;
                }
                ASSERT_TRUE(flags[box.index(box.x0 + i, box.y0 + j, box.z0 + k)] &
                            k_BoundCells::visible)
                    << q.x << " " << q.y << " " << q.z;
            }
        }
    }
}

namespace {

// Flags of one classification, with the cell lattice to look them up by.
struct Classified {
    double cell;
    k_BoundBox box;
    std::vector<std::uint8_t> flags;
    std::uint64_t segmentTests = 0;
};

Classified classifyOnce(const std::vector<k_WorldRecording::Sphere>& bodies,
                        const k_BoundCells::Band& band, double cell) {
    k_BoundCells cells(cell, 0.5, 2);
    Classified out{cell, cells.boxAround({bodies[0].x, bodies[0].y, bodies[0].z}, band.outer), {}};
    cells.classify(bodies, 0, band, out.box, out.flags);
    out.segmentTests = cells.getSegmentTests();
    return out;
}

} // namespace

TEST(BoundCells, InACrowdNoPointOfACellCalledHiddenSeesTheTarget) {
    // Dense swarms about targets small and large beside the cells: most of the band is hidden
    // by several bodies together, where groups of sample points and halved cubes decide. Every
    // cell called hidden is probed at a lattice of its points and at random ones.
    std::mt19937 random(7);
    for (const double targetRadius : {1.0, 2.5}) {
        std::uniform_real_distribution<double> place(-14.0, 14.0), size(1.0, 3.0);
        std::vector<k_WorldRecording::Sphere> bodies{{0.3, -0.2, 0.1, targetRadius}};
        while (bodies.size() < 240) {
            const k_WorldRecording::Sphere body{place(random), place(random), place(random),
                                                size(random)};
            if (std::hypot(body.x, body.y, body.z) > body.radius + targetRadius + 0.5) {
                bodies.push_back(body);
            }
        }
        const Classified run = classifyOnce(bodies, {5.0, 30.0}, 10.0 / 6.0);
        std::uniform_real_distribution<double> inside(0.0, 1.0);
        long hidden = 0, probes = 0;
        for (int k = 0; k < run.box.nz; ++k) {
            for (int j = 0; j < run.box.ny; ++j) {
                for (int i = 0; i < run.box.nx; ++i) {
                    const std::uint8_t flag =
                        run.flags[static_cast<std::size_t>((k * run.box.ny + j) * run.box.nx + i)];
                    if (flag != k_BoundCells::admissible) {
                        continue;
                    }
                    ++hidden;
                    const auto probe = [&](double u, double v, double w) {
                        const k_WorldRecording::Point q{(run.box.x0 + i + u) * run.cell,
                                                        (run.box.y0 + j + v) * run.cell,
                                                        (run.box.z0 + k + w) * run.cell};
                        ++probes;
                        ASSERT_EQ(k_QualityMetrics::visibleShare(q, bodies, 0), 0.0)
                            << "target radius " << targetRadius << " at " << q.x << " " << q.y
                            << " " << q.z;
                    };
                    for (const double u : {0.0, 0.5, 1.0}) {
                        for (const double v : {0.0, 0.5, 1.0}) {
                            for (const double w : {0.0, 0.5, 1.0}) {
                                probe(u, v, w);
                            }
                        }
                    }
                    for (int r = 0; r < 8; ++r) {
                        probe(inside(random), inside(random), inside(random));
                    }
                }
            }
        }
        EXPECT_GT(hidden, 2000) << "the crowd hides too little to test anything";
        EXPECT_GT(probes, 0);
    }
}

TEST(BoundCells, ACellOneBodyHidesTheWholeTargetFromIsSettledByOneTest) {
    // A target of radius 1 inside a body of radius 4: that body hides the whole target from
    // every cell of the band, which one test of the whole target shows, where testing the
    // sample points one by one costs about thirty a cell (those facing it).
    const std::vector<k_WorldRecording::Sphere> bodies{{0, 0, 0, 1}, {0.2, 0, 0, 4}};
    const Classified run = classifyOnce(bodies, {5.0, 30.0}, 10.0 / 6.0);
    long hidden = 0;
    for (const std::uint8_t flag : run.flags) {
        ASSERT_EQ(flag & k_BoundCells::visible, 0);
        hidden += flag == k_BoundCells::admissible ? 1 : 0;
    }
    ASSERT_GT(hidden, 10000);
    EXPECT_LT(static_cast<double>(run.segmentTests), 2.0 * static_cast<double>(hidden))
        << run.segmentTests << " tests for " << hidden << " hidden cells";
}
