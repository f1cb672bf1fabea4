#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/sim/WorldChoice.h"

// One self-contained SVG picture of a run: above, the camera's and the target's paths seen
// from above (x to the right, z downwards, equal scale on both axes) over the bodies' start
// positions; below, the planning time of every frame with its p50 and p99.
class k_SvgPlot {
public:
    struct Body {
        double x, z, radius;
    };

    /// The title names the world: its scene number, or the scene file's path.
    k_SvgPlot(const k_WorldChoice& world, double dt)
        : scene(world.getScene()), sceneFile(world.getSceneFile()), dt(dt) {}

    /// The bodies as they stood when the scene was loaded.
    void setBodies(const std::vector<Body>& bodies) { bodyStarts = bodies; }
    /// One frame: the camera, the target (index -1 for none) and the planning time.
    void addFrame(double t, double cameraX, double cameraZ, int target, double targetX,
                  double targetZ, std::int64_t planMicroseconds);
    /// The nearest-rank p50 and p99 of the planning time, drawn as reference lines.
    void setPlanPercentiles(std::int64_t p50, std::int64_t p99);

    std::string render() const;

    /// Smallest 1, 2 or 5 times a power of ten that splits `span` into at most `count` steps.
    static double niceStep(double span, int count);

private:
    struct Frame {
        float t;
        float cameraX, cameraZ;
        float targetX, targetZ;
        int target;
        std::int64_t planMicroseconds;
    };

    void renderTopView(std::string& svg, double top, double& height) const;
    void renderPlanTime(std::string& svg, double top, double height) const;

    int scene;
    std::string sceneFile;
    double dt;
    std::vector<Body> bodyStarts;
    std::vector<Frame> frames;
    std::int64_t p50 = 0;
    std::int64_t p99 = 0;
};
