#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/ManualResetEvent.h"
#include "platform/Pause.h"

namespace {

TEST(ManualResetEvent, staysAsSetOrResetUntilChanged) {
    k_ManualResetEvent event(true, "WaitEvent");
    EXPECT_EQ(event.getName(), "WaitEvent");
    EXPECT_TRUE(event.isSignalled());
    event.wait(); // signalled: returns at once
    event.wait();
    EXPECT_TRUE(event.isSignalled());

    event.reset();
    EXPECT_FALSE(event.isSignalled());
    event.reset();
    EXPECT_FALSE(event.isSignalled());
    event.set();
    event.set();
    EXPECT_TRUE(event.isSignalled());
    event.wait();

    k_ManualResetEvent unnamed(false, nullptr);
    EXPECT_EQ(unnamed.getName(), "");
    EXPECT_FALSE(unnamed.isSignalled());
}

TEST(ManualResetEvent, setReleasesEveryWaitingThread) {
    k_ManualResetEvent event(false, "WaitEvent");
    std::atomic<int> released{0};
    std::thread first([&] {
        event.wait();
        ++released;
    });
    std::thread second([&] {
        event.wait();
        ++released;
    });
    // Not a timing requirement: only a chance for a wrongly released waiter to show.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(released.load(), 0);
    event.set();
    first.join();
    second.join();
    EXPECT_EQ(released.load(), 2);
    EXPECT_TRUE(event.isSignalled());
}

TEST(Pause, waitsAtLeastTheGivenMilliseconds) {
    const auto start = std::chrono::steady_clock::now();
    pauseMilliseconds(1);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1));
    pauseMilliseconds(0);
    pauseMilliseconds(-5);
}

} // namespace
