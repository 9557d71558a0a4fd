#include "platform/random.h"

#include <cstdlib>

namespace platform {

int randomInt() { return std::rand(); }

} // namespace platform
