#include "planning/CandidateOrder.h"

#include <algorithm>
#include <cmath>

#include "planning/SearchGeometry.h"

namespace {
// Squared distances of points spread evenly over a sphere are spread evenly over their
// range, so with this many buckets the nearest fifth falls into about one per bucket.
constexpr std::uint32_t bucketCount = 512;
} // namespace

k_CandidateOrder::k_CandidateOrder(const std::vector<k_Vector3>& directionsValue)
    : directionX(directionsValue.size()), directionY(directionsValue.size()),
      directionZ(directionsValue.size()), directionOf(directionsValue.size()), skippedAny(false),
      currentCenter(), currentRadius(0.0f), points(directionsValue.size()),
      keys(directionsValue.size()), bucketOf(directionsValue.size()), bucketStart(bucketCount + 1),
      nearest(directionsValue.size()), records(directionsValue.size()), fullSorts(0) {
    for (std::size_t i = 0; i < directionsValue.size(); ++i) {
        directionX[i] = directionsValue[i].x;
        directionY[i] = directionsValue[i].y;
        directionZ[i] = directionsValue[i].z;
        directionOf[i] = static_cast<std::uint32_t>(i);
    }
}

k_Vector3 k_CandidateOrder::pointAt(std::size_t index) const {
    const std::size_t direction = skippedAny ? directionOf[index] : index;
    // The same operations in the same order as k_Vector3's operators: the same bits.
    return k_Vector3(currentCenter.x + directionX[direction] * currentRadius,
                     currentCenter.y + directionY[direction] * currentRadius,
                     currentCenter.z + directionZ[direction] * currentRadius);
}

void k_CandidateOrder::build(const k_Vector3& from, const k_Vector3& center,
                             std::vector<k_Vector3>& candidates) {
    candidates.clear();
    const float radius = (from - center).length();
    currentCenter = center;
    currentRadius = radius;
    skippedAny = false;
    const std::size_t total = directionX.size();
    const float* dx = directionX.data();
    const float* dy = directionY.data();
    const float* dz = directionZ.data();
    float* key = keys.data();
    // No branch and no store but the key: the compiler runs this on whole vector registers.
    // Each key is k_Vector3's arithmetic written out (the candidate center + direction *
    // radius, its offset from `from`, and dot() of that with itself), rounding exactly as
    // those operators do, so the keys are the reference's to the bit.
    // The points themselves are formed again, bit for bit, only for the candidates kept.
    const float cx = center.x;
    const float cy = center.y;
    const float cz = center.z;
    const float fx = from.x;
    const float fy = from.y;
    const float fz = from.z;
    unsigned zeroKeys = 0;
    for (std::size_t i = 0; i < total; ++i) {
        const float ex = fx - (cx + dx[i] * radius);
        const float ey = fy - (cy + dy[i] * radius);
        const float ez = fz - (cz + dz[i] * radius);
        const float k =
            static_cast<float>(static_cast<double>(ex) * ex + static_cast<double>(ey) * ey +
                               static_cast<double>(ez) * ez);
        key[i] = k;
        zeroKeys |= k == 0.0f ? 1u : 0u;
    }
    // Every point lies within 2 * radius of `from` (rounding may add a little, which the
    // last bucket absorbs), so the buckets span 0 .. 4 * radius^2 without a pass for the
    // extremes.
    float minKey = 0.0f;
    float maxKey = 4.0f * radius * radius;
    std::size_t count = total;
    // A candidate equal to `from` has key 0 (so does one that differs only below float
    // precision, which stays): only then is the list compacted, as the reference skips it.
    if (zeroKeys != 0) {
        count = 0;
        for (std::size_t i = 0; i < total; ++i) {
            const k_Vector3 point(center.x + dx[i] * radius, center.y + dy[i] * radius,
                                  center.z + dz[i] * radius);
            if (exactlyEqual(point, from)) {
                skippedAny = true;
                continue;
            }
            directionOf[count] = static_cast<std::uint32_t>(i);
            key[count] = key[i];
            ++count;
        }
    }
    const std::size_t kept = searchGeometry::keptCandidateCount(count);
    if (kept == 0) {
        return;
    }
    // Finite inputs give non-negative keys that are never NaN; anything else (a NaN key
    // would break the ordering the buckets rely on) is left to the full sort.
    const bool ordered = std::isfinite(maxKey) && std::isfinite(fx) && std::isfinite(fy) &&
                         std::isfinite(fz) && std::isfinite(cx) && std::isfinite(cy) &&
                         std::isfinite(cz);
    // The entry just past the cut must differ from the last kept one, or which of the two
    // survives would depend on the sort's handling of ties.
    const std::size_t needed = kept < count ? kept + 1 : kept;
    if (!ordered || !orderNearest(count, needed, minKey, maxKey)) {
        ++fullSorts;
        for (std::size_t i = 0; i < count; ++i) {
            points[i] = pointAt(i);
        }
        sortAll(count, kept, candidates);
        return;
    }
    for (std::size_t i = 0; i < kept; ++i) {
        candidates.push_back(pointAt(nearest[i].index));
    }
}

bool k_CandidateOrder::orderNearest(std::size_t count, std::size_t needed, float minKey,
                                    float maxKey) {
    const float span = maxKey - minKey;
    const float scale = static_cast<float>(bucketCount) / span;
    if (!(span > 0.0f) || !std::isfinite(scale)) {
        return false;
    }
    // Rounding is monotonic, so a smaller key never lands in a later bucket: everything in
    // the buckets up to the cut-off is nearer than everything beyond it.
    // Branch-free, so that it runs on vector registers; a NaN position lands in the last.
    const float lastPosition = static_cast<float>(bucketCount - 1);
    const float* key = keys.data();
    std::uint32_t* bucketOfKey = bucketOf.data();
    for (std::size_t i = 0; i < count; ++i) {
        const float position = (key[i] - minKey) * scale;
        const float clamped = position < lastPosition ? position : lastPosition;
        bucketOfKey[i] = static_cast<std::uint32_t>(static_cast<std::int32_t>(clamped));
    }
    std::fill(bucketStart.begin(), bucketStart.end(), 0u);
    for (std::size_t i = 0; i < count; ++i) {
        ++bucketStart[bucketOfKey[i] + 1];
    }
    std::uint32_t lastBucket = 0;
    std::size_t gathered = 0;
    for (std::uint32_t bucket = 0; bucket < bucketCount; ++bucket) {
        gathered += bucketStart[bucket + 1];
        bucketStart[bucket + 1] = static_cast<std::uint32_t>(gathered);
        if (gathered >= needed) {
            lastBucket = bucket;
            break;
        }
    }
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t bucket = bucketOf[i];
        if (bucket <= lastBucket) {
            nearest[bucketStart[bucket]++] = Entry{keys[i], static_cast<std::uint32_t>(i)};
        }
    }
    // Each bucket now ends where the next begins; a few entries each, so insertion sort.
    std::size_t begin = 0;
    for (std::uint32_t bucket = 0; bucket <= lastBucket; ++bucket) {
        const std::size_t end = bucketStart[bucket];
        for (std::size_t i = begin + 1; i < end; ++i) {
            const Entry moving = nearest[i];
            std::size_t j = i;
            for (; j > begin && moving.key < nearest[j - 1].key; --j) {
                nearest[j] = nearest[j - 1];
            }
            nearest[j] = moving;
        }
        begin = end;
    }
    for (std::size_t i = 1; i < needed; ++i) {
        if (!(nearest[i - 1].key < nearest[i].key)) {
            return false;
        }
    }
    return true;
}

void k_CandidateOrder::sortAll(std::size_t count, std::size_t kept,
                               std::vector<k_Vector3>& candidates) {
    for (std::size_t i = 0; i < count; ++i) {
        records[i] = Record{keys[i], points[i]};
    }
    // Same length, same initial order, and every comparison answers as the reference's
    // k_DistanceCompare does on the same points: std::sort makes the same moves.
    std::sort(records.begin(), records.begin() + static_cast<std::ptrdiff_t>(count),
              [](const Record& a, const Record& b) { return a.key < b.key; });
    for (std::size_t i = 0; i < kept; ++i) {
        candidates.push_back(records[i].point);
    }
}
