#pragma once
// Finished games on their way into the statistics: written by a job, in the
// order the games ended. Games the storage refuses (a full disk, a database
// out of reach) are kept in memory, the oldest giving way beyond 10,000, and
// tried again with the next finished game and every minute. Loop thread.
#include "server/game.h"
#include "server/server.h"

void resultsRecord(const std::vector<GameResult>& results);
// Every minute: the kept games are tried again.
void resultsRetry();
// The last write was refused and games wait: the disk has no room for an account either.
bool resultsRefused();
// Games not known to be written.
size_t resultsUnsaved();
// At shut-down: one last write of what is kept, waited for at most `waitMs`.
void resultsFlush(uint64_t waitMs);
// Run lifetime: every kept game is forgotten.
void resultsReset();
