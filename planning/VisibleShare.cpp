#include "planning/VisibleShare.h"

#include <algorithm>
#include <cmath>

#include "math/Constants.h"
#include "math/SegmentDistance.h"
#include "scenegraph/Artifact.h"
#include "scenegraph/ArtifactRegistry.h"

namespace {

using Point = k_DoublePoint;

Point toPoint(const k_Vector3& vector) {
    return {vector.x, vector.y, vector.z};
}

Point minus(const Point& a, const Point& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

double dotOf(const Point& a, const Point& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Point sampleDirectionOf(int k) {
    const double goldenAngle = pi * (3.0 - std::sqrt(5.0));
    const double y = 1.0 - 2.0 * (k + 0.5) / k_VisibleShare::samplePoints;
    const double ring = std::sqrt(1.0 - y * y);
    const double angle = k * goldenAngle;
    return {ring * std::cos(angle), y, ring * std::sin(angle)};
}

} // namespace

std::array<double, 3> k_VisibleShare::sampleDirection(int k) {
    const Point direction = sampleDirectionOf(k);
    return {direction.x, direction.y, direction.z};
}

k_Vector3 k_VisibleShare::samplePoint(const k_BoundingSphere& sphere, int k) {
    const Point direction = sampleDirectionOf(k);
    return k_Vector3(static_cast<float>(sphere.center.x + sphere.radius * direction.x),
                     static_cast<float>(sphere.center.y + sphere.radius * direction.y),
                     static_cast<float>(sphere.center.z + sphere.radius * direction.z));
}

double k_VisibleShare::of(const k_Vector3& eyeVector, const k_BoundingSphere& target,
                          const std::vector<k_BoundingSphere>& others) {
    const Point eye = toPoint(eyeVector);
    const Point center = toPoint(target.center);
    const double radius = target.radius;
    // Every sight line lies within the target's radius of the line from the eye to its centre,
    // so a body farther than both radii from that line blocks none of them.
    std::vector<const k_BoundingSphere*> near;
    for (const k_BoundingSphere& other : others) {
        // A hair wider than both radii, so that rounding cannot drop a body that grazes one.
        const double reach = (static_cast<double>(other.radius) + radius) * (1.0 + 1e-9) + 1e-9;
        if (squaredSegmentDistance(eye, center, toPoint(other.center)) < reach * reach) {
            near.push_back(&other);
        }
    }
    int facing = 0;
    int seen = 0;
    for (int k = 0; k < samplePoints; ++k) {
        const Point direction = sampleDirectionOf(k);
        const Point point{center.x + radius * direction.x, center.y + radius * direction.y,
                          center.z + radius * direction.z};
        if (dotOf(direction, minus(point, eye)) >= 0.0) {
            continue;
        }
        ++facing;
        const bool blocked =
            std::any_of(near.begin(), near.end(), [&](const k_BoundingSphere* body) {
                const double bodyRadius = body->radius;
                return squaredSegmentDistance(eye, point, toPoint(body->center)) <
                       bodyRadius * bodyRadius;
            });
        seen += blocked ? 0 : 1;
    }
    return facing == 0 ? 0.0 : static_cast<double>(seen) / facing;
}

double k_VisibleShare::ofRegisteredBody(const k_Vector3& eye, const k_Artifact* target) {
    if (target == nullptr) {
        return 0.0;
    }
    std::vector<k_BoundingSphere> others;
    others.reserve(artifactRegistry.size());
    for (const k_Artifact* body : artifactRegistry) {
        if (body != nullptr && body != target) {
            others.emplace_back(body->getTranslation(), body->getRadius());
        }
    }
    return of(eye, k_BoundingSphere(target->getTranslation(), target->getRadius()), others);
}
