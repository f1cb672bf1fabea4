#pragma once

#include <cstdint>
#include <vector>

#include "math/Vector3.h"
#include "planning/PartialRoute.h"
#include "planning/SearchDirection.h"

// The work bound of one planning step's searches, counted in segment tests, and what the
// searches leave when they reach it: like a planner's termination condition with its
// approximate solution. Both search strategies spend from the same budget, so they stop at
// the same test on every machine. A limit of 0 leaves the searches unbounded.
class k_SearchBudget {
public:
    explicit k_SearchBudget(std::uint64_t limit = 0) : limit(limit) {}

    void setLimit(std::uint64_t value) { limit = value; }
    std::uint64_t getLimit() const { return limit; }

    /// A new step: nothing spent, not reached, no partial route.
    void restart() {
        spent = 0;
        reached = false;
        partial.clear();
    }
    /// The searches from now on run this way (until told otherwise); a chain they leave is
    /// read accordingly.
    void beginSearch(k_SearchDirection direction) { searchDirection = direction; }

    /// Spends one segment test if the limit allows it; otherwise the budget is reached and
    /// stays so until restart().
    bool trySpend() {
        if (limit != 0 && spent >= limit) {
            reached = true;
            return false;
        }
        ++spent;
        return true;
    }
    /// Spends one segment test whatever the limit: for tests outside the searches, which
    /// the searches after them have less left for.
    void spend() { ++spent; }
    std::uint64_t getSpent() const { return spent; }
    /// True once a search was refused a test; every search after it fails at once.
    bool isReached() const { return reached; }

    /// Offers a chain a search is about to try from `start`; kept when bounded and nearer.
    void offer(const k_Vector3& start, const std::vector<k_Vector3>& chain) {
        if (limit != 0) {
            partial.consider(start, chain, searchDirection);
        }
    }
    /// The furthest chain offered since restart() (empty when none placed a goal).
    const k_PartialRoute& getPartialRoute() const { return partial; }

private:
    std::uint64_t limit;
    std::uint64_t spent = 0;
    bool reached = false;
    k_SearchDirection searchDirection = k_SearchDirection::fromEye;
    k_PartialRoute partial;
};
