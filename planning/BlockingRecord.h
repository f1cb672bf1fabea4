#pragma once

#include <vector>

#include "planning/BoundingSphere.h"
#include "planning/Ray.h"

class k_Artifact;

// The bodies that blocked the segment tests of one planning step, for drawing the plan: each
// body once, in the order first found, as the enlarged sphere the tests saw. For a blocked
// segment the body noted is the first in registry order that it hits, which is the one the
// reference search stops at, so both search strategies note the same bodies. Only a provider
// asked to record fills one; without it no segment test calls anything here.
class k_BlockingRecord {
public:
    /// Forgets every body; called at the start of each planning step.
    void clear();
    /// Notes `artifact`, which blocked a segment, unless it is noted already.
    void add(const k_Artifact* artifact);
    /// Notes the first body of `registry` but `ignored` that `segment` hits, if any; for
    /// segment tests that know only that the way is blocked, not by which body.
    void addFirstHit(const std::vector<k_Artifact*>& registry, const k_Ray& segment,
                     const k_Artifact* ignored);

    /// The enlarged spheres of the noted bodies, copied when noted: safe to read after the
    /// bodies are gone.
    const std::vector<k_BoundingSphere>& getSpheres() const { return spheres; }

private:
    /// For telling bodies apart while a step runs; never dereferenced.
    std::vector<const k_Artifact*> bodies;
    std::vector<k_BoundingSphere> spheres;
};
