#include "app/DemoOptions.h"

#include <cstring>

#include "app/CommandLine.h"
#include "plandrawing/PlanLegend.h"
#include "platform/DataFolder.h"

namespace {

constexpr const char* programName = "veltrava";

// The X options freeglut reads in glutInit, and whether each takes a value.
struct XOption {
    const char* name;
    bool takesValue;
};
constexpr XOption xOptions[] = {{"-display", true}, {"-geometry", true}, {"-iconic", false},
                                {"-sync", false},   {"-direct", false},  {"-indirect", false},
                                {"-gldebug", false}};

const XOption* findXOption(const char* argument) {
    for (const XOption& option : xOptions) {
        if (std::strcmp(argument, option.name) == 0) {
            return &option;
        }
    }
    return nullptr;
}

} // namespace

int parseDemoOptions(int argc, const char* const* argv, k_DemoOptions& options) {
    k_CommandLine line(programName,
                       "Veltrava Corrento: an autonomous virtual camera plans its way through "
                       "scenes\nof moving bodies. Choose a scene from the menu on the right mouse "
                       "button.");
    CLI::Option* scene =
        line.addScene(options.scene, "start in scene N (1-4) instead of waiting for the menu");
    line.addSceneFile(options.sceneFile, scene,
                      "start in the world of a scene file (docs/scene-format.md); the\n"
                      "menu's scenes still replace it");
    CLI::Option* planner = line.addPlanner(options.planner);
    CLI::Option* command =
        line.app()
            .add_option("--planner-command", options.plannerCommand,
                        "plan with a program of your own instead, as veltrava-sim\n"
                        "does (docs/planners.md); a planner that fails ends the\n"
                        "program with its message and exit status 3")
            ->type_name("CMD")
            ->excludes(planner);
    line.addPositiveNumber("--planner-timeout", options.plannerTimeout,
                           "a number of seconds above 0", "S",
                           "with --planner-command: the longest wait for an answer (default 1)")
        ->needs(command);
    line.addShowPlan(options.showPlan, "draw the plan over every frame (colours below)");
    line.app().footer(
        planLegendText(2) + "\n" + k_DataFolder::searchOrderText() +
        "X options such as -display NAME and -geometry WxH+X+Y are read by "
        "GLUT.\nExit codes: 0 after Quit, --help or --version, 1 when the window "
        "cannot be opened,\n2 for a bad argument or a scene file that is refused, 3 when the "
        "planner of\n--planner-command fails.");

    // The X options go to GLUT, everything else to our parser.
    std::vector<const char*> ours{argc > 0 ? argv[0] : programName};
    options.glutArguments.assign(1, ours.front());
    for (int i = 1; i < argc; ++i) {
        const XOption* xOption = findXOption(argv[i]);
        if (xOption == nullptr) {
            ours.push_back(argv[i]);
            continue;
        }
        options.glutArguments.emplace_back(argv[i]);
        if (xOption->takesValue) {
            if (i + 1 == argc) {
                return k_CommandLine::refuse(programName,
                                             std::string(xOption->name) + " needs a value");
            }
            options.glutArguments.emplace_back(argv[++i]);
        }
    }
    const k_CommandLine::Outcome outcome = line.parse(static_cast<int>(ours.size()), ours.data());
    return outcome == k_CommandLine::Outcome::run ? demoOptionsRun : line.answer(outcome);
}
