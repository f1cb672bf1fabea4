#pragma once

#include <string>

#include "plandrawing/PlanOverlay.h"

// What each colour of the plan overlay means, written once: the programs' help texts print it
// and the overlay can draw it on screen. The colours are the overlay's own constants, so a
// colour changed there is named right here.
struct k_PlanLegendEntry {
    k_PlanOverlay::Colour colour;
    /// The colour in a word, for text that cannot show the colour itself.
    const char* colourName;
    const char* meaning;
    /// A few words for the overlay's own corner, beside a sample of the colour.
    const char* label;
};

constexpr k_PlanLegendEntry planLegend[] = {
    {k_PlanOverlay::targetColour, "magenta", "the target's bounding sphere", "target"},
    {k_PlanOverlay::routeColour, "yellow", "the route and its intermediate goals",
     "route, intermediate goals"},
    {k_PlanOverlay::curveColour, "white", "the curve the camera steers along to its waypoint",
     "curve to the waypoint"},
    {k_PlanOverlay::blockingColour, "cyan",
     "the bodies the route goes around, enlarged by the search's clearance",
     "bodies the route goes around"},
    {k_PlanOverlay::cameraColour, "red", "the camera and its view direction (top view)",
     "camera (top view)"},
    {k_PlanOverlay::bodyColour, "grey", "the other bodies (top view)", "other bodies (top view)"},
};

/// The legend for a help text: a heading line, then one line per entry, each starting with
/// `indent` spaces, the colour's name in a column and its meaning; ends in a newline.
std::string planLegendText(int indent);
