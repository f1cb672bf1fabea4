// veltrava-sim: runs a built-in scene or a scene file with a fixed time step as fast as the
// machine allows and reports what the camera did and what each planning step cost.
#include <cstdio>

#include "app/CommandLine.h"
#include "tools/sim/ArgumentParser.h"
#include "tools/sim/SimRun.h"

#if defined(VELTRAVA_SANITIZED)
#include <sanitizer/lsan_interface.h>
#endif

int main(int argc, char** argv) {
    const k_ArgumentParser::Result parsed = k_ArgumentParser::parse(argc, argv);
    if (parsed.outcome == k_ArgumentParser::Outcome::error) {
        return k_CommandLine::refuse(k_ArgumentParser::programName, parsed.message);
    }
    if (parsed.outcome != k_ArgumentParser::Outcome::run) {
        std::fputs(parsed.answer.c_str(), stdout);
        return 0;
    }
    // The window and the scene are gone when the run returns.
    const int status = k_SimRun::runProgram(parsed.options);
#if defined(VELTRAVA_SANITIZED)
    // The GL driver is unloaded at exit, before the sanitizer's own leak check, which then
    // cannot name the driver's buffers; checking here lets lsan.supp suppress them.
    __lsan_do_leak_check();
#endif
    return status;
}
