#pragma once

#include <cstddef>
#include <vector>

#include "math/Vector3.h"

class k_AnimationManager;
class k_Artifact;
class k_GenericSceneNode;

// Where every registered body will be a little ahead in time: its centre now plus what each
// animation moving it will have added by then, from the animations' own laws of time. The
// scene is never stepped or changed; bodies keep their radii.
class k_BodyForecast {
public:
    /// Offsets ahead of now in seconds, in the order the forecasts are indexed.
    explicit k_BodyForecast(std::vector<double> horizons);

    /// Recomputes every body's centre at every horizon from the registry and the animations
    /// as they are now; matches animations with bodies again only when either list changed.
    void update(const k_AnimationManager* animations);

    std::size_t getHorizonCount() const { return horizons.size(); }
    double getHorizon(std::size_t horizon) const { return horizons[horizon]; }
    /// Registered bodies at the latest update, in registry order.
    std::size_t getBodyCount() const { return bodies.size(); }
    const k_Artifact* getBody(std::size_t body) const { return bodies[body]; }
    float getRadius(std::size_t body) const { return radii[body]; }
    const k_Vector3& getCenter(std::size_t horizon, std::size_t body) const {
        return centers[horizon * bodies.size() + body];
    }

    /// Where `seconds` ahead lies among the horizons: between `horizon` and the next, at
    /// `share` of the way (0 past either end, where the nearest forecast holds).
    void locate(double seconds, std::size_t& horizon, float& share) const;
    /// The centre at a place found by locate(), linear between the two forecasts.
    k_Vector3 getCenterBetween(std::size_t horizon, float share, std::size_t body) const {
        const k_Vector3& from = getCenter(horizon, body);
        return share == 0.0f ? from : from + (getCenter(horizon + 1, body) - from) * share;
    }

private:
    /// True when the registry or the animations' targets differ from the matched ones.
    bool matchingIsStale(const k_AnimationManager* animations) const;
    void match(const k_AnimationManager* animations);

    std::vector<double> horizons;
    std::vector<const k_Artifact*> bodies;
    std::vector<float> radii;
    /// Target of every animation at the last matching, and the body it moves (-1: none).
    std::vector<const k_GenericSceneNode*> animationTargets;
    std::vector<int> animationBody;
    /// horizon-major: all bodies at the first horizon, then at the second, ...
    std::vector<k_Vector3> centers;
};
