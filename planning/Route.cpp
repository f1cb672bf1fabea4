#include "planning/Route.h"

k_Route::k_Route(std::size_t capacity) {
    points.reserve(capacity);
}

void k_Route::headFor(const k_Vector3& goal) {
    points.assign(1, goal);
    firstSteered = 0;
    steeredEnd = 1;
}

void k_Route::takeSearch(const std::vector<k_Vector3>& list, k_SearchDirection direction) {
    take(list, direction, true);
}

void k_Route::takeChain(const std::vector<k_Vector3>& chain, k_SearchDirection direction) {
    take(chain, direction, false);
}

void k_Route::take(const std::vector<k_Vector3>& list, k_SearchDirection direction,
                   bool hasStartSidePoint) {
    points.clear();
    if (list.empty()) {
        firstSteered = steeredEnd = 0;
        return;
    }
    if (direction == k_SearchDirection::fromEye) {
        // Appended from the goal outwards: the end of the list lies at the eye.
        points.assign(list.rbegin(), list.rend());
        firstSteered = hasStartSidePoint && points.size() >= 2 ? 1 : 0;
        steeredEnd = points.size();
    } else {
        // Appended from the eye outwards, towards the goal listed first.
        points.assign(list.begin() + 1, list.end());
        points.push_back(list.front());
        firstSteered = 0;
        steeredEnd = points.size() >= 2 ? points.size() - 1 : points.size();
    }
}

const k_Vector3& k_Route::getNextWaypointOr(const k_Vector3& otherwise) const {
    return firstSteered + 1 < steeredEnd ? points[firstSteered + 1] : otherwise;
}
