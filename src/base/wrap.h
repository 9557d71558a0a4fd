#pragma once
// Spoken lists wrap: a step past either end reaches the other.
#include <cstdint>

// The index `delta` steps from `cursor` in a list of `n` > 0 entries.
inline int32_t wrapIndex(int32_t cursor, int32_t delta, int32_t n) { return ((cursor + delta) % n + n) % n; }
