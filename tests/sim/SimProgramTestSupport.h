#pragma once

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

/// Names a built-in scene's case "scene2" rather than by its index.
inline std::string sceneName(const testing::TestParamInfo<int>& info) {
    return "scene" + std::to_string(info.param);
}

// Runs the built veltrava-sim as a user would, through the shell, and keeps what it wrote.
struct k_SimProgramRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

inline std::string readWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

/// `arguments` are appended to the program's path as they are (shell syntax); `environment`
/// goes in front of it (e.g. "env -u DISPLAY").
inline k_SimProgramRun runSimProgram(const std::string& arguments,
                                     const std::string& environment = "") {
    const std::string base = "/tmp/veltrava_sim_test_" + std::to_string(getpid());
    const std::string command = environment + " '" VELTRAVA_SIM_PROGRAM "' " + arguments + " >" +
                                base + ".out 2>" + base + ".err";
    const int status = std::system(command.c_str());
    k_SimProgramRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = readWholeFile(base + ".out");
    run.err = readWholeFile(base + ".err");
    std::remove((base + ".out").c_str());
    std::remove((base + ".err").c_str());
    return run;
}
