#include "platform/random.h"

#include "platform/clock.h"

#include <cstdlib>
#include <ctime>

namespace platform {

int randomInt() {
    // Seeded at the first draw, so that no two runs sound alike.
    static const bool seeded = [] {
        std::srand(static_cast<unsigned>(std::time(nullptr)) ^ tickCount());
        return true;
    }();
    (void)seeded;
    return std::rand();
}

} // namespace platform
