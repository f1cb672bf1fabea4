#include "planning/LocalForecast.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <utility>

#include "animation/Animation.h"
#include "animation/AnimationManager.h"
#include "planning/BodyForecast.h"
#include "scenegraph/Artifact.h"
#include "scenegraph/ArtifactRegistry.h"

namespace {

// Squared distance from `point` to the segment from `from` to `to`.
float segmentDistanceSquared(const k_Vector3& point, const k_Vector3& from, const k_Vector3& to) {
    const k_Vector3 segment = to - from;
    const k_Vector3 offset = point - from;
    const float lengthSquared = dot(segment, segment);
    const float along =
        lengthSquared > 0.0f ? std::clamp(dot(offset, segment) / lengthSquared, 0.0f, 1.0f) : 0.0f;
    const k_Vector3 closest = offset - segment * along;
    return dot(closest, closest);
}

// The bound of a body's motion is worked out in double and compared in float: a little slack
// covers the rounding of both and of the forecasts themselves.
constexpr float boundSlack = 1e-3f;

} // namespace

k_LocalForecast::k_LocalForecast(std::vector<double> horizonValues, std::size_t matchBudgetValue)
    : horizons(std::move(horizonValues)), matchBudget(std::max<std::size_t>(matchBudgetValue, 1)) {}

bool k_LocalForecast::matchingIsStale(const k_AnimationManager* animations) const {
    if (stale || artifactRegistry.size() != bodies.size()) {
        return true;
    }
    // The lists themselves, not what each animation moves: an animation never changes its
    // target, and reading every animation of a large world each step costs more than the
    // rest of the step.
    if (!std::equal(bodies.begin(), bodies.end(), artifactRegistry.begin())) {
        return true;
    }
    static const std::vector<k_Animation*> none;
    const std::vector<k_Animation*>& list =
        animations == nullptr ? none : animations->getAnimations();
    return list.size() != matchedAnimations.size() ||
           !std::equal(list.begin(), list.end(), matchedAnimations.begin());
}

void k_LocalForecast::startMatching(const k_AnimationManager* animations) {
    stale = false;
    bodies.assign(artifactRegistry.begin(), artifactRegistry.end());
    static const std::vector<k_Animation*> none;
    const std::vector<k_Animation*>& list =
        animations == nullptr ? none : animations->getAnimations();
    matchedAnimations.assign(list.begin(), list.end());
    animationBody.clear();
    bodyIndex.clear();
    cursor = 0;
    firstAnimation.assign(bodies.size() + 1, 0);
    bound.assign(bodies.size(), 0.0);
}

std::size_t k_LocalForecast::bodyOf(const k_GenericSceneNode* node) {
    // Scenes add a body's animations right after the body, so the body of the next animation
    // is nearly always the last one found or the one after it; a map of every body is built
    // only for the others (a body is registered once).
    for (std::size_t at = cursor; at < std::min(cursor + 2, bodies.size()); ++at) {
        if (bodies[at] != nullptr && bodies[at] == node) {
            cursor = at;
            return at;
        }
    }
    if (bodyIndex.empty()) {
        for (std::size_t i = 0; i < bodies.size(); ++i) {
            if (bodies[i] != nullptr) {
                bodyIndex.emplace(bodies[i], i);
            }
        }
    }
    const auto found = bodyIndex.find(node);
    if (found == bodyIndex.end()) {
        return bodies.size();
    }
    cursor = found->second;
    return found->second;
}

bool k_LocalForecast::continueMatching(std::size_t budget) {
    const double lookAhead =
        horizons.empty() ? 0.0 : *std::max_element(horizons.begin(), horizons.end());
    const std::size_t end = std::min(matchedAnimations.size(), animationBody.size() + budget);
    for (std::size_t a = animationBody.size(); a < end; ++a) {
        const k_Animation* animation = matchedAnimations[a];
        const std::size_t body = bodyOf(animation->getTarget());
        animationBody.push_back(body);
        if (body < bodies.size()) {
            ++firstAnimation[body + 1];
            // The most it moves over any span up to the look-ahead, forwards or back.
            bound[body] += animation->translationChangeBound(lookAhead);
        }
    }
    if (animationBody.size() < matchedAnimations.size()) {
        return false;
    }
    // Every animation read: each body's list, in the order of the animations.
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        firstAnimation[i + 1] += firstAnimation[i];
    }
    std::vector<std::size_t> next(firstAnimation.begin(), firstAnimation.end() - 1);
    animationOrder.assign(animationBody.size(), 0);
    for (std::size_t a = 0; a < animationBody.size(); ++a) {
        if (animationBody[a] < bodies.size()) {
            animationOrder[next[animationBody[a]]++] = a;
        }
    }
    motionBound.resize(bodies.size());
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        motionBound[i] =
            std::isfinite(bound[i]) ? static_cast<float>(bound[i]) * (1.0f + boundSlack) : 1e30f;
    }
    matched = true;
    return true;
}

void k_LocalForecast::keep(const k_AnimationManager* animations, const k_BodyForecast* whole,
                           std::size_t index) {
    const k_Artifact* body = bodies[index];
    kept.push_back(body);
    radii.push_back(body->getRadius());
    forecastsMade += horizons.size();
    if (whole != nullptr && whole->getBodyCount() == bodies.size() &&
        whole->getHorizonCount() == horizons.size() && whole->getBody(index) == body) {
        for (std::size_t h = 0; h < horizons.size(); ++h) {
            centers.push_back(whole->getCenter(h, index));
        }
        return;
    }
    const k_Vector3 now = body->getTranslation();
    const std::size_t first = centers.size();
    centers.insert(centers.end(), horizons.size(), now);
    if (animations == nullptr) {
        return;
    }
    const std::vector<k_Animation*>& list = animations->getAnimations();
    for (std::size_t k = firstAnimation[index]; k < firstAnimation[index + 1]; ++k) {
        const k_Animation* animation = list[animationOrder[k]];
        for (std::size_t h = 0; h < horizons.size(); ++h) {
            if (horizons[h] == 0.0) {
                continue; // now is where the body is
            }
            k_Vector3& center = centers[first + h];
            center = center + animation->translationChangeOver(horizons[h]);
        }
    }
}

void k_LocalForecast::forget() {
    stale = true;
}

bool k_LocalForecast::update(const k_AnimationManager* animations, const k_Vector3& from,
                             const k_Artifact* target, float reach, std::size_t maxBodies,
                             const k_BodyForecast* whole) {
    kept.clear();
    radii.clear();
    centers.clear();
    targetKept = false;
    scanned = 0;
    forecastsMade = 0;
    if (matchingIsStale(animations)) {
        matched = false;
        startMatching(animations);
    }
    if (!matched && !continueMatching(matchBudget)) {
        return false; // still reading which animation moves which body
    }
    std::size_t targetIndex = bodies.size();
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        if (bodies[i] == target && target != nullptr) {
            targetIndex = i;
            break;
        }
    }
    if (targetIndex == bodies.size()) {
        return true; // nothing to look ahead at without the target
    }
    keep(animations, whole, targetIndex);
    targetKept = true;

    // Near the segment now, grown by how far the body and the segment's far end can move.
    const k_Vector3 targetNow = target->getTranslation();
    const float targetMotion = motionBound[targetIndex];
    std::vector<std::size_t> near;
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        if (i == targetIndex || bodies[i] == nullptr) {
            continue;
        }
        ++scanned;
        const float limit =
            (reach + bodies[i]->getRadius() + motionBound[i] + targetMotion) * (1.0f + boundSlack);
        if (segmentDistanceSquared(bodies[i]->getTranslation(), from, targetNow) < limit * limit) {
            if (near.size() == maxBodies) {
                return false;
            }
            near.push_back(i);
        }
    }
    // Of those, the ones that do come near at some horizon.
    for (std::size_t i : near) {
        keep(animations, whole, i);
        const std::size_t body = kept.size() - 1;
        const float limit = reach + radii[body];
        bool comes = false;
        for (std::size_t h = 0; h < horizons.size() && !comes; ++h) {
            comes =
                segmentDistanceSquared(getCenter(h, body), from, getCenter(h, 0)) < limit * limit;
        }
        if (!comes) {
            kept.pop_back();
            radii.pop_back();
            centers.resize(centers.size() - horizons.size());
        }
    }
    return true;
}

void k_LocalForecast::locate(double seconds, std::size_t& horizon, float& share) const {
    horizon = 0;
    share = 0.0f;
    if (horizons.empty() || seconds <= horizons.front()) {
        return;
    }
    for (std::size_t h = 0; h + 1 < horizons.size(); ++h) {
        if (seconds <= horizons[h + 1]) {
            horizon = h;
            share = static_cast<float>((seconds - horizons[h]) / (horizons[h + 1] - horizons[h]));
            return;
        }
    }
    horizon = horizons.size() - 1;
}
