#include "app/DemoOptions.h"

#include "scenes/PlanLegend.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <map>
#include <string>

namespace {
constexpr const char* programName = "veltrava";
} // namespace

int parseDemoOptions(int argc, const char* const* argv, k_DemoOptions& options) {
    CLI::App app("Veltrava Corrento: an autonomous virtual camera plans its way through scenes\n"
                 "of moving bodies. Choose a scene from the menu on the right mouse button.",
                 programName);
    app.add_flag("--show-plan", options.showPlan, "Draw the plan over every frame (see below)");
    app.add_option("--planner", options.planner,
                   "default (heads for the target) or visibility (keeps the target in sight "
                   "first)")
        ->transform(CLI::CheckedTransformer(std::map<std::string, k_PlannerKind>{
            {wordOf(k_PlannerKind::standard), k_PlannerKind::standard},
            {wordOf(k_PlannerKind::visibility), k_PlannerKind::visibility}}))
        ->type_name("P");
    app.footer(planLegendText(2) +
               "X options such as -display NAME and -geometry WxH+X+Y are read by GLUT.\n"
               "Exit codes: 0 after Quit or --help, 1 when the window cannot be opened, 2 for a\n"
               "bad argument.");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::fputs(app.help().c_str(), stdout);
        return 0;
    } catch (const CLI::ParseError& error) {
        std::fprintf(stderr, "%s: %s (run '%s --help' for the options)\n", programName,
                     error.what(), programName);
        return demoUsageExitCode;
    }
    return demoOptionsRun;
}
