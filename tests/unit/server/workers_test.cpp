// The worker pool on real threads: each key's jobs one at a time and applied
// in order, a bounded queue, slow jobs that leave threads to the quick ones,
// and a stop that a stuck job cannot hold.
#include "server/server.h"
#include "server/workers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

TEST(Workers, KeepEachKeysOrderBoundTheirQueueAndNeverHoldTheStop) {
    workersStart({3, 3, 8, 8});
    std::atomic<int> inKey[2] = {0, 0};
    std::atomic<bool> overlapped{false};
    std::vector<int> applied[2];
    for (int i = 0; i < 8; ++i) {
        const uint32_t key = i % 2;
        const auto work = [&, key] {
            overlapped = overlapped || ++inKey[key] > 1;
            std::this_thread::sleep_for(std::chrono::milliseconds(2)); // room for a second one to slip in
            --inKey[key];
        };
        ASSERT_TRUE(workersSubmit(key, work, [&, key, i](uint64_t, Outbox&) { applied[key].push_back(i); }));
    }
    EXPECT_FALSE(workersSubmit(0, [] {}, [](uint64_t, Outbox&) {})) << "full until collected";
    Outbox out;
    while (applied[0].size() + applied[1].size() < 8)
        for (JobApply& apply : workersCollect()) apply(0, out);
    EXPECT_FALSE(overlapped);
    EXPECT_EQ(applied[0], (std::vector<int>{0, 2, 4, 6}));
    EXPECT_EQ(applied[1], (std::vector<int>{1, 3, 5, 7}));
    EXPECT_EQ(workersPending(), 0u);

    // A job that never ends is left behind; one still waiting is dropped unrun.
    auto release = std::make_shared<std::promise<void>>();
    auto started = std::make_shared<std::atomic<bool>>(false);
    std::shared_future<void> released = release->get_future().share();
    ASSERT_TRUE(workersSubmit(1, [started, released] { *started = true; released.wait(); }, [](uint64_t, Outbox&) {}));
    bool ranLate = false;
    ASSERT_TRUE(workersSubmit(1, [&ranLate] { ranLate = true; }, [](uint64_t, Outbox&) {}));
    while (!*started) std::this_thread::yield();
    workersStop(20);
    release->set_value();
    EXPECT_FALSE(ranLate);
}

TEST(Workers, SlowJobsKeepToTheirThreadsAndTheirShareOfTheQueue) {
    workersStart({2, 1, 8, 2});
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> secondStarted{false};
    ASSERT_TRUE(workersSubmit(1, [released] { released.wait(); }, [](uint64_t, Outbox&) {}, true));
    ASSERT_TRUE(workersSubmit(2, [&] { secondStarted = true; }, [](uint64_t, Outbox&) {}, true));
    EXPECT_FALSE(workersSubmit(3, [] {}, [](uint64_t, Outbox&) {}, true)) << "two slow jobs may wait";
    bool quickDone = false;
    ASSERT_TRUE(workersSubmit(4, [] {}, [&](uint64_t, Outbox&) { quickDone = true; }));
    Outbox out;
    while (!quickDone)
        for (JobApply& apply : workersCollect()) apply(0, out);
    EXPECT_FALSE(secondStarted) << "the second hash waits for the first; the quick job did not";
    release.set_value();
    while (workersPending() > 0)
        for (JobApply& apply : workersCollect()) apply(0, out);
    EXPECT_TRUE(secondStarted);
    workersStop(1000);
}
