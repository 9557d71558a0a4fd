#pragma once
// The game's chance draws (which step or key sound, which zombie groans, a
// zombie voice's pitch and start): the C library's rand(), 0 to RAND_MAX,
// behind the platform so tests can script every draw.

namespace platform {

int randomInt();

} // namespace platform
