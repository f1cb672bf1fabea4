#include "platform/ManualResetEvent.h"

k_ManualResetEvent::k_ManualResetEvent(bool initiallySignalled, const char* eventName)
    : signalled(initiallySignalled), name(eventName ? eventName : "") {}

void k_ManualResetEvent::set() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        signalled = true;
    }
    signalledCondition.notify_all();
}

void k_ManualResetEvent::reset() {
    std::lock_guard<std::mutex> lock(mutex);
    signalled = false;
}

void k_ManualResetEvent::wait() {
    std::unique_lock<std::mutex> lock(mutex);
    signalledCondition.wait(lock, [this] { return signalled; });
}

bool k_ManualResetEvent::isSignalled() const {
    std::lock_guard<std::mutex> lock(mutex);
    return signalled;
}
