#pragma once

#include <cstdint>
#include <vector>

#include "math/Vector3.h"

// Builds the path search's candidate list, the same points in the same order as
// k_InformationProvider::buildCandidates, without sorting all of them. Each candidate's
// squared distance is computed once; a bucket pass over those keys finds the nearest ones,
// and only they are ordered. Where the order among equal distances could decide what is
// kept, the full std::sort runs on (key, point) records built in the reference's order,
// which makes exactly the reference's comparisons and so gives its permutation.
// Owns its scratch buffers: after the first call, building allocates nothing.
class k_CandidateOrder {
public:
    /// Copies the directions (the provider's sample directions).
    explicit k_CandidateOrder(const std::vector<k_Vector3>& directions);

    /// Replaces the contents of `candidates` by buildCandidates(from, center).
    void build(const k_Vector3& from, const k_Vector3& center, std::vector<k_Vector3>& candidates);

    /// Builds that needed the full sort since construction (equal distances near the cut).
    std::uint64_t getFullSorts() const { return fullSorts; }

private:
    struct Entry {
        float key;
        std::uint32_t index;
    };
    struct Record {
        float key;
        k_Vector3 point;
    };

    /// Orders the nearest candidates by bucket; false when equal keys make that ambiguous.
    bool orderNearest(std::size_t count, std::size_t needed, float minKey, float maxKey);
    void sortAll(std::size_t count, std::size_t kept, std::vector<k_Vector3>& candidates);
    /// Candidate `index` (of the list without skipped points): center + direction * radius.
    k_Vector3 pointAt(std::size_t index) const;

    /// The directions by component, so that the key loop runs on whole vector registers.
    std::vector<float> directionX;
    std::vector<float> directionY;
    std::vector<float> directionZ;
    /// Direction of each candidate; the identity unless a point equal to `from` was skipped.
    std::vector<std::uint32_t> directionOf;
    bool skippedAny;
    k_Vector3 currentCenter;
    float currentRadius;
    std::vector<k_Vector3> points;
    std::vector<float> keys;
    std::vector<std::uint32_t> bucketOf;
    std::vector<std::uint32_t> bucketStart;
    std::vector<Entry> nearest;
    std::vector<Record> records;
    std::uint64_t fullSorts;
};
