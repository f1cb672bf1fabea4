#pragma once

#include <vector>

#include "planning/BlockingListener.h"
#include "planning/BoundingSphere.h"

class k_Artifact;

// The bodies that blocked the segment tests of one planning step, for drawing the plan: each
// body once, in the order first found, as the enlarged sphere the tests saw. Whoever wants
// the record owns one and registers it with the provider while it wants it; without a
// listener no segment test calls anything here.
class k_BlockingRecord : public k_BlockingListener {
public:
    /// Forgets every body; called at the start of each planning step.
    void clear();
    /// Notes `artifact`, which blocked a segment, unless it is noted already or null.
    void add(const k_Artifact* artifact);
    void segmentBlocked(const k_Artifact* body) override { add(body); }

    /// The enlarged spheres of the noted bodies, copied when noted: safe to read after the
    /// bodies are gone.
    const std::vector<k_BoundingSphere>& getSpheres() const { return spheres; }

private:
    /// For telling bodies apart while a step runs; never dereferenced.
    std::vector<const k_Artifact*> bodies;
    std::vector<k_BoundingSphere> spheres;
};
