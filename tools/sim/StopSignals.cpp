#include "tools/sim/StopSignals.h"

#include <csignal>
#include <cstdio>

namespace {

volatile std::sig_atomic_t receivedSignal = 0;

extern "C" void recordStopSignal(int signal) {
    receivedSignal = signal;
}

} // namespace

void k_StopSignals::install() {
    receivedSignal = 0;
    struct sigaction action {};
    action.sa_handler = recordStopSignal;
    sigemptyset(&action.sa_mask);
    // SA_RESETHAND: the first signal asks, a second one ends the program the usual way.
    // SA_RESTART: a write interrupted by the signal carries on rather than failing.
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int k_StopSignals::received() {
    return receivedSignal;
}

const char* k_StopSignals::name(int signal) {
    if (signal == SIGINT) {
        return "SIGINT";
    }
    if (signal == SIGTERM) {
        return "SIGTERM";
    }
    static char text[32];
    std::snprintf(text, sizeof text, "signal %d", signal);
    return text;
}
