#pragma once

#include "planning/PlanSnapshot.h"

// Draws the latest plan snapshot over a finished frame, in the camera's own view: the
// target's bounding sphere, the enlarged spheres of the bodies the route in use goes around
// (thin: of all the bodies that blocked the step's segment tests, only those), the route with
// its points and intermediate goals and the curve the camera steers along to its waypoint. In
// the lower-left corner a translucent top view of the camera, the target and the bodies, with a
// scale bar and a steady framing; in the upper-left corner the scene, the planner, the scene
// time, the share of the target seen and the legend. Made for reading the planner, not for
// looks: flat colours, lines and square points, no lighting, shaders or textures and no depth
// test, so everything shows through the bodies. All of it comes from the plan snapshot: the
// overlay reads nothing else, and changes nothing but the colour buffer.
// GL state: draw() saves every attribute group, both matrices and the current shader program
// and restores them, so that the next frame's tree is drawn exactly as without it; the state it
// needs (no depth, stencil or alpha test, no blending, culling or texturing) it sets itself.
class k_PlanOverlay {
public:
    struct Colour {
        unsigned char r, g, b;
    };
    /// Pure colours, so that a picture shows where each part is drawn, chosen against what the
    /// scenes show: magenta occurs nowhere in them, so the target is the first thing seen;
    /// cyan for the blockers differs from the orange and blue bodies; the bright lines also
    /// carry a dark edge, so that they read on a blue sky, white clouds, grass and dusk alike.
    static constexpr Colour targetColour{255, 0, 255};
    static constexpr Colour blockingColour{0, 255, 255};
    static constexpr Colour routeColour{255, 255, 0};
    static constexpr Colour curveColour{255, 255, 255};
    static constexpr Colour cameraColour{255, 64, 64};
    static constexpr Colour bodyColour{160, 160, 160};
    static constexpr Colour edgeColour{0, 0, 0};
    /// Distance of the corner panel and the top view from the window's edges, in pixels.
    static constexpr int cornerMargin = 8;
    /// Side of the square top view, and its distance from the window's edges, in pixels.
    static constexpr int topViewSize = 200;
    static constexpr int topViewMargin = cornerMargin;

    /// Draws `snapshot`, which must outlive the overlay and is filled by whoever watches the
    /// plan (the scene controller, for the programs).
    explicit k_PlanOverlay(const k_PlanSnapshot& snapshot);

    /// Draws over the colour buffer with the current projection and viewport, reading the
    /// snapshot as the latest step left it. Draws nothing before a step was planned. The top
    /// view is framed where the snapshot is filled, so how often pictures are drawn does not
    /// change what they show.
    void draw() const;

    k_PlanOverlay(const k_PlanOverlay&) = delete;
    k_PlanOverlay& operator=(const k_PlanOverlay&) = delete;

private:
    const k_PlanSnapshot& snapshot;
};
