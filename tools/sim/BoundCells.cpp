#include "tools/sim/BoundCells.h"

#include <algorithm>
#include <cmath>

#include "math/Constants.h"
#include "math/SegmentDistance.h"
#include "planning/VisibleShare.h"

namespace {

// The visible share narrows the bodies to float before it works in double: the same here.
double asFloat(double value) {
    return static_cast<double>(static_cast<float>(value));
}

double segmentDistanceSquared(double ax, double ay, double az, double bx, double by, double bz,
                              double cx, double cy, double cz) {
    return squaredSegmentDistance({ax, ay, az}, {bx, by, bz}, {cx, cy, cz});
}

// A group test that failed this many times running is tried only every retryEvery-th time.
constexpr int skipAfter = 2;
constexpr int retryEvery = 8;
// Cells per side of the blocks occluders are sorted into.
constexpr int blockCells = 4;
// While classifying: the cell's centre lies in the band and outside every body's margin.
constexpr std::uint8_t centerFree = 8;

} // namespace

k_BoundCells::k_BoundCells(double cellSizeValue, double marginValue, int refinementValue)
    : cellSize(cellSizeValue), margin(marginValue), refinement(std::max(refinementValue, 0)) {
    for (int k = 0; k < k_VisibleShare::samplePoints; ++k) {
        directions[static_cast<std::size_t>(k)] = k_VisibleShare::sampleDirection(k);
        const auto& d = directions[static_cast<std::size_t>(k)];
        directionL1[static_cast<std::size_t>(k)] = std::abs(d[0]) + std::abs(d[1]) + std::abs(d[2]);
    }
    // The widest angle from any direction to its nearest sample, found on a dense spiral and
    // widened: an eye farther than radius / cos(angle) from the centre faces some sample.
    double widest = 0.0;
    const int probes = 20000;
    const double golden = pi * (3.0 - std::sqrt(5.0));
    for (int p = 0; p < probes; ++p) {
        const double y = 1.0 - 2.0 * (p + 0.5) / probes;
        const double ring = std::sqrt(1.0 - y * y);
        const double ux = ring * std::cos(p * golden), uz = ring * std::sin(p * golden);
        double best = -1.0;
        for (const auto& d : directions) {
            best = std::max(best, ux * d[0] + y * d[1] + uz * d[2]);
        }
        widest = std::max(widest, std::acos(std::min(best, 1.0)));
    }
    coverCos = std::cos(std::min(widest * 1.25 + 0.01, pi / 2.0));

    // For each bin of directions (the faces of a cube, orderBins by orderBins each), the samples
    // by how squarely they face its centre.
    orders.resize(6 * orderBins * orderBins);
    for (int face = 0; face < 6; ++face) {
        for (int a = 0; a < orderBins; ++a) {
            for (int b = 0; b < orderBins; ++b) {
                const double u = (a + 0.5) / orderBins * 2.0 - 1.0;
                const double v = (b + 0.5) / orderBins * 2.0 - 1.0;
                const double sign = face % 2 == 0 ? 1.0 : -1.0;
                std::array<double, 3> bin{};
                bin[static_cast<std::size_t>(face / 2)] = sign;
                bin[static_cast<std::size_t>((face / 2 + 1) % 3)] = u;
                bin[static_cast<std::size_t>((face / 2 + 2) % 3)] = v;
                std::array<std::uint8_t, 64>& order =
                    orders[static_cast<std::size_t>((face * orderBins + a) * orderBins + b)];
                for (int k = 0; k < 64; ++k) {
                    order[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(k);
                }
                const auto score = [&](std::uint8_t k) {
                    const auto& d = directions[k];
                    return d[0] * bin[0] + d[1] * bin[1] + d[2] * bin[2];
                };
                std::stable_sort(order.begin(), order.end(), [&](std::uint8_t x, std::uint8_t y) {
                    return score(x) > score(y);
                });
            }
        }
    }

    // Fours: each unplaced sample (in index order) with its nearest unplaced neighbours; then
    // quarters the same way from the fours' means.
    const auto nearestOf = [](const std::array<double, 3>& from, const auto& points,
                              const auto& placed) {
        int best = -1;
        double bestDot = -1e300;
        for (std::size_t other = 0; other < points.size(); ++other) {
            if (placed[other] >= 0) {
                continue;
            }
            const auto& d = points[other];
            const double dot = from[0] * d[0] + from[1] * d[1] + from[2] * d[2];
            if (dot > bestDot) {
                bestDot = dot;
                best = static_cast<int>(other);
            }
        }
        return best;
    };
    const auto describe = [&](SampleGroup& group, const auto& members) {
        for (const auto member : members) {
            for (std::size_t axis = 0; axis < 3; ++axis) {
                group.mean[axis] += directions[member][axis] / static_cast<double>(members.size());
            }
        }
        for (const auto member : members) {
            const auto& d = directions[member];
            const double ex = d[0] - group.mean[0], ey = d[1] - group.mean[1],
                         ez = d[2] - group.mean[2];
            group.spread = std::max(group.spread, std::sqrt(ex * ex + ey * ey + ez * ez));
        }
        // A hair wider, so that rounding cannot make one test claim more than it shows.
        group.spread = group.spread * (1.0 + 1e-9) + 1e-12;
    };
    std::array<int, 64> groupOf{};
    groupOf.fill(-1);
    std::size_t made = 0;
    for (std::size_t k = 0; k < 64; ++k) {
        if (groupOf[k] >= 0) {
            continue;
        }
        groupOf[k] = static_cast<int>(made);
        groupMembers[made][0] = static_cast<std::uint8_t>(k);
        for (std::size_t m = 1; m < groupSize; ++m) {
            const int next = nearestOf(directions[k], directions, groupOf);
            groupOf[static_cast<std::size_t>(next)] = static_cast<int>(made);
            groupMembers[made][m] = static_cast<std::uint8_t>(next);
        }
        describe(groups[made], groupMembers[made]);
        ++made;
    }
    std::array<std::array<double, 3>, groupCount> means{};
    for (std::size_t g = 0; g < groupCount; ++g) {
        means[g] = groups[g].mean;
    }
    std::array<int, groupCount> placedFour{};
    placedFour.fill(-1);
    std::array<std::vector<std::uint8_t>, quarterCount> quarterSamples;
    std::size_t quarter = 0;
    for (std::size_t g = 0; g < groupCount; ++g) {
        if (placedFour[g] >= 0) {
            continue;
        }
        std::vector<std::size_t> fours{g};
        placedFour[g] = static_cast<int>(quarter);
        while (fours.size() < groupCount / quarterCount) {
            const int next = nearestOf(means[g], means, placedFour);
            placedFour[static_cast<std::size_t>(next)] = static_cast<int>(quarter);
            fours.push_back(static_cast<std::size_t>(next));
        }
        for (const std::size_t four : fours) {
            quarterOf[four] = static_cast<std::uint8_t>(quarter);
            quarterSamples[quarter].insert(quarterSamples[quarter].end(),
                                           groupMembers[four].begin(), groupMembers[four].end());
        }
        describe(groups[groupCount + quarter], quarterSamples[quarter]);
        ++quarter;
    }
    // The whole target: every sample is a radius from its centre.
    groups[wholeGroup].spread = 1.0 + 1e-9;
    groupOrders.resize(orders.size());
    quarterOrders.resize(orders.size());
    for (std::size_t bin = 0; bin < orders.size(); ++bin) {
        std::size_t placed = 0, placedQuarters = 0;
        std::array<bool, groupCount> taken{};
        std::array<bool, quarterCount> takenQuarter{};
        for (const std::uint8_t k : orders[bin]) {
            const auto g = static_cast<std::size_t>(groupOf[k]);
            if (!taken[g]) {
                taken[g] = true;
                groupOrders[bin][placed++] = static_cast<std::uint8_t>(g);
            }
            if (!takenQuarter[quarterOf[g]]) {
                takenQuarter[quarterOf[g]] = true;
                quarterOrders[bin][placedQuarters++] = quarterOf[g];
            }
        }
    }
}

std::size_t k_BoundCells::orderFor(double x, double y, double z) const {
    const double ax = std::abs(x), ay = std::abs(y), az = std::abs(z);
    int axis = 0;
    double top = ax;
    if (ay > top) {
        axis = 1;
        top = ay;
    }
    if (az > top) {
        axis = 2;
        top = az;
    }
    if (top <= 0.0) {
        return 0;
    }
    const double values[3] = {x, y, z};
    const int face = axis * 2 + (values[axis] >= 0.0 ? 0 : 1);
    const auto binOf = [&](double value) {
        return std::clamp(static_cast<int>((value / top + 1.0) * 0.5 * orderBins), 0,
                          orderBins - 1);
    };
    const int a = binOf(values[(axis + 1) % 3]);
    const int b = binOf(values[(axis + 2) % 3]);
    return static_cast<std::size_t>((face * orderBins + a) * orderBins + b);
}

k_BoundBox k_BoundCells::boxAround(const k_WorldRecording::Point& point, double outer) const {
    const auto low = [&](double v) {
        return static_cast<int>(std::floor((v - outer) / cellSize)) - 1;
    };
    const auto high = [&](double v) {
        return static_cast<int>(std::floor((v + outer) / cellSize)) + 1;
    };
    k_BoundBox box;
    box.x0 = low(point.x);
    box.y0 = low(point.y);
    box.z0 = low(point.z);
    box.nx = high(point.x) - box.x0 + 1;
    box.ny = high(point.y) - box.y0 + 1;
    box.nz = high(point.z) - box.z0 + 1;
    return box;
}

void k_BoundCells::markAdmissible(const Band& band, const k_BoundBox& box,
                                  std::vector<std::uint8_t>& flags) const {
    const double half = cellSize * 0.5;
    // In the band: some point of the cube within the outer limit and some point of it at or
    // beyond the inner one.
    for (int k = 0; k < box.nz; ++k) {
        const double dz = (box.z0 + k + 0.5) * cellSize - center.z;
        for (int j = 0; j < box.ny; ++j) {
            const double dy = (box.y0 + j + 0.5) * cellSize - center.y;
            for (int i = 0; i < box.nx; ++i) {
                const double dx = (box.x0 + i + 0.5) * cellSize - center.x;
                const auto nearAxis = [&](double d) { return std::max(std::abs(d) - half, 0.0); };
                const auto farAxis = [&](double d) { return std::abs(d) + half; };
                const double nearest = nearAxis(dx) * nearAxis(dx) + nearAxis(dy) * nearAxis(dy) +
                                       nearAxis(dz) * nearAxis(dz);
                const double farthest = farAxis(dx) * farAxis(dx) + farAxis(dy) * farAxis(dy) +
                                        farAxis(dz) * farAxis(dz);
                const bool in =
                    nearest <= band.outer * band.outer && farthest >= band.inner * band.inner;
                const double centerSquared = dx * dx + dy * dy + dz * dz;
                const bool centerIn = centerSquared <= band.outer * band.outer &&
                                      centerSquared >= band.inner * band.inner;
                flags[static_cast<std::size_t>((k * box.ny + j) * box.nx + i)] =
                    static_cast<std::uint8_t>((in ? admissible : 0) | (centerIn ? centerFree : 0));
            }
        }
    }
    // Out of it: cubes wholly inside some body's sphere enlarged by the margin.
    for (const Body& body : bodies) {
        const double reach = body.r + margin;
        if (reach <= 0.0) {
            continue;
        }
        const int i0 = std::max(static_cast<int>(std::floor((body.x - reach) / cellSize)), box.x0);
        const int i1 = std::min(static_cast<int>(std::floor((body.x + reach) / cellSize)),
                                box.x0 + box.nx - 1);
        const int j0 = std::max(static_cast<int>(std::floor((body.y - reach) / cellSize)), box.y0);
        const int j1 = std::min(static_cast<int>(std::floor((body.y + reach) / cellSize)),
                                box.y0 + box.ny - 1);
        const int k0 = std::max(static_cast<int>(std::floor((body.z - reach) / cellSize)), box.z0);
        const int k1 = std::min(static_cast<int>(std::floor((body.z + reach) / cellSize)),
                                box.z0 + box.nz - 1);
        for (int k = k0; k <= k1; ++k) {
            const double fz = std::abs((k + 0.5) * cellSize - body.z) + half;
            for (int j = j0; j <= j1; ++j) {
                const double fy = std::abs((j + 0.5) * cellSize - body.y) + half;
                for (int i = i0; i <= i1; ++i) {
                    const double fx = std::abs((i + 0.5) * cellSize - body.x) + half;
                    if (fx * fx + fy * fy + fz * fz < reach * reach) {
                        flags[box.index(i, j, k)] = 0;
                    } else if ((fx - half) * (fx - half) + (fy - half) * (fy - half) +
                                   (fz - half) * (fz - half) <
                               reach * reach) {
                        flags[box.index(i, j, k)] &= static_cast<std::uint8_t>(~centerFree);
                    }
                }
            }
        }
    }
}

void k_BoundCells::classify(const std::vector<k_WorldRecording::Sphere>& frameBodies, int target,
                            const Band& band, const k_BoundBox& box,
                            std::vector<std::uint8_t>& flags) {
    flags.assign(box.size(), 0);
    const k_WorldRecording::Sphere& t = frameBodies[static_cast<std::size_t>(target)];
    center = Body{asFloat(t.x), asFloat(t.y), asFloat(t.z), asFloat(t.radius)};
    bodies.clear();
    occluders.clear();
    const double half = cellSize * 0.5;
    const double halfDiagonal = half * std::sqrt(3.0);
    for (std::size_t i = 0; i < frameBodies.size(); ++i) {
        const Body body{asFloat(frameBodies[i].x), asFloat(frameBodies[i].y),
                        asFloat(frameBodies[i].z), asFloat(frameBodies[i].radius)};
        bodies.push_back(body);
        if (i == static_cast<std::size_t>(target) || body.r <= 0.0) {
            continue;
        }
        // Every sight line runs within the band's outer cube corner of the target's centre.
        const double dx = body.x - center.x, dy = body.y - center.y, dz = body.z - center.z;
        const double limit = band.outer + halfDiagonal * 2.0 + center.r + body.r;
        if (dx * dx + dy * dy + dz * dz < limit * limit) {
            occluders.push_back(body);
        }
    }
    markAdmissible(band, box, flags);
    lastBlocker.fill(nullptr);
    lastGroupBlocker.fill(nullptr);
    groupMisses.fill(0);

    // Sort the occluders into blocks of cells: a body can hide a sample point from a point of
    // the block only within the larger of the block's half diagonal and the target's radius of
    // the segment from the block's centre to the target's centre.
    const int bx = (box.nx + blockCells - 1) / blockCells;
    const int by = (box.ny + blockCells - 1) / blockCells;
    const int bz = (box.nz + blockCells - 1) / blockCells;
    blockOccluders.resize(static_cast<std::size_t>(bx) * by * bz);
    const double blockHalfDiagonal = halfDiagonal * blockCells;
    for (int k = 0; k < bz; ++k) {
        for (int j = 0; j < by; ++j) {
            for (int i = 0; i < bx; ++i) {
                std::vector<int>& list =
                    blockOccluders[static_cast<std::size_t>((k * by + j) * bx + i)];
                list.clear();
                const double cx = (box.x0 + i * blockCells + blockCells * 0.5) * cellSize;
                const double cy = (box.y0 + j * blockCells + blockCells * 0.5) * cellSize;
                const double cz = (box.z0 + k * blockCells + blockCells * 0.5) * cellSize;
                const double spread = std::max(blockHalfDiagonal, center.r);
                for (std::size_t o = 0; o < occluders.size(); ++o) {
                    const Body& body = occluders[o];
                    const double reach = body.r + spread;
                    if (segmentDistanceSquared(cx, cy, cz, center.x, center.y, center.z, body.x,
                                               body.y, body.z) < reach * reach) {
                        list.push_back(static_cast<int>(o));
                    }
                }
            }
        }
    }

    const double cellSpread = std::max(halfDiagonal, center.r);
    for (int k = 0; k < box.nz; ++k) {
        const double qz = (box.z0 + k + 0.5) * cellSize;
        for (int j = 0; j < box.ny; ++j) {
            const double qy = (box.y0 + j + 0.5) * cellSize;
            for (int i = 0; i < box.nx; ++i) {
                std::uint8_t& flag = flags[static_cast<std::size_t>((k * box.ny + j) * box.nx + i)];
                if ((flag & admissible) == 0) {
                    flag = 0;
                    continue;
                }
                const double qx = (box.x0 + i + 0.5) * cellSize;
                const std::vector<int>& list = blockOccluders[static_cast<std::size_t>(
                    ((k / blockCells) * by + j / blockCells) * bx + i / blockCells)];
                candidates.clear();
                largestCandidate = 0.0;
                for (const int o : list) {
                    const Body& body = occluders[static_cast<std::size_t>(o)];
                    const double reach = body.r + cellSpread;
                    if (segmentDistanceSquared(qx, qy, qz, center.x, center.y, center.z, body.x,
                                               body.y, body.z) < reach * reach) {
                        candidates.push_back(&body);
                        largestCandidate = std::max(largestCandidate, body.r);
                    }
                }
                // Largest first: only bodies larger than a cube's half diagonal can hide a
                // sample from all of it, so the search for one stops at the first smaller.
                for (std::size_t c = 1; c < candidates.size(); ++c) {
                    const Body* moving = candidates[c];
                    std::size_t to = c;
                    for (; to > 0 && candidates[to - 1]->r < moving->r; --to) {
                        candidates[to] = candidates[to - 1];
                    }
                    candidates[to] = moving;
                }
                const double dx = qx - center.x, dy = qy - center.y, dz = qz - center.z;
                const double distance = std::sqrt(dx * dx + dy * dy + dz * dz);
                const bool surelyFacing = (distance - halfDiagonal) * coverCos > center.r;
                const int seen = candidates.empty() && surelyFacing
                                     ? 2
                                     : visibleFrom(qx, qy, qz, half, refinement);
                if (seen > 0) {
                    flag |= visible;
                }
                if (seen == 2 && (flag & centerFree) != 0) {
                    flag |= clearCenter;
                }
                flag &= static_cast<std::uint8_t>(~centerFree);
            }
        }
    }
}

// Whether some point of the cube about q (half edge `halfEdge`) could see some sample point:
// yes at once when q itself does; no when even the relaxed test fails (each sample judged as if
// the eye could be anywhere in the cube: facing relaxed by the cube's reach along the sample's
// normal, bodies shrunk by its half diagonal, since a sight line from any point of the cube
// stays that close to the one from q); otherwise the eight halves decide, down to `depth`.
int k_BoundCells::visibleFrom(double qx, double qy, double qz, double halfEdge, int depth) const {
    const double halfDiagonal = halfEdge * std::sqrt(3.0);
    const double cx = qx - center.x, cy = qy - center.y, cz = qz - center.z;
    bool relaxedSees = false;
    // Bodies no larger than the half diagonal vanish when shrunk: with none larger, only the
    // exact test at q can still say anything, and it may stop at the first body in the way.
    const bool shrunkBlock = largestCandidate > halfDiagonal;
    // True when q itself sees sample k; otherwise notes whether some point of the cube might.
    const auto judge = [&](std::uint8_t k) {
        const auto& d = directions[static_cast<std::size_t>(k)];
        const double facing = d[0] * cx + d[1] * cy + d[2] * cz - center.r;
        if (facing + halfEdge * directionL1[static_cast<std::size_t>(k)] <= 0.0) {
            return false;
        }
        const double sx = center.x + center.r * d[0], sy = center.y + center.r * d[1],
                     sz = center.z + center.r * d[2];
        const bool exactlyFacing = facing > 0.0;
        bool blocked = false;
        bool relaxedBlocked = false;
        const auto test = [&](const Body* body) {
            ++segmentTests;
            const double squared =
                segmentDistanceSquared(qx, qy, qz, sx, sy, sz, body->x, body->y, body->z);
            if (squared < body->r * body->r) {
                blocked = true;
                const double shrunk = body->r - halfDiagonal;
                if (shrunk > 0.0 && squared < shrunk * shrunk) {
                    relaxedBlocked = true;
                    lastBlocker[static_cast<std::size_t>(k)] = body;
                }
            }
        };
        if (!shrunkBlock) {
            relaxedSees = true;
            if (!exactlyFacing) {
                return false;
            }
        }
        // The body that last hid this sample from a nearby cell most likely hides it here too:
        // any body may be tried, as each test is exact for what it claims.
        if (lastBlocker[static_cast<std::size_t>(k)] != nullptr) {
            test(lastBlocker[static_cast<std::size_t>(k)]);
        }
        for (std::size_t c = 0;
             c < candidates.size() && !relaxedBlocked && (shrunkBlock || !blocked); ++c) {
            if (blocked && candidates[c]->r <= halfDiagonal) {
                break; // the rest are smaller still: none can hide it from the whole cube
            }
            test(candidates[c]);
        }
        if (exactlyFacing && !blocked) {
            lastSeen = k;
            return true;
        }
        relaxedSees = relaxedSees || !relaxedBlocked;
        return false;
    };
    // The sample the last cell saw first (a neighbour most likely sees it too), then the groups
    // of samples most nearly facing the cube: where any is seen, those usually are.
    const std::uint8_t first = lastSeen;
    if (judge(first)) {
        return 2;
    }
    // Then groups of samples, the largest first, each tried as a whole before its parts.
    const auto hiddenWhole = [&](std::size_t g) {
        const double shrink = std::max(halfDiagonal, center.r * groups[g].spread);
        if (largestCandidate <= shrink) {
            return false;
        }
        std::uint8_t& misses = groupMisses[g];
        if (misses >= skipAfter) {
            // Skipped: count on from skipAfter, so that every retryEvery-th call tries again.
            misses = static_cast<std::uint8_t>(skipAfter + (misses - skipAfter + 1) % retryEvery);
            if (misses != skipAfter) {
                return false;
            }
        }
        if (groupHidden(g, qx, qy, qz, shrink)) {
            misses = 0;
            return true;
        }
        misses = static_cast<std::uint8_t>(std::min(misses + 1, skipAfter));
        return false;
    };
    if (hiddenWhole(wholeGroup)) {
        return 0;
    }
    const std::size_t bin = orderFor(cx, cy, cz);
    for (const std::uint8_t quarter : quarterOrders[bin]) {
        if (hiddenWhole(groupCount + quarter)) {
            continue;
        }
        for (const std::uint8_t g : groupOrders[bin]) {
            if (quarterOf[g] != quarter || hiddenWhole(g)) {
                continue;
            }
            for (const std::uint8_t k : groupMembers[g]) {
                if (k != first && judge(k)) {
                    return 2;
                }
            }
        }
    }
    if (!relaxedSees) {
        return 0;
    }
    // Halves with no body larger than their half diagonal could not rule anything out either.
    if (depth <= 0 || largestCandidate <= halfDiagonal * 0.5) {
        return 1;
    }
    const double quarter = halfEdge * 0.5;
    for (int corner = 0; corner < 8; ++corner) {
        if (visibleFrom(qx + ((corner & 1) ? quarter : -quarter),
                        qy + ((corner & 2) ? quarter : -quarter),
                        qz + ((corner & 4) ? quarter : -quarter), quarter, depth - 1) > 0) {
            return 1;
        }
    }
    return 0;
}

bool k_BoundCells::groupHidden(std::size_t g, double qx, double qy, double qz,
                               double shrink) const {
    // Every sight line from a point of the cube to a member lies within `shrink` of the line
    // from q to the members' mean point, so a body still in the way when shrunk by it hides
    // them all.
    const SampleGroup& group = groups[g];
    const double gx = center.x + center.r * group.mean[0], gy = center.y + center.r * group.mean[1],
                 gz = center.z + center.r * group.mean[2];
    const auto hides = [&](const Body* body) {
        const double shrunk = body->r - shrink;
        ++segmentTests;
        return shrunk > 0.0 && segmentDistanceSquared(qx, qy, qz, gx, gy, gz, body->x, body->y,
                                                      body->z) < shrunk * shrunk;
    };
    if (lastGroupBlocker[g] != nullptr && hides(lastGroupBlocker[g])) {
        return true;
    }
    // First the bodies that last hid the group's parts: where those were settled by one body,
    // the group mostly is too.
    const auto tryBody = [&](const Body* body) {
        if (body != nullptr && body != lastGroupBlocker[g] && hides(body)) {
            lastGroupBlocker[g] = body;
            return true;
        }
        return false;
    };
    if (g < groupCount) {
        for (const std::uint8_t k : groupMembers[g]) {
            if (tryBody(lastBlocker[k])) {
                return true;
            }
        }
    } else if (g < wholeGroup) {
        for (std::size_t four = 0; four < groupCount; ++four) {
            if (quarterOf[four] == g - groupCount && tryBody(lastGroupBlocker[four])) {
                return true;
            }
        }
    } else {
        for (std::size_t part = groupCount; part < wholeGroup; ++part) {
            if (tryBody(lastGroupBlocker[part])) {
                return true;
            }
        }
    }
    // The whole target and its quarters are worth a search among the bodies: only those larger
    // than the target's own spread can settle them, and those are few and come first. A four is
    // not: in a crowd most bodies could, and its members are tried one by one anyway.
    if (g >= groupCount) {
        for (const Body* body : candidates) {
            if (body->r <= shrink) {
                break;
            }
            if (tryBody(body)) {
                return true;
            }
        }
    }
    return false;
}
