#pragma once

#include <string>

#include "tools/sim/SimOptions.h"

// Reads the simulator's command line with CLI11. Checks everything that can be checked
// without a window, so that bad input is reported before any GL context is made. An option is
// added in one place, declareOptions() in the source: its help, the synopsis and its check
// follow from that line.
class k_ArgumentParser {
public:
    enum class Outcome { run, help, error };

    struct Result {
        Outcome outcome = Outcome::error;
        k_SimOptions options;
        /// One line saying what is wrong (Outcome::error only).
        std::string message;
    };

    /// Most frames one run may have: the per-frame figures are kept for the summary and
    /// the plot, so this bounds the memory of a run (about 70 MB).
    static constexpr long maxFrames = 1000000;
    /// Largest swarm for --swarm: the bodies' snapshot of one search stays below ~20 MB.
    static constexpr long maxSwarm = 1000000;
    /// Most repeats per compared search.
    static constexpr int maxRepeats = 100;
    /// Most passes of one run.
    static constexpr int maxPasses = 20;
    /// Largest --search-budget: a billion segment tests is already hours of one step.
    static constexpr long maxSearchBudget = 1000000000;

    /// Parses argv[1..argc-1]. Output paths are not opened here.
    static Result parse(int argc, const char* const* argv);
    /// The usage lines, made from the options, ending in a newline.
    static std::string synopsis(const std::string& program);
    /// The synopsis and what every option does, ending in a newline.
    static std::string usage(const std::string& program);
};
