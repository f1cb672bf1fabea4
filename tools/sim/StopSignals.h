#pragma once

// SIGINT and SIGTERM as a request to end a run after its current frame, so that the frames
// already run reach the trace, the summary and the JSON whole. The handler only records the
// signal; a second one finds the default action restored and ends the program at once, for a
// frame that does not finish.
class k_StopSignals {
public:
    /// Installs the handlers for SIGINT and SIGTERM and forgets any earlier request.
    static void install();
    /// The signal that asked for the stop, 0 while none has.
    static int received();
    /// "SIGINT", "SIGTERM", or "signal N" for any other.
    static const char* name(int signal);
};
