#pragma once

#include <string>

#include "scenes/PlanOverlay.h"

// What each colour of the plan overlay means, written once: the programs' help texts print it
// and the overlay can draw it on screen. The colours are the overlay's own constants, so a
// colour changed there is named right here.
struct k_PlanLegendEntry {
    k_PlanOverlay::Colour colour;
    /// The colour in a word, for text that cannot show the colour itself.
    const char* colourName;
    const char* meaning;
};

constexpr k_PlanLegendEntry planLegend[] = {
    {k_PlanOverlay::targetColour, "green", "the target's bounding sphere"},
    {k_PlanOverlay::blockingColour, "orange",
     "the bodies that blocked the straight way, enlarged by the search's clearance"},
    {k_PlanOverlay::routeColour, "magenta", "the route and its intermediate goals"},
    {k_PlanOverlay::curveColour, "yellow", "the curve the camera steers along to its waypoint"},
    {k_PlanOverlay::cameraColour, "white", "the camera and its view direction (top view)"},
    {k_PlanOverlay::bodyColour, "grey", "the other bodies (top view)"},
};

/// The legend for a help text: a heading line, then one line per entry, each starting with
/// `indent` spaces, the colour's name in a column and its meaning; ends in a newline.
std::string planLegendText(int indent);
