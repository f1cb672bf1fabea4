#include "planning/BodyForecast.h"

#include <unordered_map>
#include <utility>

#include "animation/Animation.h"
#include "animation/AnimationManager.h"
#include "scenegraph/Artifact.h"
#include "scenegraph/ArtifactRegistry.h"

k_BodyForecast::k_BodyForecast(std::vector<double> horizonValues)
    : horizons(std::move(horizonValues)) {}

bool k_BodyForecast::matchingIsStale(const k_AnimationManager* animations) const {
    if (artifactRegistry.size() != bodies.size()) {
        return true;
    }
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        if (artifactRegistry[i] != bodies[i]) {
            return true;
        }
    }
    const std::size_t animationCount =
        animations == nullptr ? 0 : animations->getAnimations().size();
    if (animationCount != animationTargets.size()) {
        return true;
    }
    for (std::size_t i = 0; i < animationCount; ++i) {
        if (animations->getAnimations()[i]->getTarget() != animationTargets[i]) {
            return true;
        }
    }
    return false;
}

void k_BodyForecast::match(const k_AnimationManager* animations) {
    bodies.assign(artifactRegistry.begin(), artifactRegistry.end());
    std::unordered_map<const k_GenericSceneNode*, int> bodyIndex;
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        if (bodies[i] != nullptr) {
            bodyIndex.emplace(bodies[i], static_cast<int>(i));
        }
    }
    animationTargets.clear();
    animationBody.clear();
    if (animations != nullptr) {
        for (const k_Animation* animation : animations->getAnimations()) {
            animationTargets.push_back(animation->getTarget());
            const auto found = bodyIndex.find(animation->getTarget());
            animationBody.push_back(found == bodyIndex.end() ? -1 : found->second);
        }
    }
    centers.resize(horizons.size() * bodies.size());
    radii.resize(bodies.size());
}

void k_BodyForecast::update(const k_AnimationManager* animations) {
    if (matchingIsStale(animations)) {
        match(animations);
    }
    const std::size_t count = bodies.size();
    for (std::size_t i = 0; i < count; ++i) {
        const k_Vector3 now = bodies[i] == nullptr ? k_Vector3() : bodies[i]->getTranslation();
        radii[i] = bodies[i] == nullptr ? 0.0f : bodies[i]->getRadius();
        for (std::size_t h = 0; h < horizons.size(); ++h) {
            centers[h * count + i] = now;
        }
    }
    if (animations == nullptr) {
        return;
    }
    const std::vector<k_Animation*>& list = animations->getAnimations();
    for (std::size_t a = 0; a < list.size(); ++a) {
        const int body = animationBody[a];
        if (body < 0) {
            continue;
        }
        for (std::size_t h = 0; h < horizons.size(); ++h) {
            if (horizons[h] == 0.0) {
                continue; // now is where the body is
            }
            k_Vector3& center = centers[h * count + static_cast<std::size_t>(body)];
            center = center + list[a]->translationChangeOver(horizons[h]);
        }
    }
}

void k_BodyForecast::locate(double seconds, std::size_t& horizon, float& share) const {
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
