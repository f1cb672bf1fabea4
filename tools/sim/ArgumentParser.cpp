#include "tools/sim/ArgumentParser.h"

#include "scenes/PlanLegend.h"
#include "tools/sim/RunSummary.h"

#include <CLI/CLI.hpp>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <map>
#include <utility>

namespace {

// Values are read here rather than by CLI11: its conversions take hexadecimal, octal ("010" is
// 8), "nan" and "inf", and read doubles through long double, which can round a time step
// differently from the decimal text.
bool parseInteger(const std::string& text, long& value) {
    if (text.empty() || text.find_first_not_of("0123456789+-") != std::string::npos) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || end == text.c_str() || *end != '\0') {
        return false;
    }
    value = parsed;
    return true;
}

// Finite decimal numbers only: "nan", "inf" and hexadecimal floats are refused.
bool parseNumber(const std::string& text, double& value) {
    if (text.empty() || text.find_first_not_of("0123456789+-.eE") != std::string::npos) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const double parsed = std::strtod(text.c_str(), &end);
    if (errno != 0 || end == text.c_str() || *end != '\0' || !std::isfinite(parsed)) {
        return false;
    }
    value = parsed;
    return true;
}

std::string shortNumber(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

[[noreturn]] void refuse(const std::string& name, const std::string& rule,
                         const std::string& value) {
    throw CLI::ValidationError(name + " must be " + rule + ", not '" + value + "'");
}

// One function per kind of value: each declares the option, its help and its check, so that
// an option is added with one line in declareOptions.
template <typename Integer>
CLI::Option* addWholeNumber(CLI::App& app, const std::string& name, Integer& target, long least,
                            long most, const std::string& rule, const std::string& typeName,
                            const std::string& help) {
    return app
        .add_option_function<std::string>(
            name,
            [name, &target, least, most, rule](const std::string& text) {
                long value = 0;
                if (!parseInteger(text, value) || value < least || value > most) {
                    refuse(name, rule, text);
                }
                target = static_cast<Integer>(value);
            },
            help)
        ->type_name(typeName);
}

CLI::Option* addPositiveNumber(CLI::App& app, const std::string& name, double& target,
                               const std::string& rule, const std::string& typeName,
                               const std::string& help) {
    return app
        .add_option_function<std::string>(
            name,
            [name, &target, rule](const std::string& text) {
                double value = 0.0;
                if (!parseNumber(text, value) || value <= 0.0) {
                    refuse(name, rule, text);
                }
                target = value;
            },
            help)
        ->type_name(typeName);
}

CLI::Option* addPath(CLI::App& app, const std::string& name, std::string& target,
                     const std::string& typeName, const std::string& help) {
    // An empty value ("--trace=") is refused by CLI11 as a missing one.
    return app.add_option(name, target, help)->type_name(typeName);
}

template <typename Value>
CLI::Option* addChoice(CLI::App& app, const std::string& name, Value& target,
                       const std::string& typeName, const std::string& help) {
    return app
        .add_option_function<std::string>(
            name,
            [name, &target](const std::string& text) {
                if (!valueOfWord(text, target)) {
                    refuse(name, wordChoices<Value>(), text);
                }
            },
            help)
        ->type_name(typeName);
}

CLI::Option* addSwitch(CLI::App& app, const std::string& name, bool& target,
                       const std::string& help) {
    return app.add_flag(name, target, help)->disable_flag_override();
}

// Every option of the program, in the order of the help text.
void declareOptions(CLI::App& app, k_SimOptions& options) {
    using Parser = k_ArgumentParser;
    addWholeNumber(app, "--scene", options.scene, 1, 4, "1, 2, 3 or 4", "N",
                   "scene 1, 2, 3 or 4, loaded as from the menu of a fresh program")
        ->required();
    addPositiveNumber(app, "--seconds", options.seconds, "a number of seconds above 0", "S",
                      "scene time to run, above 0 (default 60)");
    addPositiveNumber(app, "--dt", options.dt, "a time step in seconds above 0", "D",
                      "time step in seconds, above 0 (default 0.016); frames = round(S/D),\n"
                      "at most " +
                          std::to_string(Parser::maxFrames));
    addPath(app, "--trace", options.tracePath, "FILE",
            "CSV, one row per frame after its update:\n"
            "frame,t,target,cam_x,cam_y,cam_z,look_x,look_y,look_z,up_x,up_y,up_z,\n"
            "vel_x,vel_y,vel_z,look_speed,relocations,find_path_calls,\n"
            "segment_tests,sphere_tests,plan_us[,comparison columns],budget_hit,\n"
            "visible_share,hidden,engulfed,inside,turn_deg_s\n"
            "(target: index in the body registry, -1 for none; plan_us: wall\n"
            "time of the planning step; all else is the same on every run;\n"
            "visible_share: of 64 points on the target's sphere facing the\n"
            "camera, the share seen past every other body, nan without a target;\n"
            "turn_deg_s: the view's turn since the previous frame)");
    addPath(app, "--json", options.jsonPath, "FILE", "the summary as JSON");
    addPath(app, "--plot", options.plotPath, "FILE",
            "SVG: top view of the camera's and the target's paths with the\n"
            "bodies' start positions, and planning time per frame");
    addPath(app, "--frames", options.framesDirectory, "DIR",
            "draw the scene and write every K-th frame as DIR/frame_NNNNNN.png,\n"
            "its number and scene time in the top-right corner");
    addWholeNumber(app, "--every", options.captureEvery, 1, std::numeric_limits<long>::max(),
                   "a whole number of frames, 1 or more", "K",
                   "K for --frames, 1 or more (default 1)");
    addSwitch(app, "--show-plan", options.showPlan,
              "draw the plan over the pictures (its colours are listed below)");
    addChoice(app, "--strategy", options.strategy, "S",
              "path search: fast (default) or reference (the straightforward one;\n"
              "same routes and counts but sphere tests, slower)");
    addSwitch(app, "--compare-reference", options.compareReference,
              "also run the reference search on the same frames, on a copy of\n"
              "each search's input; reports both versions' times and counts every\n"
              "search whose result, route or counts differ (mismatches, must be\n"
              "0). Adds trace columns search_ns,ref_plan_us,ref_search_ns,\n"
              "ref_sphere_tests,mismatches. The comparison itself is left out of\n"
              "plan_us; ref_plan_us is the step with the reference's search time.\n"
              "Its times are a warm micro-benchmark (each search right after the\n"
              "reference's on the same data); without it every step is timed\n"
              "once, cold, as a frame runs it (scripts/measure-planning compares\n"
              "the two searches that way)");
    addWholeNumber(app, "--repeats", options.repeats, 1, Parser::maxRepeats,
                   "a whole number from 1 to " + std::to_string(Parser::maxRepeats), "K",
                   "with --compare-reference: each side runs every search K times\n"
                   "(1-100, default 3) and keeps its shortest time, which other work\n"
                   "on the machine inflates least");
    addWholeNumber(app, "--passes", options.passes, 1, Parser::maxPasses,
                   "a whole number from 1 to " + std::to_string(Parser::maxPasses), "P",
                   "run the scene P times from its load (1-20, default 1); every time\n"
                   "figure is then the shortest of the P passes for its frame, which\n"
                   "leaves out time slices lost to other work; the rest is the same\n"
                   "in every pass");
    addWholeNumber(app, "--swarm", options.swarm, 1, Parser::maxSwarm,
                   "a number of obstacles from 1 to " + std::to_string(Parser::maxSwarm), "N",
                   "scene 4 only: N obstacles (default 100) from the same generator\n"
                   "and recipe; the first 100 are the scene's own");
    addChoice(app, "--planner", options.planner, "P",
              "default (heads for the target) or visibility (keeps the target\n"
              "in sight first: viewpoints around it scored by the line of sight\n"
              "now and over the next 2 s of the bodies' motion)");
    addWholeNumber(app, "--search-budget", options.searchBudget, 0, Parser::maxSearchBudget,
                   "a number of segment tests from 0 (unbounded) to " +
                       std::to_string(Parser::maxSearchBudget),
                   "N",
                   "most segment tests the searches of one planning step may make\n"
                   "(default " +
                       std::to_string(k_InformationProvider::defaultSearchBudget) +
                       ", as in the demo; 0 = unbounded). A step that\n"
                       "reaches it stops searching (trace column budget_hit is 1) and\n"
                       "the camera takes the fallback");
    addChoice(app, "--budget-fallback", options.budgetFallback, "F",
              "the fallback: partial (default, as in the demo: the furthest\n"
              "chain of intermediate goals found), straight (straight for the\n"
              "target) or keep (the previous step's path while its waypoint\n"
              "lies ahead)");
    addSwitch(app, "--headless", options.headless,
              "make the GL context off-screen, without an X server (EGL on Mesa's\n"
              "surfaceless platform), as happens anyway when DISPLAY is not set");
}

// Rules between options, checked once every value is read; "" when the line is sound.
std::string checkCombinations(const CLI::App& app, k_SimOptions& options) {
    if (app.count("--every") != 0 && options.framesDirectory.empty()) {
        return "--every needs --frames DIR";
    }
    if (options.showPlan && options.framesDirectory.empty()) {
        return "--show-plan draws the plan into the pictures: it needs --frames DIR";
    }
    if (app.count("--swarm") != 0 && options.scene != 4) {
        return "--swarm grows Scene 4's swarm: it needs --scene 4";
    }
    if (options.compareReference && options.strategy == k_SearchStrategy::reference) {
        return "--compare-reference runs the reference beside the fast search: it "
               "cannot be combined with --strategy reference";
    }
    if (app.count("--repeats") != 0 && !options.compareReference) {
        return "--repeats needs --compare-reference";
    }
    if (!options.framesDirectory.empty() && options.captureEvery == 0) {
        options.captureEvery = 1;
    }
    const double frames = std::round(options.seconds / options.dt);
    if (frames < 1.0) {
        return "--seconds " + shortNumber(options.seconds) + " is less than half of --dt " +
               shortNumber(options.dt) + ": the run would have no frame";
    }
    if (frames > static_cast<double>(k_ArgumentParser::maxFrames)) {
        return "--seconds / --dt gives more than " + std::to_string(k_ArgumentParser::maxFrames) +
               " frames; use a larger --dt or fewer seconds";
    }
    options.frames = static_cast<long>(frames);
    return "";
}

// The help text's layout: our synopsis and description on top, "--name VALUE" without
// CLI11's type and requirement tags.
class HelpFormatter : public CLI::Formatter {
public:
    std::string make_description(const CLI::App*) const override { return ""; }
    std::string make_usage(const CLI::App* app, std::string) const override {
        return k_ArgumentParser::synopsis(app->get_name()) + "\n" + app->get_description() + "\n";
    }
    std::string make_option_opts(const CLI::Option* option) const override {
        return option->get_type_name().empty() ? "" : " " + option->get_type_name();
    }
};

void describeProgram(CLI::App& app, k_SimOptions& options) {
    app.description(
        "Runs built-in scene N (1-4) without drawing, as fast as the machine allows, with a\n"
        "fixed time step, and reports what the camera did and what each planning step cost.\n"
        "Run it in the data folder (it reads the scene images and shaders from there). It\n"
        "needs no X server: without DISPLAY, or with --headless, it draws off-screen.");
    app.formatter(std::make_shared<HelpFormatter>());
    app.get_formatter()->column_width(17);
    app.allow_extras();
    declareOptions(app, options);
    app.set_help_flag("--help", "this text");
    app.footer(std::string(k_RunSummary::figureDefinitions()) + "\n" + planLegendText(2) +
               "\n"
               "Exit codes: 0 done, 1 failed while running (no GL context, write error), 2 bad "
               "usage,\n"
               "130 or 143 ended early by SIGINT (Ctrl-C) or SIGTERM: the run stops after its "
               "current\n"
               "frame, and the trace, the summary (marked interrupted) and the other outputs "
               "hold the\n"
               "frames run. On a terminal a progress line on standard error shows runs that "
               "take over\n"
               "a second.");
}

// CLI11 takes a repeated switch without complaint and stops at a repeated value.
std::string repeatedOption(const CLI::App& app) {
    for (const CLI::Option* option : app.get_options()) {
        if (option->count() > 1) {
            return "option " + option->get_name() + " is given more than once";
        }
    }
    return "";
}

// CLI11's count and value mismatches, said the way the rest of our messages are.
std::string explain(const CLI::ParseError& error, const CLI::App& app) {
    const std::string repeated = repeatedOption(app);
    if (!repeated.empty()) {
        return repeated;
    }
    const std::string text = error.what();
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr) {
        for (const CLI::Option* option : app.get_options()) {
            const std::string name = option->get_name();
            if (text.rfind(name + ":", 0) == 0) {
                return "option " + name + " needs a value";
            }
            if (text.rfind(name.substr(2) + " was given", 0) == 0) {
                return "option " + name + " takes no value";
            }
        }
    }
    return text;
}

k_ArgumentParser::Result failure(const std::string& message) {
    k_ArgumentParser::Result result;
    result.outcome = k_ArgumentParser::Outcome::error;
    result.message = message;
    return result;
}

} // namespace

k_ArgumentParser::Result k_ArgumentParser::parse(int argc, const char* const* argv) {
    // Help is answered whatever else the line holds, even if that is wrong.
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            Result result;
            result.outcome = Outcome::help;
            return result;
        }
    }

    Result result;
    CLI::App app("", "veltrava-sim");
    describeProgram(app, result.options);
    // An unknown word is named first: "-s 1" is a typo, not a missing --scene.
    std::string wrong;
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        wrong = explain(error, app);
    }
    if (!app.remaining().empty()) {
        return failure("unknown option '" + app.remaining().front() + "'");
    }
    if (!wrong.empty()) {
        return failure(wrong);
    }
    wrong = repeatedOption(app);
    if (wrong.empty()) {
        wrong = checkCombinations(app, result.options);
    }
    if (!wrong.empty()) {
        return failure(wrong);
    }
    result.outcome = Outcome::run;
    return result;
}

std::string k_ArgumentParser::synopsis(const std::string& program) {
    // Built from the options themselves, so a new option shows here without another edit.
    k_SimOptions ignored;
    CLI::App app("", program);
    app.set_help_flag();
    declareOptions(app, ignored);
    std::string text = "usage: " + program;
    std::string line = text;
    for (const CLI::Option* option : app.get_options()) {
        std::string word = option->get_name();
        if (!option->get_type_name().empty()) {
            word += " " + option->get_type_name();
        }
        if (!option->get_required()) {
            word = "[" + word + "]";
        }
        if (line.size() + 1 + word.size() > 90) {
            text += "\n" + std::string(6 + program.size(), ' ');
            line = std::string(6 + program.size(), ' ');
        }
        text += " " + word;
        line += " " + word;
    }
    return text + "\n";
}

std::string k_ArgumentParser::usage(const std::string& program) {
    k_SimOptions ignored;
    CLI::App app("", program);
    describeProgram(app, ignored);
    return app.help();
}
