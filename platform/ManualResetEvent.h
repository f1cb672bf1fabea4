#pragma once

#include <condition_variable>
#include <mutex>
#include <string>

// A waitable flag with manual reset: it stays signalled until reset and stays reset until
// set. Waiters block without time limit until it is signalled. The planner marks a running
// planning step with it, and the scene controller waits on it before tearing a scene down.
class k_ManualResetEvent {
public:
    k_ManualResetEvent(bool initiallySignalled, const char* name);

    void set();
    void reset();
    /// Returns at once when signalled; otherwise blocks until another thread calls set().
    void wait();
    bool isSignalled() const;
    const std::string& getName() const { return name; }

private:
    mutable std::mutex mutex;
    std::condition_variable signalledCondition;
    bool signalled;
    std::string name;
};
