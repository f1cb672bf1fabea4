#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "math/Vector3.h"

class k_Animation;
class k_AnimationManager;
class k_Artifact;
class k_BodyForecast;
class k_GenericSceneNode;

// Where the registered bodies that could come near one segment will be a little ahead in
// time, as k_BodyForecast works it out for every body, but only for those: a body whose centre
// now lies further from the segment than the segment's reach, its radius and the most its own
// animations and the segment's far end can move over the look-ahead is left out without
// looking ahead at it. In a world of a million bodies that leaves a few hundred to forecast;
// the rest cost a distance each. The forecast of a body it keeps is the same, to the bit, as
// k_BodyForecast's.
class k_LocalForecast {
public:
    /// Animations whose bodies one update reads at most: in a large world matching bodies
    /// with animations is spread over the first steps, which look ahead at nothing meanwhile.
    static constexpr std::size_t maxAnimationsMatchedPerStep = 250000;

    /// Offsets ahead of now in seconds, in the order the forecasts are indexed; at most
    /// `matchBudget` animations matched with their bodies a step.
    explicit k_LocalForecast(std::vector<double> horizons,
                             std::size_t matchBudget = maxAnimationsMatchedPerStep);

    /// Forecasts the bodies whose centre may come within `reach` (plus their radius) of the
    /// segment from `from` to the centre of `target` at some horizon (`target` itself too,
    /// and first), at most `maxBodies` of them besides the target, in registry order. Returns
    /// false where more would be needed (only the target kept) or the bodies' animations are
    /// not all matched with them yet (nothing kept).
    /// `whole`, when given, is a forecast of every body updated this step: its centres are
    /// taken instead of evaluating the animations again.
    bool update(const k_AnimationManager* animations, const k_Vector3& from,
                const k_Artifact* target, float reach, std::size_t maxBodies,
                const k_BodyForecast* whole = nullptr);

    /// Matches bodies with animations again at the next update, whatever the lists hold: a
    /// new scene may have made its bodies and animations where the old ones were.
    void forget();

    std::size_t getHorizonCount() const { return horizons.size(); }
    /// Bodies kept, the target first when it is registered (hasTarget()).
    std::size_t getBodyCount() const { return kept.size(); }
    bool hasTarget() const { return targetKept; }
    const k_Artifact* getBody(std::size_t body) const { return kept[body]; }
    float getRadius(std::size_t body) const { return radii[body]; }
    const k_Vector3& getCenter(std::size_t horizon, std::size_t body) const {
        return centers[body * horizons.size() + horizon];
    }
    /// Where `seconds` ahead lies among the horizons, as k_BodyForecast::locate().
    void locate(double seconds, std::size_t& horizon, float& share) const;
    k_Vector3 getCenterBetween(std::size_t horizon, float share, std::size_t body) const {
        const k_Vector3& from = getCenter(horizon, body);
        return share == 0.0f ? from : from + (getCenter(horizon + 1, body) - from) * share;
    }

    /// Work of the latest update: bodies looked at (a distance each) and forecasts made (a
    /// body at a horizon each).
    std::uint64_t getBodiesScanned() const { return scanned; }
    std::uint64_t getForecastsMade() const { return forecastsMade; }

private:
    bool matchingIsStale(const k_AnimationManager* animations) const;
    /// Reads which body each animation moves, at most `budget` animations a step, for each
    /// body's animations in the order of the list (so forecasts add up in the same order as
    /// k_BodyForecast's) and the most they can move it over the look-ahead; true once all
    /// are read.
    void startMatching(const k_AnimationManager* animations);
    bool continueMatching(std::size_t budget);
    std::size_t bodyOf(const k_GenericSceneNode* node);
    void keep(const k_AnimationManager* animations, const k_BodyForecast* whole, std::size_t index);

    std::vector<double> horizons;
    std::size_t matchBudget;
    std::vector<const k_Artifact*> bodies;
    std::vector<const k_Animation*> matchedAnimations;
    /// Animations of body i: animationOrder[firstAnimation[i] .. firstAnimation[i + 1]).
    std::vector<std::size_t> firstAnimation;
    std::vector<std::size_t> animationOrder;
    std::vector<float> motionBound;
    /// While matching: the body of each animation read so far, its bound so far, and where
    /// the bodies are found.
    std::vector<std::size_t> animationBody;
    std::vector<double> bound;
    std::unordered_map<const k_GenericSceneNode*, std::size_t> bodyIndex;
    std::size_t cursor = 0;
    bool matched = false;

    std::vector<const k_Artifact*> kept;
    std::vector<float> radii;
    /// body-major: a kept body's centre at every horizon, then the next body's.
    std::vector<k_Vector3> centers;
    bool targetKept = false;
    bool stale = true;
    std::uint64_t scanned = 0;
    std::uint64_t forecastsMade = 0;
};
