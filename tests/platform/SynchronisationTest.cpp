#include "platform/ManualResetEvent.h"
#include "platform/Ticks.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using namespace korvel::platform;
using namespace std::chrono_literals;

TEST(ManualResetEvent, StaysSetForEveryWaiterUntilReset) {
    ManualResetEvent event;
    EXPECT_FALSE(event.isSet());
    EXPECT_FALSE(event.waitFor(1ms));

    std::atomic<int> passed{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 4; ++i) {
        waiters.emplace_back([&] {
            event.wait();
            ++passed;
        });
    }
    event.set();
    for (auto& t : waiters) {
        t.join();
    }
    EXPECT_EQ(passed, 4);
    EXPECT_TRUE(event.waitFor(0ms));
    event.reset();
    EXPECT_FALSE(event.isSet());
}

TEST(Ticks, CountersMoveForwardAndAgree) {
    const std::int64_t c0 = performanceCounter();
    const std::uint32_t t0 = tickCount();
    std::this_thread::sleep_for(20ms);
    const std::int64_t c1 = performanceCounter();
    const std::uint32_t t1 = tickCount();
    EXPECT_GT(performanceFrequency(), 0);
    const double counterMs = double(c1 - c0) * 1000.0 / double(performanceFrequency());
    EXPECT_GE(counterMs, 19.0);
    // A sleep lasts at least as long as asked, on both counters.
    EXPECT_GE(std::uint32_t(t1 - t0), 19u);
}
