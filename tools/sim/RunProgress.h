#pragma once

#include <cstdio>
#include <functional>

// A progress line for someone watching a long run at a terminal: redrawn in place on standard
// error a few times a second, once the run has taken a second, and wiped before the summary is
// written. Nothing at all when disabled (the program disables it unless standard error is a
// terminal), so scripts and logs see no change.
class k_RunProgress {
public:
    /// Seconds on a steady clock.
    using Clock = std::function<double()>;

    k_RunProgress(std::FILE* output, bool enabled, Clock clock = steadySeconds);
    /// Wipes a line still shown.
    ~k_RunProgress();
    k_RunProgress(const k_RunProgress&) = delete;
    k_RunProgress& operator=(const k_RunProgress&) = delete;

    /// The run's size: `passes` passes of `frames` frames each.
    void begin(long frames, int passes);
    /// Frame `frame` of pass `pass` (both from 1) is done.
    void frameDone(int pass, long frame);
    /// Wipes the line if one is shown; later frames may draw it again.
    void finish();

    static double steadySeconds();

    /// Runs shorter than this show nothing.
    static constexpr double quietSeconds = 1.0;
    /// Least time between two redraws.
    static constexpr double redrawSeconds = 0.2;

private:
    std::FILE* output;
    bool enabled;
    Clock clock;
    long frames = 0;
    int passes = 1;
    double startTime = 0.0;
    double lastDrawTime = 0.0;
    bool shown = false;
};
