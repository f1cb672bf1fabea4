#include "plandrawing/PlanLegend.h"

#include <algorithm>
#include <cstring>

std::string planLegendText(int indent) {
    const std::string margin(static_cast<std::size_t>(indent), ' ');
    std::size_t nameWidth = 0;
    for (const k_PlanLegendEntry& entry : planLegend) {
        nameWidth = std::max(nameWidth, std::strlen(entry.colourName));
    }
    std::string text =
        "The plan (--show-plan), drawn over the picture: a top view with its scale in\n"
        "the lower-left corner; the scene, planner, time, share of the target seen\n"
        "and this legend in the upper-left:\n";
    for (const k_PlanLegendEntry& entry : planLegend) {
        const std::string name = entry.colourName;
        text +=
            margin + name + std::string(nameWidth + 2 - name.size(), ' ') + entry.meaning + "\n";
    }
    return text;
}
