#pragma once
// The game's chance draws (which step sound, which zombie groans): the C
// library's rand(), 0 to RAND_MAX, behind the platform so tests can script it.

namespace platform {

int randomInt();

} // namespace platform
