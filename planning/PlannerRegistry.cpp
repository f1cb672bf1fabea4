#include "planning/PlannerRegistry.h"

#include <algorithm>

#include "examples/planners/OrbitPlanner.h"
#include "planning/MotionPlanner.h"
#include "planning/RolloutPlanner.h"
#include "planning/VisibilityPlanner.h"

namespace {

template <typename Planner>
std::unique_ptr<k_MotionPlanner> makeWithAnimations(const k_PlannerParts& parts) {
    return std::make_unique<Planner>(parts.provider, parts.camera, parts.root, parts.animations);
}

std::unique_ptr<k_MotionPlanner> makeDefault(const k_PlannerParts& parts) {
    return std::make_unique<k_MotionPlanner>(parts.provider, parts.camera, parts.root);
}

} // namespace

const std::vector<k_PlannerRegistry::Entry>& k_PlannerRegistry::entries() {
    // The order is the kinds' order: k_PlannerKind names the first two.
    static const std::vector<Entry> table{
        {"default", "heads for the target", makeDefault},
        {"visibility",
         "keeps the target in sight first: viewpoints around it scored by the line of sight "
         "now and over the next 2 s of the bodies' motion",
         makeWithAnimations<k_VisibilityPlanner>},
        {"orbit", "an example: circles the target, blind to the other bodies",
         makeWithAnimations<k_OrbitPlanner>},
        {"rollout",
         "runs the default's plan and a few others 2 s ahead on a copy of the camera's "
         "motion and takes another only where it would see more",
         makeWithAnimations<k_RolloutPlanner>},
    };
    return table;
}

std::unique_ptr<k_MotionPlanner> k_PlannerRegistry::make(k_PlannerKind kind,
                                                         const k_PlannerParts& parts) {
    const std::vector<Entry>& table = entries();
    const auto index = static_cast<std::size_t>(kind);
    return (index < table.size() ? table[index] : table.front()).make(parts);
}

std::string k_PlannerRegistry::helpText() {
    const std::vector<Entry>& table = entries();
    std::string sentence;
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (i > 0) {
            sentence += i + 1 == table.size() ? " or " : ", ";
        }
        // A name stays on the line of its opening words: the unit separator is a space that
        // is never broken, put back once the lines are made.
        sentence += std::string(table[i].name) + "\x1f(" + table[i].help + ")";
    }
    // Broken into lines that fit the help's column beside the option names.
    constexpr std::size_t lineWidth = 64;
    std::string text;
    std::size_t lineStart = 0;
    std::size_t wordStart = 0;
    while (wordStart < sentence.size()) {
        std::size_t wordEnd = sentence.find(' ', wordStart);
        if (wordEnd == std::string::npos) {
            wordEnd = sentence.size();
        }
        const std::string word = sentence.substr(wordStart, wordEnd - wordStart);
        if (text.size() > lineStart && text.size() - lineStart + 1 + word.size() > lineWidth) {
            text += '\n';
            lineStart = text.size();
        } else if (text.size() > lineStart) {
            text += ' ';
        }
        text += word;
        wordStart = wordEnd + 1;
    }
    std::replace(text.begin(), text.end(), '\x1f', ' ');
    return text;
}

const std::vector<k_EnumWord<k_PlannerKind>>& enumWords(k_PlannerKind) {
    static const std::vector<k_EnumWord<k_PlannerKind>> words = [] {
        std::vector<k_EnumWord<k_PlannerKind>> list;
        const std::vector<k_PlannerRegistry::Entry>& table = k_PlannerRegistry::entries();
        for (std::size_t i = 0; i < table.size(); ++i) {
            list.push_back({static_cast<k_PlannerKind>(i), table[i].name});
        }
        return list;
    }();
    return words;
}
