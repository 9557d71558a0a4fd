#include "server/workers.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace {

struct Job {
    uint32_t key;
    JobWork work;
    JobApply apply;
    bool slow = false;
    bool started = false;
    bool done = false;
};

// Shared with the threads, each of which holds it: a worker left running at
// shut-down keeps the pool alive until its job ends, however late.
struct Pool {
    std::mutex lock;
    std::condition_variable wake; // a job may be taken, or the pool stops
    std::condition_variable idle; // a job ended
    std::deque<std::shared_ptr<Job>> jobs; // in submission order, until collected
    WorkerLimits limits;
    size_t running = 0;
    size_t slowRunning = 0;
    bool stopping = false;
};

// Run lifetime: from workersStart to workersStop.
std::shared_ptr<Pool> g_pool;
std::vector<std::thread> g_threads;

bool holds(const std::vector<uint32_t>& keys, uint32_t key) { return std::find(keys.begin(), keys.end(), key) != keys.end(); }

// The first waiting job that no earlier unfinished job of its key holds back,
// nor, for a slow one, the slow jobs already running. Under the lock.
std::shared_ptr<Job> nextJob(Pool& pool) {
    std::vector<uint32_t> busy;
    const bool slowRoom = pool.slowRunning < std::max<size_t>(pool.limits.slowThreads, 1);
    for (const std::shared_ptr<Job>& job : pool.jobs) {
        if (!job->started && !holds(busy, job->key) && (slowRoom || !job->slow)) return job;
        if (!job->done) busy.push_back(job->key);
    }
    return nullptr;
}

void runWorker(std::shared_ptr<Pool> pool) {
    // Workers yield the processor to the loop: a pass never waits for a hash.
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 5);
    std::unique_lock<std::mutex> hold(pool->lock);
    for (;;) {
        std::shared_ptr<Job> job;
        pool->wake.wait(hold, [&] { return pool->stopping || (job = nextJob(*pool)) != nullptr; });
        if (pool->stopping) return;
        job->started = true;
        ++pool->running;
        pool->slowRunning += job->slow;
        hold.unlock();
        job->work();
        hold.lock();
        job->done = true;
        --pool->running;
        pool->slowRunning -= job->slow;
        pool->idle.notify_all();
        pool->wake.notify_all(); // the next job of its key may run now
    }
}

} // namespace

void workersStart(const WorkerLimits& limits) {
    workersStop(0);
    g_pool = std::make_shared<Pool>();
    g_pool->limits = limits;
    for (size_t i = 0; i < limits.threads; ++i) g_threads.emplace_back(runWorker, g_pool);
}

bool workersSubmit(uint32_t key, JobWork work, JobApply apply, bool slow) {
    if (!g_pool) return false;
    std::lock_guard<std::mutex> hold(g_pool->lock);
    const size_t slowJobs = static_cast<size_t>(
        std::count_if(g_pool->jobs.begin(), g_pool->jobs.end(), [](const std::shared_ptr<Job>& j) { return j->slow; }));
    if (g_pool->stopping || g_pool->jobs.size() >= g_pool->limits.capacity ||
        (slow && slowJobs >= g_pool->limits.slowCapacity))
        return false;
    g_pool->jobs.push_back(std::make_shared<Job>(Job{key, std::move(work), std::move(apply), slow}));
    g_pool->wake.notify_one();
    return true;
}

size_t workersPending() {
    if (!g_pool) return 0;
    std::lock_guard<std::mutex> hold(g_pool->lock);
    return g_pool->jobs.size();
}

std::vector<JobApply> workersCollect() {
    std::vector<JobApply> ready;
    if (!g_pool) return ready;
    if (g_threads.empty()) {
        // No threads: every waiting job runs here, in order. Nobody else touches the pool.
        for (const std::shared_ptr<Job>& job : g_pool->jobs) {
            if (job->started) continue;
            job->started = true;
            job->work();
            job->done = true;
        }
    }
    std::lock_guard<std::mutex> hold(g_pool->lock);
    std::vector<uint32_t> waiting; // keys with an earlier job not done
    for (auto it = g_pool->jobs.begin(); it != g_pool->jobs.end();) {
        Job& job = **it;
        if (job.done && !holds(waiting, job.key)) {
            ready.push_back(std::move(job.apply));
            it = g_pool->jobs.erase(it);
            continue;
        }
        waiting.push_back(job.key);
        ++it;
    }
    return ready;
}

void workersStop(uint64_t waitMs) {
    if (!g_pool) return;
    bool idle = false;
    {
        std::unique_lock<std::mutex> hold(g_pool->lock);
        g_pool->stopping = true;
        g_pool->jobs.clear();
        g_pool->wake.notify_all();
        idle = g_pool->idle.wait_for(hold, std::chrono::milliseconds(waitMs), [] { return g_pool->running == 0; });
    }
    // Idle threads end at once; a thread still hashing is left to finish on its own.
    for (std::thread& t : g_threads) idle ? t.join() : t.detach();
    g_threads.clear();
    g_pool.reset();
}
