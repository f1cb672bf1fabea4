#pragma once

#include <CLI/CLI.hpp>

#include <string>

#include "planning/PlannerKind.h"
#include "platform/EnumWords.h"

// What the demo's and the simulator's command lines share: the help and version flags, the
// one-line answer to a bad argument, the options both programs take (--scene, --planner,
// --show-plan), and the kinds of value their options read. Both programs declare their
// options on a k_CommandLine, so the same option reads and answers the same way in each.
// Nothing here needs a display: a program parses before it opens any window.
class k_CommandLine {
public:
    enum class Outcome { run, help, version, error };

    /// Exit code for a bad command line (and, in the simulator, an output it cannot write).
    static constexpr int usageExitCode = 2;

    /// `program` names the program in its help, version line and messages.
    k_CommandLine(const std::string& program, const std::string& description);

    CLI::App& app() { return cli; }
    const std::string& program() const { return programName; }

    /// Reads argv[1..argc-1]. --help and --version win over whatever else the line holds, even
    /// where that is wrong; otherwise the first fault found is kept for errorMessage().
    Outcome parse(int argc, const char* const* argv);
    /// After Outcome::error: what is wrong, in one line.
    const std::string& errorMessage() const { return error; }

    /// The help text, ending in a newline.
    std::string helpText() const { return cli.help(); }
    /// "PROGRAM VERSION", from the version the build was configured with.
    static std::string versionLine(const std::string& program);

    /// What goes to standard output for Outcome::help or Outcome::version, ending in a
    /// newline; "" for the others.
    std::string answerText(Outcome outcome) const;
    /// Answers a parse that does not run: help or version on standard output (exit code 0),
    /// or the error line on standard error (usageExitCode). For Outcome::run, returns -1.
    int answer(Outcome outcome) const;
    /// Writes "PROGRAM: MESSAGE (run 'PROGRAM --help' for the options)" to standard error and
    /// returns usageExitCode; for every bad argument or output the programs find.
    static int refuse(const std::string& program, const std::string& message);

    /// --scene N: built-in scene 1 to 4, as chosen from the demo's menu.
    CLI::Option* addScene(int& scene, const std::string& help);
    /// --scene-file FILE: a world read from a scene file, instead of `scene` (--scene).
    CLI::Option* addSceneFile(std::string& path, CLI::Option* scene, const std::string& help);
    /// --planner default|visibility.
    CLI::Option* addPlanner(k_PlannerKind& planner);
    /// --show-plan: the plan over the picture; its colours are listed in the help's footer.
    CLI::Option* addShowPlan(bool& showPlan, const std::string& help);

    /// An option that takes one of an enum's words (and nothing else: no numbers, no case
    /// changes); the help shows the words.
    template <typename Enum>
    CLI::Option* addWord(const std::string& name, Enum& target, const std::string& help);
    /// A whole number from `least` to `most` in plain decimal; `rule` says the range in words
    /// for the message.
    template <typename Integer>
    CLI::Option* addWholeNumber(const std::string& name, Integer& target, long long least,
                                long long most, const std::string& rule,
                                const std::string& typeName, const std::string& help);
    /// A finite decimal number above 0.
    CLI::Option* addPositiveNumber(const std::string& name, double& target, const std::string& rule,
                                   const std::string& typeName, const std::string& help);
    /// A switch without a value; given twice it is refused like any repeated option.
    CLI::Option* addSwitch(const std::string& name, bool& target, const std::string& help);

private:
    std::string programName;
    CLI::App cli;
    std::string error;
};

// Numbers on our command lines are plain decimals: "010" is ten and not eight, "0x10",
// "1e3" for a whole number, "nan" and "inf" are refused. CLI11's own conversion reads
// integers with base prefixes and doubles through long double, which can round a time step
// differently from its decimal text; so the validator reads the text itself and hands CLI11
// a form its conversion reads exactly (the decimal digits of the whole number, the double in
// hexadecimal).
class k_StrictDecimal : public CLI::Validator {
public:
    /// A whole number from `least` to `most`.
    static k_StrictDecimal wholeNumber(long long least, long long most, const std::string& rule);
    /// A finite number above 0.
    static k_StrictDecimal positiveNumber(const std::string& rule);

private:
    k_StrictDecimal() = default;
};

/// Accepts only the words of Enum's table and hands CLI11 the value's number.
template <typename Enum> CLI::Validator enumWordValidator() {
    CLI::Validator validator(
        [](std::string& text) -> std::string {
            Enum value{};
            if (!valueOfWord(text, value)) {
                return "must be " + wordChoices<Enum>() + ", not '" + text + "'";
            }
            text = std::to_string(static_cast<int>(value));
            return std::string();
        },
        "");
    return validator;
}

template <typename Enum>
CLI::Option* k_CommandLine::addWord(const std::string& name, Enum& target,
                                    const std::string& help) {
    std::string words;
    for (const k_EnumWord<Enum>& entry : enumWords(Enum{})) {
        words += (words.empty() ? "" : "|") + std::string(entry.word);
    }
    return cli.add_option(name, target, help)
        ->transform(enumWordValidator<Enum>())
        ->type_name(words);
}

template <typename Integer>
CLI::Option* k_CommandLine::addWholeNumber(const std::string& name, Integer& target,
                                           long long least, long long most, const std::string& rule,
                                           const std::string& typeName, const std::string& help) {
    return cli.add_option(name, target, help)
        ->transform(k_StrictDecimal::wholeNumber(least, most, rule))
        ->type_name(typeName);
}
