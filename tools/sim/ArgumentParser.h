#pragma once

#include <string>

#include "app/CommandLine.h"
#include "tools/sim/SimOptions.h"

// Reads the simulator's command line with CLI11, the shared options as the demo reads them.
// Checks everything that can be checked without a window, so that bad input is reported
// before any GL context is made. An option is added in one place, declareOptions() in the
// source: its help and its check follow from that line.
class k_ArgumentParser {
public:
    static constexpr const char* programName = "veltrava-sim";
    using Outcome = k_CommandLine::Outcome;

    struct Result {
        Outcome outcome = Outcome::error;
        k_SimOptions options;
        /// One line saying what is wrong (Outcome::error only).
        std::string message;
        /// The help text or the version line (Outcome::help and Outcome::version only).
        std::string answer;
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
};
