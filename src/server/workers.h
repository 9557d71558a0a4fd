#pragma once
// Worker threads for the calls the loop must never wait on: password hashing
// and every storage call. One bounded queue for all of them.
//
// A job has two halves. `work` runs on a worker thread and touches only what
// it captured (never a session, the outbox or a module's globals): the
// workers may be abandoned at shut-down while one still runs. `apply` runs
// later on the loop thread, in workersCollect, where it may use everything.
// Jobs of one key (a session id, 0 for the server's own) run one at a time
// and are applied in the order they were submitted, so a player's answers
// keep the order of his requests.
//
// A slow job (a password hash: a tenth of a second of a processor) runs on
// at most `slowThreads` threads at once, so the others stay free for the
// quick ones (a lookup, a write): a burst of hashes never holds up a ranking.
// Slow jobs have a bound of their own on how many may wait.
//
// Started with 0 threads, nothing runs until workersCollect, which then runs
// every waiting job on the caller's thread: tests on a fake clock stay
// deterministic and still see the queue fill.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

struct Outbox;

using JobWork = std::function<void()>;
using JobApply = std::function<void(uint64_t nowMs, Outbox& out)>;

struct WorkerLimits {
    size_t threads = 0;
    size_t slowThreads = 1;  // slow jobs running at once; at least 1
    size_t capacity = 0;     // jobs waiting or running
    size_t slowCapacity = 0; // slow jobs among them
};
void workersStart(const WorkerLimits& limits);
// Queues a job; false (and nothing queued) when the queue, or its share for slow jobs, is full.
bool workersSubmit(uint32_t key, JobWork work, JobApply apply, bool slow = false);
// Jobs waiting or running.
size_t workersPending();
// The `apply` halves ready to run, in order. Loop thread only.
std::vector<JobApply> workersCollect();
// Drops the waiting jobs and waits at most `waitMs` for the running ones;
// those still running are left to end alone and their results are lost.
void workersStop(uint64_t waitMs);
