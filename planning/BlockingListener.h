#pragma once

class k_Artifact;

// Told of every segment test that found its way blocked, with the body that blocked it: the
// first in registry order that the segment hits, whichever search strategy asked. Registered
// with the information provider by whoever wants to know; the answers do not change.
class k_BlockingListener {
public:
    virtual ~k_BlockingListener() = default;
    virtual void segmentBlocked(const k_Artifact* body) = 0;
};
