#include "fuzz_support.h"

#include "scratch.h"

// Saves happen on most inputs; a real sync each time would cut the rate
// a hundredfold, and nothing here has to survive a power cut.
extern "C" int fsync(int) { return 0; }
extern "C" int fdatasync(int) { return 0; }

// The client and the server read and write their files in the working
// folder: the whole run happens in a fresh folder of its own.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static ScratchFolder scratch;
    return 0;
}
