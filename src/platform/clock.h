#pragma once
#include <cstdint>

namespace platform {

// Milliseconds since an arbitrary start; wraps after about 49 days, so compare
// stamps only through unsigned differences.
uint32_t tickCount();

void sleepMs(uint32_t ms);

} // namespace platform
