#pragma once

#include <cstddef>
#include <vector>

#include "math/Vector3.h"
#include "planning/SearchDirection.h"

// The way the camera is to go from its eye: points in travel order, the last one the place it
// heads for. The camera steers along a run of them (its waypoint, then the next waypoint):
// a complete search's own start-side point is travelled through but not steered for when the
// search began at the eye, and a search begun at the goal steers only along its intermediate
// goals and start-side point, never for the goal itself.
class k_Route {
public:
    /// Room for the goal, the most intermediate goals a search lists and its start-side point.
    explicit k_Route(std::size_t capacity = 0);

    /// No route: nothing planned yet.
    void clear() {
        points.clear();
        firstSteered = steeredEnd = 0;
    }
    /// Straight for `goal`: the route is that point alone.
    void headFor(const k_Vector3& goal);
    /// The list of a successful search (the goal, then what the search appended: intermediate
    /// goals from the search's goal outwards, then its start-side point).
    void takeSearch(const std::vector<k_Vector3>& list, k_SearchDirection direction);
    /// A chain of a search stopped at its work bound (the goal, then the intermediate goals
    /// from the search's goal outwards; no start-side point).
    void takeChain(const std::vector<k_Vector3>& chain, k_SearchDirection direction);

    bool isEmpty() const { return points.empty(); }
    /// From the first point after the eye to the goal.
    const std::vector<k_Vector3>& getPoints() const { return points; }
    /// The point the camera steers for first; the route must not be empty.
    const k_Vector3& getWaypoint() const { return points[firstSteered]; }
    /// The point after the waypoint that the camera steers for, else `otherwise`.
    const k_Vector3& getNextWaypointOr(const k_Vector3& otherwise) const;
    /// As above, with the waypoint itself where no next point is steered for.
    const k_Vector3& getNextWaypoint() const { return getNextWaypointOr(getWaypoint()); }

private:
    void take(const std::vector<k_Vector3>& list, k_SearchDirection direction,
              bool hasStartSidePoint);

    std::vector<k_Vector3> points;
    /// The steered points are points[firstSteered] up to, not including, points[steeredEnd].
    std::size_t firstSteered = 0;
    std::size_t steeredEnd = 0;
};
