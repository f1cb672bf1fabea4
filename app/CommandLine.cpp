#include "app/CommandLine.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "planning/PlannerRegistry.h"
#include "scenes/SceneHost.h"

namespace {

// Set by the build from the project's version.
#ifndef VELTRAVA_VERSION
#error "VELTRAVA_VERSION must be defined by the build"
#endif
constexpr const char* version = VELTRAVA_VERSION;

// The same layout in both programs: option names and values in one column, then what they do.
constexpr std::size_t helpColumn = 20;

bool readWholeNumber(const std::string& text, long long& value) {
    // Digits with at most a leading sign: no base prefixes, exponents or spaces.
    const std::size_t digits = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
    if (text.size() <= digits ||
        text.find_first_not_of("0123456789", digits) != std::string::npos) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    value = std::strtoll(text.c_str(), &end, 10);
    return errno == 0 && *end == '\0';
}

bool readDecimal(const std::string& text, double& value) {
    // Excludes "nan", "inf" and hexadecimal floats, which strtod would take.
    if (text.empty() || text.find_first_not_of("0123456789+-.eE") != std::string::npos) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return errno == 0 && end != text.c_str() && *end == '\0' && std::isfinite(value);
}

std::string refusal(const std::string& rule, const std::string& text) {
    return "must be " + rule + ", not '" + text + "'";
}

} // namespace

k_StrictDecimal k_StrictDecimal::wholeNumber(long long least, long long most,
                                             const std::string& rule) {
    k_StrictDecimal validator;
    validator.func_ = [least, most, rule](std::string& text) {
        long long value = 0;
        if (!readWholeNumber(text, value) || value < least || value > most) {
            return refusal(rule, text);
        }
        text = std::to_string(value);
        return std::string();
    };
    return validator;
}

k_StrictDecimal k_StrictDecimal::positiveNumber(const std::string& rule) {
    k_StrictDecimal validator;
    validator.func_ = [rule](std::string& text) {
        double value = 0.0;
        if (!readDecimal(text, value) || value <= 0.0) {
            return refusal(rule, text);
        }
        char exact[64];
        std::snprintf(exact, sizeof exact, "%a", value);
        text = exact;
        return std::string();
    };
    return validator;
}

k_CommandLine::k_CommandLine(const std::string& program, const std::string& description)
    : programName(program), cli(description + "\n", program) {
    cli.get_formatter()->column_width(helpColumn);
    // Every option once: a second --dt or --show-plan is a mistake, not an override.
    cli.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    // Answered as soon as they are read, so that they win over any fault elsewhere in the
    // line (the rest is checked only once the whole line is read).
    cli.set_help_flag();
    cli.add_flag_callback(
           "-h,--help", [] { throw CLI::CallForHelp(); }, "print this help and exit")
        ->trigger_on_parse();
    cli.set_version_flag("--version", versionLine(program), "print the program's version and exit")
        ->trigger_on_parse();
}

k_CommandLine::Outcome k_CommandLine::parse(int argc, const char* const* argv) {
    try {
        cli.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        return Outcome::help;
    } catch (const CLI::CallForVersion&) {
        return Outcome::version;
    } catch (const CLI::ParseError& fault) {
        error = fault.what();
        return Outcome::error;
    }
    return Outcome::run;
}

std::string k_CommandLine::versionLine(const std::string& program) {
    return program + " " + version;
}

std::string k_CommandLine::answerText(Outcome outcome) const {
    if (outcome == Outcome::help) {
        return helpText();
    }
    return outcome == Outcome::version ? versionLine(programName) + "\n" : std::string();
}

int k_CommandLine::answer(Outcome outcome) const {
    if (outcome == Outcome::error) {
        return refuse(programName, error);
    }
    if (outcome == Outcome::run) {
        return -1;
    }
    std::fputs(answerText(outcome).c_str(), stdout);
    return 0;
}

int k_CommandLine::refuse(const std::string& program, const std::string& message) {
    std::fprintf(stderr, "%s: %s (run '%s --help' for the options)\n", program.c_str(),
                 message.c_str(), program.c_str());
    return usageExitCode;
}

CLI::Option* k_CommandLine::addScene(int& scene, const std::string& help) {
    static_assert(k_SceneHost::sceneCount == 4, "the rule names every scene number");
    return addWholeNumber("--scene", scene, 1, k_SceneHost::sceneCount, "1, 2, 3 or 4", "N", help);
}

CLI::Option* k_CommandLine::addSceneFile(std::string& path, CLI::Option* scene,
                                         const std::string& help) {
    // An empty value ("--scene-file=") is refused by CLI11 as a missing one.
    return cli.add_option("--scene-file", path, help)->type_name("FILE")->excludes(scene);
}

CLI::Option* k_CommandLine::addPlanner(k_PlannerKind& planner) {
    return addWord("--planner", planner, k_PlannerRegistry::helpText());
}

CLI::Option* k_CommandLine::addShowPlan(bool& showPlan, const std::string& help) {
    return addSwitch("--show-plan", showPlan, help);
}

CLI::Option* k_CommandLine::addPositiveNumber(const std::string& name, double& target,
                                              const std::string& rule, const std::string& typeName,
                                              const std::string& help) {
    return cli.add_option(name, target, help)
        ->transform(k_StrictDecimal::positiveNumber(rule))
        ->type_name(typeName);
}

CLI::Option* k_CommandLine::addSwitch(const std::string& name, bool& target,
                                      const std::string& help) {
    // Flags take the last of several by default; ours refuse a repeat like every option.
    return cli.add_flag(name, target, help)
        ->disable_flag_override()
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
}
