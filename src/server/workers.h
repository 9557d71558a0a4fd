#pragma once
// Worker threads for the calls the loop must never wait on: password hashing
// now, storage later. One bounded queue for all of them.
//
// A job has two halves. `work` runs on a worker thread and touches only what
// it captured (never a session, the outbox or a module's globals): the
// workers may be abandoned at shut-down while one still runs. `apply` runs
// later on the loop thread, in workersCollect, where it may use everything.
// Jobs of one key (a session id, 0 for the server's own) run one at a time
// and are applied in the order they were submitted, so a player's answers
// keep the order of his requests.
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

// Starts `threads` workers with room for `capacity` jobs waiting or running.
void workersStart(size_t threads, size_t capacity);
// Queues a job; false (and nothing queued) when the queue is full.
bool workersSubmit(uint32_t key, JobWork work, JobApply apply);
// Jobs waiting or running.
size_t workersPending();
// The `apply` halves ready to run, in order. Loop thread only.
std::vector<JobApply> workersCollect();
// Drops the waiting jobs and waits at most `waitMs` for the running ones;
// those still running are left to end alone and their results are lost.
void workersStop(uint64_t waitMs);
