#pragma once

#include <sys/types.h>

#include <string>

// A program started through `/bin/sh -c COMMAND` in a process group of its own, talked to in
// lines on its standard input and output; its standard error is ours. Ending it ends its
// whole group, whatever it started, and waits for the shell: nothing of it outlives the
// object. Writing to a program that has gone is an error, not a signal.
class k_ChildProcess {
public:
    k_ChildProcess() = default;
    /// Ends the program's group if it still runs.
    ~k_ChildProcess();
    k_ChildProcess(const k_ChildProcess&) = delete;
    k_ChildProcess& operator=(const k_ChildProcess&) = delete;

    /// Starts `command`; false with `error` set when it could not be started (a command the
    /// shell cannot find is an exit with status 127, seen at the first read).
    bool start(const std::string& command, std::string& error);
    bool isRunning() const { return pid > 0; }
    pid_t getProcessGroup() const { return pid; }

    /// Writes `line` and a newline, waiting at most `timeoutSeconds` for the program to take
    /// it; false with `error` set ("exited ..." when it has gone). Errors are said of the
    /// program without naming it: "exited with status 1", "gave no answer within 1 s".
    bool writeLine(const std::string& line, double timeoutSeconds, std::string& error);
    /// Reads up to the next newline (not kept) within `timeoutSeconds`; false with `error`
    /// set when the time ran out ("gave no answer within ...") or the program closed its output
    /// ("exited ..."). A line longer than maxLineBytes is an error too.
    bool readLine(std::string& line, double timeoutSeconds, std::string& error);
    /// Ends the program's whole process group (SIGTERM, then SIGKILL to what is left after a
    /// moment) and collects the shell. Does nothing when nothing runs.
    void stop();

    /// Longest line read, so that a runaway program cannot fill the memory.
    static constexpr std::size_t maxLineBytes = 64 * 1024 * 1024;

private:
    /// How the program ended, in words ("exited with status 1", "was ended by signal 9"),
    /// waiting a little for it; "closed its output" when it still runs.
    std::string endWords();

    pid_t pid = -1;
    int toChild = -1;
    int fromChild = -1;
    std::string buffer;
    /// The exit status once collected, as waitpid gives it.
    bool collected = false;
    int status = 0;
};
