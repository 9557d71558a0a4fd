#pragma once
// Millisecond tick stamps are unsigned 32-bit and wrap about every 49.7 days:
// only differences are meaningful.
#include <cstdint>

// Milliseconds from `then` to `now`, right across a wrap of the counter.
inline uint32_t ticksSince(uint32_t now, uint32_t then) { return now - then; }
