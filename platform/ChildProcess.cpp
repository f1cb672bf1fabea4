#include "platform/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// How often a wait for output looks whether the program has ended.
constexpr int exitCheckMilliseconds = 20;

// Milliseconds left until `deadline`, at least 0, for poll().
int millisecondsLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 1 << 30));
}

Clock::time_point deadlineAfter(double seconds) {
    return Clock::now() +
           std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

std::string secondsWords(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%g s", seconds);
    return text;
}

void closeIfOpen(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

} // namespace

k_ChildProcess::~k_ChildProcess() {
    stop();
}

bool k_ChildProcess::start(const std::string& command, std::string& error) {
    stop();
    int input[2];
    int output[2];
    if (::pipe2(input, O_CLOEXEC) != 0) {
        error = std::string("cannot make a pipe: ") + std::strerror(errno);
        return false;
    }
    if (::pipe2(output, O_CLOEXEC) != 0) {
        error = std::string("cannot make a pipe: ") + std::strerror(errno);
        ::close(input[0]);
        ::close(input[1]);
        return false;
    }
    // A write to a program that has gone then fails with EPIPE instead of ending us.
    ::signal(SIGPIPE, SIG_IGN);
    const pid_t child = ::fork();
    if (child < 0) {
        error = std::string("cannot start a process: ") + std::strerror(errno);
        for (int fd : {input[0], input[1], output[0], output[1]}) {
            ::close(fd);
        }
        return false;
    }
    if (child == 0) {
        // Only async-signal-safe calls until exec.
        ::setpgid(0, 0);
        ::signal(SIGPIPE, SIG_DFL);
        ::dup2(input[0], STDIN_FILENO);
        ::dup2(output[1], STDOUT_FILENO);
        ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // Also here, so that the group exists before stop() can name it.
    ::setpgid(child, child);
    ::close(input[0]);
    ::close(output[1]);
    pid = child;
    toChild = input[1];
    fromChild = output[0];
    ::fcntl(toChild, F_SETFL, ::fcntl(toChild, F_GETFL) | O_NONBLOCK);
    ::fcntl(fromChild, F_SETFL, ::fcntl(fromChild, F_GETFL) | O_NONBLOCK);
    buffer.clear();
    collected = false;
    status = 0;
    return true;
}

bool k_ChildProcess::writeLine(const std::string& line, double timeoutSeconds, std::string& error) {
    if (toChild < 0) {
        error = "is not running";
        return false;
    }
    const std::string text = line + "\n";
    const Clock::time_point deadline = deadlineAfter(timeoutSeconds);
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t count = ::write(toChild, text.data() + written, text.size() - written);
        if (count > 0) {
            written += static_cast<std::size_t>(count);
            continue;
        }
        if (count < 0 && errno == EPIPE) {
            error = endWords();
            return false;
        }
        if (count < 0 && errno != EAGAIN && errno != EINTR) {
            error = std::string("could not be written to: ") + std::strerror(errno);
            return false;
        }
        pollfd wait{toChild, POLLOUT, 0};
        const int ready = ::poll(&wait, 1, millisecondsLeft(deadline));
        if (ready == 0) {
            error = "took no input within " + secondsWords(timeoutSeconds);
            return false;
        }
    }
    return true;
}

bool k_ChildProcess::readLine(std::string& line, double timeoutSeconds, std::string& error) {
    if (fromChild < 0) {
        error = "is not running";
        return false;
    }
    const Clock::time_point deadline = deadlineAfter(timeoutSeconds);
    std::size_t searched = 0;
    bool exitedWithNothingMore = false;
    for (;;) {
        const std::size_t end = buffer.find('\n', searched);
        if (end != std::string::npos) {
            line.assign(buffer, 0, end);
            buffer.erase(0, end + 1);
            return true;
        }
        searched = buffer.size();
        if (buffer.size() > maxLineBytes) {
            error = "wrote a line longer than " + std::to_string(maxLineBytes) + " bytes";
            return false;
        }
        char chunk[65536];
        const ssize_t count = ::read(fromChild, chunk, sizeof chunk);
        if (count > 0) {
            buffer.append(chunk, static_cast<std::size_t>(count));
            continue;
        }
        if (count == 0) {
            error = endWords();
            return false;
        }
        if (errno != EAGAIN && errno != EINTR) {
            error = std::string("could not be read: ") + std::strerror(errno);
            return false;
        }
        // A program that has ended may have left something it started holding the pipe
        // open, so that no end of output ever comes: its end is seen directly, once what it
        // wrote before has been read.
        if (exitedWithNothingMore) {
            error = endWords();
            return false;
        }
        if (!collected && ::waitpid(pid, &status, WNOHANG) == pid) {
            collected = true;
        }
        if (collected) {
            exitedWithNothingMore = true;
            continue;
        }
        if (Clock::now() >= deadline) {
            error = "gave no answer within " + secondsWords(timeoutSeconds);
            return false;
        }
        pollfd wait{fromChild, POLLIN, 0};
        ::poll(&wait, 1, std::min(millisecondsLeft(deadline), exitCheckMilliseconds));
    }
}

std::string k_ChildProcess::endWords() {
    // The output closes a moment before the shell can be collected.
    const Clock::time_point deadline = deadlineAfter(0.5);
    while (!collected && Clock::now() < deadline) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            collected = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (!collected) {
        return "closed its output";
    }
    if (WIFEXITED(status)) {
        return "exited with status " + std::to_string(WEXITSTATUS(status));
    }
    if (WIFSIGNALED(status)) {
        return "was ended by signal " + std::to_string(WTERMSIG(status));
    }
    return "ended";
}

void k_ChildProcess::stop() {
    if (pid <= 0) {
        return;
    }
    closeIfOpen(toChild);
    closeIfOpen(fromChild);
    // The whole group, also what the shell started and left behind after it ended.
    ::kill(-pid, SIGTERM);
    const Clock::time_point deadline = deadlineAfter(0.5);
    while (Clock::now() < deadline) {
        if (!collected && ::waitpid(pid, &status, WNOHANG) == pid) {
            collected = true;
        }
        // Once the group is empty, kill() finds no process in it.
        if (collected && ::kill(-pid, 0) != 0) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ::kill(-pid, SIGKILL);
    if (!collected) {
        ::waitpid(pid, &status, 0);
        collected = true;
    }
    pid = -1;
    buffer.clear();
}
