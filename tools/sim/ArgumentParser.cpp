#include "tools/sim/ArgumentParser.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>

namespace {

bool parseInteger(const std::string& text, long& value) {
    if (text.empty()) {
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

k_ArgumentParser::Result failure(const std::string& message) {
    k_ArgumentParser::Result result;
    result.outcome = k_ArgumentParser::Outcome::error;
    result.message = message;
    return result;
}

} // namespace

k_ArgumentParser::Result k_ArgumentParser::parse(int argc, const char* const* argv) {
    static const std::set<std::string> valued = {"--scene",    "--seconds", "--dt",     "--trace",
                                                 "--json",     "--plot",    "--frames", "--every",
                                                 "--strategy", "--repeats", "--swarm",  "--passes"};
    static const std::set<std::string> switches = {"--compare-reference"};
    Result result;
    k_SimOptions& options = result.options;
    std::set<std::string> seen;

    // Help is answered whatever else the line holds, even if that is wrong.
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            result.outcome = Outcome::help;
            return result;
        }
    }
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        std::string value;
        bool hasValue = false;
        const std::size_t equals = name.find('=');
        if (name.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
            hasValue = true;
        }
        if (switches.count(name) != 0) {
            if (hasValue) {
                return failure("option " + name + " takes no value");
            }
            if (!seen.insert(name).second) {
                return failure("option " + name + " is given more than once");
            }
            options.compareReference = true;
            continue;
        }
        if (valued.count(name) == 0) {
            return failure("unknown option '" + std::string(argv[i]) + "'");
        }
        if (!hasValue) {
            if (i + 1 >= argc) {
                return failure("option " + name + " needs a value");
            }
            value = argv[++i];
        }
        if (!seen.insert(name).second) {
            return failure("option " + name + " is given more than once");
        }

        if (name == "--scene") {
            long scene = 0;
            if (!parseInteger(value, scene) || scene < 1 || scene > 4) {
                return failure("--scene must be 1, 2, 3 or 4, not '" + value + "'");
            }
            options.scene = static_cast<int>(scene);
        } else if (name == "--seconds") {
            if (!parseNumber(value, options.seconds) || options.seconds <= 0.0) {
                return failure("--seconds must be a number of seconds above 0, not '" + value +
                               "'");
            }
        } else if (name == "--dt") {
            if (!parseNumber(value, options.dt) || options.dt <= 0.0) {
                return failure("--dt must be a time step in seconds above 0, not '" + value + "'");
            }
        } else if (name == "--every") {
            if (!parseInteger(value, options.captureEvery) || options.captureEvery < 1) {
                return failure("--every must be a whole number of frames, 1 or more, not '" +
                               value + "'");
            }
        } else if (name == "--strategy") {
            if (value == "fast") {
                options.strategy = k_SearchStrategy::fast;
            } else if (value == "reference") {
                options.strategy = k_SearchStrategy::reference;
            } else {
                return failure("--strategy must be fast or reference, not '" + value + "'");
            }
        } else if (name == "--repeats") {
            long repeats = 0;
            if (!parseInteger(value, repeats) || repeats < 1 || repeats > maxRepeats) {
                return failure("--repeats must be a whole number from 1 to " +
                               std::to_string(maxRepeats) + ", not '" + value + "'");
            }
            options.repeats = static_cast<int>(repeats);
        } else if (name == "--passes") {
            long passes = 0;
            if (!parseInteger(value, passes) || passes < 1 || passes > maxPasses) {
                return failure("--passes must be a whole number from 1 to " +
                               std::to_string(maxPasses) + ", not '" + value + "'");
            }
            options.passes = static_cast<int>(passes);
        } else if (name == "--swarm") {
            if (!parseInteger(value, options.swarm) || options.swarm < 1 ||
                options.swarm > maxSwarm) {
                return failure("--swarm must be a number of obstacles from 1 to " +
                               std::to_string(maxSwarm) + ", not '" + value + "'");
            }
        } else if (value.empty()) {
            return failure("option " + name + " needs a file name, not an empty one");
        } else if (name == "--trace") {
            options.tracePath = value;
        } else if (name == "--json") {
            options.jsonPath = value;
        } else if (name == "--plot") {
            options.plotPath = value;
        } else {
            options.framesDirectory = value;
        }
    }

    if (options.scene == 0) {
        return failure("--scene is required");
    }
    if (seen.count("--every") != 0 && options.framesDirectory.empty()) {
        return failure("--every needs --frames DIR");
    }
    if (seen.count("--swarm") != 0 && options.scene != 4) {
        return failure("--swarm grows Scene 4's swarm: it needs --scene 4");
    }
    if (options.compareReference && options.strategy == k_SearchStrategy::reference) {
        return failure("--compare-reference runs the reference beside the fast search: it "
                       "cannot be combined with --strategy reference");
    }
    if (seen.count("--repeats") != 0 && !options.compareReference) {
        return failure("--repeats needs --compare-reference");
    }
    if (!options.framesDirectory.empty() && options.captureEvery == 0) {
        options.captureEvery = 1;
    }
    const double frames = std::round(options.seconds / options.dt);
    if (frames < 1.0) {
        return failure("--seconds " + shortNumber(options.seconds) + " is less than half of --dt " +
                       shortNumber(options.dt) + ": the run would have no frame");
    }
    if (frames > static_cast<double>(maxFrames)) {
        return failure("--seconds / --dt gives more than " + std::to_string(maxFrames) +
                       " frames; use a larger --dt or fewer seconds");
    }
    options.frames = static_cast<long>(frames);
    result.outcome = Outcome::run;
    return result;
}

std::string k_ArgumentParser::synopsis(const std::string& program) {
    return "usage: " + program +
           " --scene N [--seconds S] [--dt D] [--trace FILE] [--json FILE]\n"
           "       [--plot FILE.svg] [--frames DIR [--every K]] [--strategy fast|reference]\n"
           "       [--compare-reference [--repeats K]] [--passes P] [--swarm N]\n";
}

std::string k_ArgumentParser::usage(const std::string& program) {
    return synopsis(program) +
           "\n"
           "Runs built-in scene N (1-4) without drawing, as fast as the machine allows, with a\n"
           "fixed time step, and reports what the camera did and what each planning step cost.\n"
           "Run it in the data folder (it reads the scene images and shaders from there) on an\n"
           "X display (Xvfb will do).\n"
           "\n"
           "  --scene N      scene 1, 2, 3 or 4, loaded as from the menu of a fresh program\n"
           "  --seconds S    scene time to run, above 0 (default 60)\n"
           "  --dt D         time step in seconds, above 0 (default 0.016); frames = round(S/D),\n"
           "                 at most 1000000\n"
           "  --trace FILE   CSV, one row per frame after its update:\n"
           "                 "
           "frame,t,target,cam_x,cam_y,cam_z,look_x,look_y,look_z,up_x,up_y,up_z,\n"
           "                 vel_x,vel_y,vel_z,look_speed,relocations,find_path_calls,\n"
           "                 segment_tests,sphere_tests,plan_us\n"
           "                 (target: index in the body registry, -1 for none; plan_us: wall\n"
           "                 time of the planning step; all else is the same on every run)\n"
           "  --json FILE    the summary as JSON\n"
           "  --plot FILE    SVG: top view of the camera's and the target's paths with the\n"
           "                 bodies' start positions, and planning time per frame\n"
           "  --frames DIR   draw the scene and write every K-th frame as DIR/frame_NNNNNN.png\n"
           "  --every K      K for --frames, 1 or more (default 1)\n"
           "  --strategy S   path search: fast (default) or reference (the straightforward one;\n"
           "                 same routes and counts but sphere tests, slower)\n"
           "  --compare-reference\n"
           "                 also run the reference search on the same frames, on a copy of\n"
           "                 each search's input; reports both versions' times and counts every\n"
           "                 search whose result, route or counts differ (mismatches, must be\n"
           "                 0). Adds trace columns search_ns,ref_plan_us,ref_search_ns,\n"
           "                 ref_sphere_tests,mismatches. The comparison itself is left out of\n"
           "                 plan_us; ref_plan_us is the step with the reference's search time\n"
           "  --repeats K    with --compare-reference: each side runs every search K times\n"
           "                 (1-100, default 3) and keeps its shortest time, which other work\n"
           "                 on the machine inflates least\n"
           "  --passes P     run the scene P times from its load (1-20, default 1); every time\n"
           "                 figure is then the shortest of the P passes for its frame, which\n"
           "                 leaves out time slices lost to other work; the rest is the same\n"
           "                 in every pass\n"
           "  --swarm N      scene 4 only: N obstacles (default 100) from the same generator\n"
           "                 and recipe; the first 100 are the scene's own\n"
           "  --help         this text\n"
           "\n"
           "Summary: plan_us and sphere tests per frame as p50, p99 and max. Percentiles are\n"
           "nearest-rank: the p-th percentile of n values is the ceil(p*n/100)-th smallest.\n"
           "Quality, against the bodies' true bounding spheres, always leaving out the target:\n"
           "  occluded       share of frames with a target whose segment from the camera to\n"
           "                 the target's centre comes strictly closer than a radius to a body\n"
           "  inside         share of all frames whose camera lies strictly inside a body\n"
           "  min clearance  least (distance from the camera to a body's centre - its radius)\n"
           "                 over all frames and bodies; negative when inside\n"
           "\n"
           "Exit codes: 0 done, 1 failed while running (no display, write error), 2 bad usage.\n";
}
